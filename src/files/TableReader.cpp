// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/TableReader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <vector>

namespace {

// A line needs at most three bytes per character; anything longer than this is surely too long.
constexpr qsizetype MaxLineBytes = 4 * MaxLineLength;
constexpr qint64 ChunkSize = 64 * 1024;

// Lines of a device, each cut to MaxLineBytes; the device is read in chunks.
class LineSource {
public:
    explicit LineSource(QIODevice& in) : in_(in) {}

    // The next line without its end; false at the end of the input. cut: the line was longer.
    bool next(QByteArrayView& line, bool& cut)
    {
        cut = false;
        for (;;) {
            const qsizetype avail = buf_.size() - pos_;
            const qsizetype scan = std::min(avail, MaxLineBytes + 1);
            const char* begin = buf_.constData() + pos_;
            qsizetype end = -1;
            for (qsizetype i = 0; i < scan; ++i)
                if (begin[i] == '\n' || begin[i] == '\r') {
                    end = i;
                    break;
                }
            if (end >= 0) {
                // A CR at the end of the buffer may be the first half of CR LF.
                if (begin[end] == '\r' && end + 1 == avail && !eof_) {
                    fill();
                    continue;
                }
                line = QByteArrayView(begin, end);
                pos_ += end + 1;
                if (begin[end] == '\r' && pos_ < buf_.size() && buf_[pos_] == '\n')
                    ++pos_;
                return true;
            }
            if (avail > MaxLineBytes) {
                line = QByteArrayView(begin, MaxLineBytes);
                cut = true;
                pos_ = buf_.size();
                eof_ = true;   // nothing is read after a cut line
                return true;
            }
            if (eof_) {
                if (avail == 0)
                    return false;
                line = QByteArrayView(begin, avail);
                pos_ = buf_.size();
                return true;
            }
            fill();
        }
    }

private:
    void fill()
    {
        buf_.remove(0, pos_);
        pos_ = 0;
        const QByteArray more = in_.read(ChunkSize);
        if (more.isEmpty())
            eof_ = true;
        buf_ += more;
    }

    QIODevice& in_;
    QByteArray buf_;
    qsizetype pos_ = 0;
    bool eof_ = false;
};

// Length of the valid UTF-8 sequence at b[i], 0 when there is none.
int utf8Sequence(QByteArrayView b, qsizetype i, char32_t& cp)
{
    const auto at = [&](qsizetype k) { return static_cast<unsigned char>(b[k]); };
    const unsigned char c = at(i);
    int n = 0;
    char32_t v = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2;
        v = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3;
        v = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4;
        v = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > b.size())
        return 0;
    for (int k = 1; k < n; ++k) {
        const unsigned char cc = at(i + k);
        if ((cc & 0xC0) != 0x80)
            return 0;
        v = (v << 6) | (cc & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 3 && v < 0x800) || (n == 4 && (v < 0x10000 || v > 0x10FFFF)) ||
        (v >= 0xD800 && v <= 0xDFFF))
        return 0;
    cp = v;
    return n;
}

// The next field of rest, which then holds what follows its separator; false when the field
// was the last of the line. With quotes (CSV), a field that starts with a double quote runs to
// the closing one, with doubled quotes read as one and separators inside it kept; what follows
// the closing quote up to the separator belongs to the field too. buf holds such a field.
bool nextField(QStringView& rest, QChar separator, bool quotes, QStringView& field, QString& buf)
{
    if (!quotes || !rest.startsWith(u'"')) {
        const qsizetype p = rest.indexOf(separator);
        if (p < 0) {
            field = rest;
            rest = {};
            return false;
        }
        field = rest.first(p);
        rest = rest.sliced(p + 1);
        return true;
    }
    buf.clear();
    qsizetype i = 1;
    for (; i < rest.size(); ++i) {
        if (rest[i] != u'"') {
            buf += rest[i];
        } else if (i + 1 < rest.size() && rest[i + 1] == u'"') {
            buf += u'"';
            ++i;
        } else {
            ++i;
            break;
        }
    }
    rest = rest.sliced(std::min(i, rest.size()));
    const qsizetype p = rest.indexOf(separator);
    buf += p < 0 ? rest : rest.first(p);
    field = buf;
    if (p < 0) {
        rest = {};
        return false;
    }
    rest = rest.sliced(p + 1);
    return true;
}

} // namespace

QString decodeText(QByteArrayView b)
{
    qsizetype i = 0;
    while (i < b.size() && static_cast<unsigned char>(b[i]) < 0x80)
        ++i;
    if (i == b.size())
        return QString::fromLatin1(b);
    QString s = QString::fromLatin1(b.first(i));
    s.reserve(b.size());
    while (i < b.size()) {
        const unsigned char c = static_cast<unsigned char>(b[i]);
        char32_t cp = 0;
        const int n = c < 0x80 ? 0 : utf8Sequence(b, i, cp);
        if (n == 0) {
            s += QChar(c);   // ASCII, or a byte that is not UTF-8: Latin-1
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            s += QChar(QChar::highSurrogate(cp));
            s += QChar(QChar::lowSurrogate(cp));
        } else {
            s += QChar(static_cast<char16_t>(cp));
        }
        i += n;
    }
    return s;
}

QChar openSeparator(const QString& fileName)
{
    return QFileInfo(fileName).suffix().toLower() == QLatin1String("csv") ? QLatin1Char(',')
                                                                          : QLatin1Char('\t');
}

TextFileResult readTable(QIODevice& in, QChar separator, TableModel& table,
                         const LineProgress& progress)
{
    TextFileResult r;
    std::vector<TableModel::Row> rows;
    LineSource source(in);
    const bool quotes = separator == u',';
    std::array<QString, TableModel::Columns> quoted;   // the quoted fields of a line
    QByteArrayView bytes;
    bool cut = false;
    bool first = true;
    while (source.next(bytes, cut)) {
        if (first && bytes.startsWith("\xEF\xBB\xBF"))
            bytes = bytes.sliced(3);
        first = false;
        QString line = decodeText(bytes);
        if (line.size() > MaxLineLength) {
            qsizetype n = MaxLineLength;
            if (line[n - 1].isHighSurrogate())
                --n;   // never half a character
            line.truncate(n);
            cut = true;
        }
        if (!line.contains(separator))
            break;
        ++r.lines;
        const bool cancel = progress && progress(r.lines);
        const QString number = QString::number(r.lines);
        std::array<QStringView, TableModel::Columns> cells{};
        cells[0] = number;
        QStringView rest(line);
        for (std::size_t c = 1; c < TableModel::Columns; ++c) {
            // The last field takes the rest of the line, empty or not.
            if (!nextField(rest, separator, quotes, cells[c], quoted[c]))
                break;
        }
        rows.emplace_back(std::span<const QStringView>(cells));
        if (cancel) {
            r.cancelled = true;
            break;
        }
        if (cut)
            break;
    }
    table.setRows(std::move(rows));
    return r;
}

TextFileResult readTableFile(const QString& fileName, TableModel& table,
                             const LineProgress& progress)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        TextFileResult r;
        r.fileName = fileName;
        r.status = TextFileStatus::CannotOpen;
        r.reason = file.errorString();
        return r;
    }
    TextFileResult r = readTable(file, openSeparator(fileName), table, progress);
    r.fileName = fileName;
    return r;
}
