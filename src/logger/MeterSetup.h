// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The meter set-up exchanges on the live port: ten-byte command frames (0x02, the command, 0x03)
// and replies polled from the input queue. A reply counts only when exactly the stated number of
// bytes waits when the poll ends (for the memory start and the first block: at least that many);
// a poll ends as soon as that count is reached, or when its time-out has passed since the frame
// was sent.
//
//   handshake      02 63 00 .. 03 ("c")           10 bytes, byte 1 0x63       1 s
//   clock request  02 72 74 63 00 .. 03 ("rtc")   10 bytes, byte 1 0x72       1.5 s
//   clock data     02 YY MM DD hh mm ss 08 00 03  10 bytes                    1.5 s
//   read-back      02 74 69 63 00 .. 03 ("tic")   8 bytes                     1.5 s
//   clock read     02 74 69 00 .. 03 ("ti")       8 bytes: BCD date and time  1.5 s
//   erase          02 65 72 61 73 65 00 00 00 03  10 bytes                    2 s
//   interval       02 69 6E 74 MM SS 00 00 00 03  10 bytes                    1.5 s
//   defaults       02 64 65 66 00 .. 03 ("def")   10 bytes                    1.5 s
//   version        02 56 00 .. 03 ("V")           11 bytes, byte 0 signed     1.5 s
//   memory start   02 50 00 .. 03 ("P")           >= 10, byte 1 0x50; then >= 65 bytes, 1 s each
//   quit           02 51 00 .. 03 ("Q")           none
//
// The fixed pauses run the message loop (DownloadServices::waitWithMessages), the polls do not
// (DownloadServices::pause); time is the injected clock's. The busy cursor is shown while an
// operation runs (nested operations keep it). Port errors end an operation with the port's
// error (SilentAbort with the program's ports).

#include "link/ComPortInterface.h"
#include "link/LiveFrame.h"
#include "logger/DownloadHost.h"
#include "logger/MeterInfo.h"
#include "logger/SetupStatus.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <utility>

namespace Setup {

constexpr int kHandshakeTries = 7;
constexpr int kHandshakeTimeoutMs = 1000;
constexpr int kHandshakeSettleMs = 300;
constexpr int kReplyTimeoutMs = 1500;
constexpr int kEraseTimeoutMs = 2000;
constexpr int kStartTimeoutMs = 1000;
constexpr int kBlockTimeoutMs = 1000;
constexpr int kSettleMs = 500; // before the clock, between its frames, between the reads
constexpr int kReadTries = 5;  // version and clock read
constexpr int kStartTries = 3;

constexpr int kReplyLength = 10;
constexpr int kClockReplyLength = 8;
constexpr int kVersionReplyLength = 11;
constexpr int kBlockLength = 65;

constexpr std::uint8_t kClockDataMark = 0x08; // byte 7 of the clock data

// 0x02, the word's bytes from byte 1 on, zeros, 0x03.
constexpr CommandFrame wordFrame(std::string_view word)
{
    CommandFrame f = makeCommandFrame('\0');
    for (std::size_t i = 0; i < word.size() && i < kCommandFrameLength - 2; ++i)
        f[1 + i] = std::uint8_t(word[i]);
    return f;
}

namespace Word {
constexpr std::string_view Handshake = "c";
constexpr std::string_view ClockRequest = "rtc";
constexpr std::string_view ClockReadBack = "tic";
constexpr std::string_view ClockRead = "ti";
constexpr std::string_view Erase = "erase";
constexpr std::string_view Interval = "int";
constexpr std::string_view Defaults = "def";
constexpr std::string_view Version = "V";
constexpr std::string_view Start = "P";
constexpr std::string_view Quit = "Q";
} // namespace Word

// The clock data for a local date-time: year within the century, month, day, hour, minute,
// second in BCD, then 0x08.
CommandFrame clockDataFrame(double days);
CommandFrame intervalFrame(std::uint8_t minutesBcd, std::uint8_t secondsBcd);

// The interval bytes from the two texts (minutes, seconds), each one or two digits, a single
// digit being the units: nullopt when a text is not such a number, either is above 60, or both
// are 0.
std::optional<std::pair<std::uint8_t, std::uint8_t>> intervalBytes(const QString& minutes, const QString& seconds);

} // namespace Setup

// What an operation tells as it goes, for the dialog's diagnostic labels and its fields.
class ISetupObserver {
public:
    virtual ~ISetupObserver() = default;
    virtual void SetupStatusText(const QString& text) {} // "Send rtc Command", "Send ti Command"
    virtual void ReceivedBytes(int count) {}             // while a clock reply is awaited
    virtual void InfoRead(const MeterInfo& info) {}      // ReadMeterInfo has read more
};

class MeterSetup {
public:
    // busyCursor(true/false) shows and hides the hourglass; it is called once for the outermost
    // operation.
    MeterSetup(IComPort& port, DownloadServices services, std::function<void(bool)> busyCursor = {});

    void SetObserver(ISetupObserver* observer) { observer_ = observer; }
    const DownloadServices& Services() const { return services_; }

    // "c" up to seven times: true when a ten-byte reply with byte 1 0x63 came.
    bool MeterHandshake();
    // Sets the meter's clock to the PC's (read once) and reads it back.
    ClockResult AdjustMeterTime();
    // The recording interval from the texts of the minutes and seconds.
    IntervalStatus AdjustRecordingInterval(const QString& minutes, const QString& seconds);
    EraseStatus EraseMeterMemory();
    DefaultsStatus SetMeterDefaults();
    // Version, clock and header page; what could not be read stays empty. Ends with "Q".
    MeterInfo ReadMeterInfo();
    // The header page alone ("P", the first block, "Q"); none when it could not be read.
    std::optional<HeaderPage> ReadHeaderPage();

    // Holds the busy cursor for a longer run of operations.
    class Busy {
    public:
        explicit Busy(MeterSetup& setup);
        ~Busy();
        Busy(const Busy&) = delete;
        Busy& operator=(const Busy&) = delete;

    private:
        MeterSetup& s_;
    };
    // Lifts the busy cursor while the user is asked something (a message box), inside a run
    // that holds it; it comes back afterwards.
    class Idle {
    public:
        explicit Idle(MeterSetup& setup);
        ~Idle();
        Idle(const Idle&) = delete;
        Idle& operator=(const Idle&) = delete;

    private:
        MeterSetup& s_;
        bool lifted_ = false;
    };

private:
    void send(const CommandFrame& frame);
    int poll(int count, int timeoutMs, bool reportCount = false);
    void drain();
    template <std::size_t N>
    bool receive(const CommandFrame& frame, std::array<std::uint8_t, N>& reply, int timeoutMs,
                 bool reportCount = false);
    bool simpleCommand(const CommandFrame& frame, int timeoutMs);
    bool readVersion(MeterInfo& info);
    bool readClock(MeterInfo& info);
    void readHeader(MeterInfo& info);
    template <class Read>
    bool withRecovery(Read read);
    void info(const MeterInfo& i) const
    {
        if (observer_)
            observer_->InfoRead(i);
    }

    IComPort& port_;
    DownloadServices services_;
    std::function<void(bool)> busyCursor_;
    ISetupObserver* observer_ = nullptr;
    int busyDepth_ = 0;
};
