// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReplyScript.h"

#include <algorithm>

namespace {

constexpr int kBlockPayload = 64;
constexpr int kDelayStepMs = 100;

enum PieceKind { Raw = 0, Block = 1, Echo = 2, Nothing = 3 };

} // namespace

QByteArray memoryBlock(QByteArrayView payload)
{
    QByteArray block(payload.first(std::min<qsizetype>(payload.size(), kBlockPayload)).toByteArray());
    block.resize(kBlockPayload, '\0');
    unsigned sum = 0;
    for (char c : block)
        sum += std::uint8_t(c);
    block.append(char(sum & 0xFF));
    return block;
}

void ReplyScript::answer(const CommandFrame& frame)
{
    std::int64_t due = clock_.TickMs();
    bool more = true;
    while (more && !input_.empty()) {
        const std::uint8_t flags = input_.byte();
        const std::uint8_t count = input_.byte();
        more = flags & 1;
        due += std::int64_t(flags >> 3) * kDelayStepMs;
        QByteArray bytes;
        switch ((flags >> 1) & 3) {
        case Raw:
            bytes = input_.bytes(count);
            break;
        case Block:
            bytes = memoryBlock(input_.bytes(kBlockPayload));
            if (count & 1)
                bytes.back() = char(bytes.back() + 1);
            break;
        case Echo:
            bytes = QByteArray(reinterpret_cast<const char*>(frame.data()), qsizetype(frame.size()));
            bytes.resize(count, '\0');
            break;
        default:
            break;
        }
        // One line: nothing overtakes what is already on its way.
        if (!pending_.empty())
            due = std::max(due, pending_.back().dueMs);
        if (!bytes.isEmpty())
            pending_.push_back({due, bytes});
    }
}

void ReplyScript::advance(int ms)
{
    written_ += port_.takeWritten();
    FUZZ_CHECK(written_.size() % qsizetype(kCommandFrameLength) == 0,
               "a write that is not a whole command frame");
    for (qsizetype at = 0; at + qsizetype(kCommandFrameLength) <= written_.size(); at += kCommandFrameLength) {
        CommandFrame frame;
        std::copy_n(written_.constData() + at, kCommandFrameLength, frame.begin());
        FUZZ_CHECK(frame[0] == kFrameHeader && frame[kCommandFrameLength - 1] == kFrameTrailer,
                   "a command frame without its header or trailer");
        commands_.push_back(frame);
        answer(frame);
    }
    written_.clear();

    clock_.advanceMs(ms);
    while (!pending_.empty() && pending_.front().dueMs <= clock_.TickMs()) {
        port_.inject(pending_.front().bytes);
        delivered_ += pending_.front().bytes.size();
        pending_.pop_front();
    }
}
