// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store: defaults, what counts as a number, and a store that cannot be read or
// written.

#include "app/Settings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

namespace {

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
        ASSERT_TRUE(QDir(dir.path()).mkpath("KOLVA"));
    }
    QString file() const { return dir.path() + "/KOLVA/KOLVA.conf"; }
    void writeFile(const QByteArray& text)
    {
        QFile f(file());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QByteArray readFile()
    {
        QFile f(file());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
};

} // namespace

TEST_F(SettingsStore, MissingStoreGivesTheDefaults)
{
    const Settings s = Settings::Read();
    EXPECT_EQ(s.RealTimeRate, 2);
    EXPECT_EQ(s.LastConnectedPort, 0);
    EXPECT_EQ(s.LastConnectedModel, 461);
    EXPECT_EQ(s.AnnoColor, 0);
    EXPECT_TRUE(s.ExtraPorts.isEmpty());
}

TEST_F(SettingsStore, WrittenValuesComeBack)
{
    Settings s;
    s.RealTimeRate = 5;
    s.LastConnectedPort = 2;
    s.AnnoColor = 0x00FF8000;
    s.ExtraPorts = QStringList{"/dev/pts/3", "/tmp/meter, with comma"};
    ASSERT_TRUE(s.Write());
    EXPECT_TRUE(readFile().contains("RealTimeRate=5"));

    const Settings r = Settings::Read();
    EXPECT_EQ(r.RealTimeRate, 5);
    EXPECT_EQ(r.LastConnectedPort, 2);
    EXPECT_EQ(r.LastConnectedModel, 461);
    EXPECT_EQ(r.AnnoColor, 0x00FF8000);
    EXPECT_EQ(r.ExtraPorts, s.ExtraPorts);
}

TEST_F(SettingsStore, ValuesThatAreNotWholeNumbersReadAsDefaults)
{
    writeFile("[General]\n"
              "RealTimeRate=fast\n"
              "LastConnectedPort=1.5\n"
              "LastConnectedModel=99999999999\n"
              "AnnoColor=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x6QColor)\n"
              "ExtraPorts=/dev/pts/9\n");
    const Settings s = Settings::Read();
    EXPECT_EQ(s.RealTimeRate, 2);
    EXPECT_EQ(s.LastConnectedPort, 0);
    EXPECT_EQ(s.LastConnectedModel, 461);
    EXPECT_EQ(s.AnnoColor, 0);
    EXPECT_EQ(s.ExtraPorts, QStringList{"/dev/pts/9"});

    writeFile("[General]\nRealTimeRate= 7 \nLastConnectedPort=-1\nAnnoColor=255\n");
    const Settings t = Settings::Read();
    EXPECT_EQ(t.RealTimeRate, 7);
    EXPECT_EQ(t.LastConnectedPort, -1); // range is checked against this start's port list
    EXPECT_EQ(t.AnnoColor, 255);
}

TEST_F(SettingsStore, ASamplingPeriodBelowOneSecondReadsAsTheDefault)
{
    writeFile("[General]\nRealTimeRate=0\n");
    EXPECT_EQ(Settings::Read().RealTimeRate, 2);
    writeFile("[General]\nRealTimeRate=-4\n");
    EXPECT_EQ(Settings::Read().RealTimeRate, 2);
}

TEST_F(SettingsStore, GarbageAndUnreadableStoresGiveDefaultsAndNoCrash)
{
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.append(char((i * 37 + 11) % 256));
    writeFile(garbage);
    Settings s = Settings::Read();
    EXPECT_EQ(s.RealTimeRate, 2);
    EXPECT_EQ(s.LastConnectedModel, 461);

    // A folder where the file should be: neither readable nor writable, even for root.
    QFile::remove(file());
    ASSERT_TRUE(QDir().mkpath(file()));
    s = Settings::Read();
    EXPECT_EQ(s.RealTimeRate, 2);
    EXPECT_EQ(s.LastConnectedPort, 0);
    s.LastConnectedPort = 3;
    EXPECT_FALSE(s.Write());
}
