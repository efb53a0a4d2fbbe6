// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/sim/MemoryTransfer.h"

#include "link/LiveFrame.h"

namespace sim {

QByteArray MemoryTransfer::start(const QByteArray& memory)
{
    running_ = true;
    mute_ = false;
    block_ = 0;
    const CommandFrame reply = makeCommandFrame('P');
    return QByteArray(reinterpret_cast<const char*>(reply.data()), qsizetype(reply.size())) + send(memory);
}

QByteArray MemoryTransfer::next(const QByteArray& memory)
{
    if (!running_)
        return {};
    ++block_;
    return send(memory);
}

QByteArray MemoryTransfer::again(const QByteArray& memory)
{
    return running_ ? send(memory) : QByteArray();
}

QByteArray MemoryTransfer::send(const QByteArray& memory)
{
    const qsizetype at = qsizetype(block_) * kBlockPayload;
    if (mute_ || at + kBlockPayload > memory.size())
        return {};
    if (faults_.silenceFromBlock >= 0 && block_ >= faults_.silenceFromBlock)
        return {};
    QByteArray out = memory.mid(at, kBlockPayload);
    unsigned sum = 0;
    for (const char c : out)
        sum += std::uint8_t(c);
    out.append(char(sum & 0xFF));
    ++blocksSent_;
    if (block_ == faults_.badSumBlock && badSumsSent_ < faults_.badSumTimes) {
        ++badSumsSent_;
        out[kBlockPayload] = char(out[kBlockPayload] + 1);
    }
    if (block_ == faults_.cutBlock && !cutDone_) {
        cutDone_ = true;
        mute_ = true;
        out.truncate(faults_.cutBytes);
    }
    return out;
}

} // namespace sim
