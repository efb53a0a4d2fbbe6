// SPDX-License-Identifier: GPL-3.0-or-later
// Machine CSV as other programs write it, read back by the program's reader: every sample holds
// a date-time and readings that are finite or missing, there are no more of them than lines, and
// each one written again (by either writer) reads back as itself. The input is the file.
#include "FuzzSupport.h"

#include "files/MachineCsv.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes = asBytes(data, size);
    const MachineCsv::Content c = MachineCsv::read(bytes);
    MachineCsv::LineWriter writer; // the writer of long exports must write what line() writes
    const qsizetype lines = bytes.count('\n') + (bytes.endsWith('\n') ? 0 : 1);
    FUZZ_CHECK(qsizetype(c.samples.size()) + c.skippedLines + c.comments.size() + (c.headerFound ? 1 : 0) <= lines,
               "more lines used than the file has");
    for (const MachineSample& s : c.samples) {
        FUZZ_CHECK(isDateTime(s.time), "a sample at no date-time");
        for (const float v : s.values)
            FUZZ_CHECK(isReading(v), "a reading that is neither finite nor missing");
        const QByteArray line = MachineCsv::line(s);
        FUZZ_CHECK(line.endsWith('\n'), "a sample line without its end");
        FUZZ_CHECK(writer.line(s) == line, "the writer of many lines writes another line");
        const auto again = MachineCsv::parseLine(QByteArrayView(line).chopped(1));
        FUZZ_CHECK(again.has_value(), "a written sample that does not read back");
        FUZZ_CHECK(again->time == s.time, "a written time that reads back as another");
        FUZZ_CHECK(again->unit == s.unit, "a written unit that reads back as another");
        for (std::size_t k = 0; k < 4; ++k)
            FUZZ_CHECK(std::memcmp(&again->values[k], &s.values[k], sizeof(float)) == 0,
                       "a written reading that reads back as another");
    }
    return 0;
}
