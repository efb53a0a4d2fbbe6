// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-bench-collections DIR: writes the collection files the command-line timings read, made
// with the simulator's logger memory:
//   one_set_16000.CH4  one data set of 16,000 samples (128,281 bytes);
//   full_128k.CH4      a full 128 KiB memory with as many data sets as the meter allows
//                      (4,000 sets, 131,049 bytes).

#include "tools/sim/LoggerMemory.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

bool write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "kolva-bench-collections: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kolva-bench-collections DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));

    sim::LoggerMemoryConfig one;
    one.runs.resize(1);
    one.runs[0].samples = 16000;
    one.runs[0].rateSeconds = 1;

    // 3,999 sets of one sample: 257 + 3999 x (24 + 8) = 128,225 bytes, and a last set of 350
    // samples fills the memory to 131,049 bytes (below 131,072).
    sim::LoggerMemoryConfig full;
    full.runs.resize(4000);
    for (int k = 0; k < 3999; ++k) {
        full.runs[std::size_t(k)].samples = 1;
        full.runs[std::size_t(k)].rateSeconds = 1 + k % 90;
        full.runs[std::size_t(k)].fahrenheit = k % 3 == 0;
        full.runs[std::size_t(k)].offsets = {std::int8_t(k % 7 - 3), 0, std::int8_t(-(k % 5)), 1};
    }
    full.runs[3999].samples = 350;

    const bool ok = write(dir.filePath("one_set_16000.CH4"), sim::buildLoggerMemory(one))
                    && write(dir.filePath("full_128k.CH4"), sim::buildLoggerMemory(full));
    return ok ? 0 : 1;
}
