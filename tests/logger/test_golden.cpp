// SPDX-License-Identifier: GPL-3.0-or-later
// Committed memory images and the data sets they decode to, as text. The images were made with
// the simulator's logger memory; KOLVA_UPDATE_GOLDEN=1 writes images and texts anew (review the
// difference before committing it).
#include "LoggerFixtures.h"

#include "base/NullReading.h"
#include "logger/DataSetList.h"
#include "logger/ParseMemoryImage.h"

#include <gtest/gtest.h>

#include <QFile>

#include <functional>

namespace {

using fixtures::days;
using fixtures::run;

QString describe(const ParseResult& r)
{
    QString out = QStringLiteral("status %1\n").arg(int(r.status));
    if (r.status == ParseStatus::DataError)
        out += QStringLiteral("failed set %1, last good byte %2\n").arg(r.failedSet).arg(r.lastGoodByte);
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    for (int k = 0; k < r.store.count(); ++k) {
        out += DataSetRowTexts(r.store.set(k), k, us).join(QStringLiteral(" | ")) + '\n';
        const auto values = r.store.values(k);
        const auto times = r.store.times(k);
        for (std::size_t i = 0; i < values.size(); i += 4) {
            out += QStringLiteral("  %1 %2").arg(i / 4).arg(
                DateTime::toQDateTime(times[i]).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            for (std::size_t ch = 0; ch < 4; ++ch)
                out += values[i + ch] == NullReading ? QStringLiteral(" OL")
                                                     : QStringLiteral(" %1").arg(double(values[i + ch]), 0, 'f', 1);
            out += '\n';
        }
    }
    return out;
}

sim::LoggedRun withReadings(sim::LoggedRun r, std::vector<std::array<std::int16_t, 4>> readings)
{
    r.readings = std::move(readings);
    return r;
}

struct Golden {
    const char* name;
    std::function<MemoryImage()> make;
};

const Golden kGolden[] = {
    {"three_sets", [] {
         sim::LoggedRun a = withReadings(run(0), {{{215, 13720, 13721, -2000}}, {{216, 13719, 0, -2001}}, {{217, 1, -1, 0}}});
         a.startDays = days(2012, 3, 7, 9, 5, 0);
         sim::LoggedRun b = run(0, 65, true, 0x22);
         b.offsets = {-10, 0, 4, 0};
         b.startDays = days(2015, 12, 31, 23, 59, 59);
         sim::LoggedRun c = withReadings(run(0, 600, true, 0x88), {{{-2920, -2921, 7520, 7521}}, {{720, 721, 722, 723}}});
         c.offsets = {0, 2, 0, -3};
         c.startDays = days(2024, 2, 29, 12, 0, 0);
         return fixtures::imageOf({a, b, c});
     }},
    {"odd_stamps", [] {
         sim::LoggedRun a = withReadings(run(0, 2, false, 0x33), {{{-32768, 32767, 0, 1}}, {{2, 3, 4, 5}}});
         a.rawStart = std::array<std::uint8_t, 6>{0x2A, 0x11, 0x05, 0x10, 0x20, 0x30}; // year from the clock
         sim::LoggedRun b = withReadings(run(0), {{{1, 2, 3, 4}}});
         b.rawStart = std::array<std::uint8_t, 6>{0x24, 0x13, 0x05, 0x10, 0x20, 0x30}; // month 13: the clock
         sim::LoggedRun c = withReadings(run(0, 2, false, 0x44), {{{7500, 7501, -1500, -1501}}, {{0, 0, 0, 0}}});
         c.startDays = days(2020, 7, 1, 6, 30, 0);
         c.rawInterval = std::array<std::uint8_t, 2>{0x0A, 0x00}; // rate 0
         return fixtures::imageOf({a, b, c});
     }},
    {"broken_marker", [] {
         MemoryImage image = fixtures::imageOf({run(2, 5), run(3), run(1)});
         image[257 + 24 + 16] = char(0xA4);
         return image;
     }},
};

QString goldenPath(const char* name, const char* extension)
{
    return QStringLiteral(KOLVA_GOLDEN_DIR "/%1.%2").arg(QLatin1String(name), QLatin1String(extension));
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

} // namespace

TEST(GoldenImages, DecodeToTheirCommittedText)
{
    const ManualClock clock = fixtures::fallbackClock();
    const bool update = qEnvironmentVariableIsSet("KOLVA_UPDATE_GOLDEN");
    for (const Golden& g : kGolden) {
        SCOPED_TRACE(g.name);
        if (update)
            writeFile(goldenPath(g.name, "img"), g.make());
        const MemoryImage image = readFile(goldenPath(g.name, "img"));
        ASSERT_FALSE(image.isEmpty());
        const QString text = describe(ParseMemoryImage(image, clock));
        if (update)
            writeFile(goldenPath(g.name, "txt"), text.toUtf8());
        EXPECT_EQ(text, QString::fromUtf8(readFile(goldenPath(g.name, "txt"))));
    }
}
