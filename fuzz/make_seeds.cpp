// SPDX-License-Identifier: GPL-3.0-or-later
// kolva-fuzz-seeds FOLDER: writes the seed inputs of the fuzz targets that the program and the
// simulated meter make (a subfolder per target), so that the seeds follow the formats when they
// change. The live stream, the download's and the set-up's replies are the simulator's own
// answers to the program's real exchanges, recorded and written in the reply script's form.
// The golden files under tests/ are seeds as they stand; scripts/fuzz.sh adds them.
#include "FuzzSupport.h"

#include "base/DateTime.h"
#include "base/SilentAbort.h"
#include "files/MachineCsv.h"
#include "files/TextExport.h"
#include "graph/ChartImage.h"
#include "graph/GraphTemplate.h"
#include "graph/RecordingJournal.h"
#include "logger/MeterSetup.h"
#include "logger/ReceiveMemoryImage.h"
#include "tools/sim/MeterModel.h"

#include <QCoreApplication>
#include <QDir>

#include <cstring>
#include <utility>
#include <vector>

namespace {

QString outFolder;

void write(const QString& target, const QString& name, const QByteArray& bytes)
{
    const QDir dir(QDir(outFolder).filePath(target));
    if (!QDir().mkpath(dir.path()) || !writeFile(dir.filePath(name), bytes)) {
        std::fprintf(stderr, "kolva-fuzz-seeds: cannot write %s\n", qPrintable(dir.filePath(name)));
        std::exit(1);
    }
}

// A port straight on the simulated meter that keeps, for every command frame written, the bytes
// the meter answered with.
class RecordingPort final : public IComPort {
public:
    explicit RecordingPort(sim::MeterModel& meter) : meter_(meter) {}
    QString DeviceName() const override { return QStringLiteral("/dev/sim0"); }
    void SetDeviceName(const QString&) override {}
    bool Active() const override { return open_; }
    void SetActive(bool value) override { open_ = value; }
    void Open() override { open_ = true; }
    void Close() override { open_ = false; }
    int InputCount() override { return int(input_.size()); }
    void Read(void* buffer, int length, bool) override
    {
        std::memcpy(buffer, input_.constData(), std::size_t(length));
        input_.remove(0, length);
    }
    void Write(const void* buffer, int length, bool) override
    {
        meter_.receive(buffer, std::size_t(length));
        const QByteArray reply = meter_.takeOutput();
        replies.push_back(reply);
        input_ += reply;
    }
    void PurgeInput() override { input_.clear(); }
    void PurgeOutput() override {}
    void advance(int ms)
    {
        meter_.advance(ms);
        const QByteArray late = meter_.takeOutput();
        if (!late.isEmpty() && !replies.empty())
            replies.back() += late;
        input_ += late;
    }

    std::vector<QByteArray> replies; // one per command frame written

private:
    sim::MeterModel& meter_;
    QByteArray input_;
    bool open_ = true;
};

// The replies in the reply script's form: raw pieces of at most 255 bytes; nothing for no reply.
QByteArray script(const std::vector<QByteArray>& replies)
{
    QByteArray out;
    for (const QByteArray& reply : replies) {
        if (reply.isEmpty()) {
            out += QByteArray("\x06\x00", 2);
            continue;
        }
        for (qsizetype at = 0; at < reply.size(); at += 255) {
            const QByteArray piece = reply.mid(at, 255);
            const bool more = at + 255 < reply.size();
            out += char(more ? 1 : 0);
            out += char(piece.size());
            out += piece;
        }
    }
    return out;
}

DownloadServices servicesOn(RecordingPort& port, ManualClock& clock)
{
    return DownloadServices{[&](int ms) {
                                clock.advanceMs(ms + 1);
                                port.advance(ms + 1);
                            },
                            [&] {
                                clock.advanceMs(1);
                                port.advance(1);
                            },
                            &clock};
}

sim::MeterConfig smallLogger()
{
    sim::MeterConfig config;
    std::vector<sim::LoggedRun> runs(2);
    runs[0].samples = 5;
    runs[1].samples = 3;
    runs[1].fahrenheit = true;
    runs[1].type = 0x88;
    runs[1].rateSeconds = 65;
    runs[1].offsets = {-3, 0, 2, 0};
    config.logger.runs = runs;
    return config;
}

void liveFrames()
{
    struct Case {
        const char* name;
        std::uint8_t piece, locale;
        const char* keys; // sent once the stream runs
        int garbageEvery;
    };
    for (const Case& c : {Case{"plain", 34, 0, "", 0}, Case{"garbled", 6, 0, "", 2},
                          Case{"statistics", 254, 1, "MMM", 0}, Case{"difference-hold", 11, 1, "TH", 3}}) {
        sim::MeterConfig config;
        config.frameIntervalMs = 200;
        config.faults.garbageEvery = c.garbageEvery;
        config.faults.badChecksumEvery = c.garbageEvery ? 3 : 0;
        sim::MeterModel meter(config);
        meter.receive(makeCommandFrame(Cmd::StartStream).data(), kCommandFrameLength);
        QByteArray stream;
        for (const char* k = c.keys; *k; ++k) {
            meter.advance(300);
            meter.receive(makeCommandFrame(*k).data(), kCommandFrameLength);
        }
        meter.advance(1000);
        stream = meter.takeOutput();
        write(QStringLiteral("live-frames"), QString::fromLatin1(c.name),
              QByteArray(1, char(c.piece)) + char(c.locale) + stream);
    }
}

void download()
{
    sim::MeterModel meter(smallLogger());
    ManualClock clock;
    RecordingPort comm1(meter), comm2(meter);
    struct Host : ILoggerPortHost {
        Host(RecordingPort& a, RecordingPort& b) : comm1(a), comm2(b) {}
        const LinkState& Link() const override { return link; }
        bool MeterRecording() const override { return false; }
        IComPort& Comm1() override { return comm1; }
        IComPort& Comm2() override { return comm2; }
        void SetMainTimerEnabled(bool) override {}
        void AttachLiveReceiver() override {}
        void SetBusyCursor(bool) override {}
        LinkState link;
        RecordingPort& comm1;
        RecordingPort& comm2;
    } host(comm1, comm2);
    struct : IDownloadProgress {
        void ProgressOpened(int) override {}
        void ProgressChanged(const DownloadProgress&) override {}
        void ProgressClosed() override {}
    } progress;
    MemoryImage image;
    const DownloadStatus status = ReceiveMemoryImage(host, progress, servicesOn(comm2, clock), image);
    if (status != DownloadStatus::Ok) {
        std::fprintf(stderr, "kolva-fuzz-seeds: the recorded download failed\n");
        std::exit(1);
    }
    write(QStringLiteral("download"), QStringLiteral("whole-memory"), QByteArray(1, '\0') + script(comm2.replies));
    const QByteArray used = image.left(int(Image::readUnsigned(Image::bytes(image), Image::kUsedLengthAt, 3)));
    write(QStringLiteral("memory-image"), QStringLiteral("simulator"), used);
    write(QStringLiteral("collection-file"), QStringLiteral("simulator"), used);
}

void meterSetup()
{
    // Operations: 0 handshake, 1 clock, 2 interval, 3 erase, 4 defaults, 5 read the information,
    // 6 read the header page.
    struct Case {
        const char* name;
        std::vector<int> operations;
    };
    for (const Case& c : {Case{"read-info", {5}}, Case{"clock", {1}}, Case{"interval-erase", {2, 3}},
                          Case{"handshake-defaults-read", {0, 4, 5}}, Case{"header-erase", {6, 3}}}) {
        sim::MeterModel meter(smallLogger());
        ManualClock clock(45000.5);
        RecordingPort port(meter);
        MeterSetup setup(port, servicesOn(port, clock));
        QByteArray seed(1, char(c.operations.size() - 1));
        for (int op : c.operations)
            seed += char(op);
        for (int op : c.operations) {
            const std::size_t before = port.replies.size();
            QByteArray texts;
            switch (op) {
            case 0: setup.MeterHandshake(); break;
            case 1: setup.AdjustMeterTime(); break;
            case 2:
                setup.AdjustRecordingInterval(QStringLiteral("02"), QStringLiteral("30"));
                texts = QByteArray("\x02" "02" "\x02" "30", 6);
                break;
            case 3: setup.EraseMeterMemory(); break;
            case 4: setup.SetMeterDefaults(); break;
            case 5: setup.ReadMeterInfo(); break;
            default: setup.ReadHeaderPage(); break;
            }
            seed += texts;
            seed += script({port.replies.begin() + std::ptrdiff_t(before), port.replies.end()});
        }
        write(QStringLiteral("meter-setup"), QString::fromLatin1(c.name), seed);
    }
}

// A chart as a short real-time recording leaves it: four channels, one of them over range, an
// annotation and the unit.
ChartState recordedChart()
{
    ChartState state;
    prepareChartState(state, 4, 50, -10, 45000.5 + 20 / 86400.0, 45000.5, 10, PrepareHooks{});
    for (int p = 0; p < 10; ++p)
        for (int s = 0; s < 4; ++s) {
            state.data.setX(s, p, 45000.5 + 2 * p / 86400.0);
            state.data.setY(s, p, s == 3 && p == 4 ? NullReading : 20.0f + float(s) + 0.1f * float(p));
        }
    state.graphAnnotations.push_back({sg::sgAnnotText, 45000.5001, 22.0, QStringLiteral("max"), qRgb(255, 0, 0)});
    state.unit = QStringLiteral("°C");
    return state;
}

void graphFile()
{
    const ChartState chart = recordedChart();
    const QByteArray image = encodeChartImage(chart);
    QByteArray length(4, '\0');
    for (int i = 0; i < 4; ++i)
        length[i] = char((image.size() >> (8 * i)) & 0xFF);
    const QByteArray payload = image.mid(ChartImageHeaderSize);
    write(QStringLiteral("graph-file"), QStringLiteral("file"), QByteArray(1, '\0') + length + image);
    write(QStringLiteral("graph-file"), QStringLiteral("sealed-format-2"), QByteArray(1, '\x03') + payload);
    // Format 1 has no unit after the annotations: its last field, the string "°C", goes.
    write(QStringLiteral("graph-file"), QStringLiteral("sealed-format-1"),
          QByteArray(1, '\x01') + payload.chopped(4 + QStringLiteral("°C").toUtf8().size()));
}

void tableReader()
{
    const ChartState chart = recordedChart();
    for (const auto& [name, flags] : {std::pair{"tab-c", 0}, std::pair{"comma-c", 1}, std::pair{"tab-german", 2},
                                      std::pair{"comma-german", 3}}) {
        const QLocale locale = flags & 2 ? QLocale(QLocale::German, QLocale::Germany) : QLocale::c();
        const LocaleText::DateTimeFormat format(locale);
        QByteArray text(1, char(flags));
        for (int p = 0; p < chart.data.points(); ++p)
            text += graphExportLine(chart.data.x(0, p),
                                    {chart.data.y(0, p), chart.data.y(1, p), chart.data.y(2, p), chart.data.y(3, p)},
                                    flags & 1 ? QLatin1Char(',') : QLatin1Char('\t'), format, locale);
        write(QStringLiteral("table-reader"), QString::fromLatin1(name), text);
    }
}

void journalAndMachineCsv()
{
    // A recording across the change to daylight-saving time, cut off in its last line.
    JournalHeader header;
    header.startTime = DateTime::fromDateAndTime(QDate(2024, 3, 31), QTime(1, 59, 58));
    header.rateSeconds = 1;
    header.requestedCount = 100;
    QByteArray journal = MachineCsv::comment(journalComment(header)) + MachineCsv::header();
    MachineCsv::LineWriter lines;
    for (int k = 0; k < 5; ++k)
        journal += lines.line({header.startTime + k / 86400.0, {21.5f, k == 2 ? NullReading : 22.25f, -12.0f, 1000.0f}});
    journal += "2024-03-31T03:00:03.000+02:00,21.5,2";
    write(QStringLiteral("journal-recovery"), QStringLiteral("dst-cut"), QByteArray(1, '\x03') + journal);
    write(QStringLiteral("journal-recovery"), QStringLiteral("declined"), QByteArray(1, '\x01') + journal);
    write(QStringLiteral("machine-csv"), QStringLiteral("journal"), journal);
}

} // namespace

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kolva-fuzz-seeds FOLDER\n");
        return 2;
    }
    outFolder = QString::fromLocal8Bit(argv[1]);
    liveFrames();
    download();
    meterSetup();
    graphFile();
    tableReader();
    journalAndMachineCsv();
    return 0;
}
