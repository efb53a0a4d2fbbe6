// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The outcomes of the meter set-up operations and the texts the user is told them with: the
// texts are made here and nowhere else.

#include <QString>

#include <optional>

// Setting the meter's clock. The numbers are the error codes the user is shown.
enum class ClockStatus {
    Ok = 0,
    NoRequestReply = 2,    // no ten-byte answer to the clock request "rtc"
    WrongRequestReply = 3, // the answer's byte 1 is not 0x72
    NoDataReply = 4,       // no ten-byte answer to the clock data
    NoReadBackReply = 6,   // no eight-byte answer to the read-back "ti"
};

struct ClockResult {
    ClockStatus status = ClockStatus::NoRequestReply;
    double time = 0; // the PC's local date-time that was sent (days)
};

enum class IntervalStatus {
    Ok,
    NoReply,      // no ten-byte answer
    InvalidInput, // refused before anything was sent
};

enum class EraseStatus { Ok, NoReply };
enum class DefaultsStatus { Ok, NoReply };

// The message of each outcome. Clock: "Meter time updated successfully \n" with the date as
// M-D-YYYY(MM-DD-YY) and the time as h:m:s(hh:mm:ss) on their own lines, or "Meter time
// updated fail, Error Code is " and the code.
QString setupMessage(const ClockResult& result);
QString setupMessage(IntervalStatus status);
QString setupMessage(EraseStatus status);
QString setupMessage(DefaultsStatus status);

// The question before the meter's memory is erased, naming what is lost: the data sets still in
// it (dataSets, as its header page gives them; none when that could not be read). The question
// of "Setup All" says that it erases too.
enum class EraseBy { EraseButton, SetupAll };
QString eraseQuestion(EraseBy by, std::optional<int> dataSets);

// Whether the operation's status label shows green: every outcome but a missing or wrong answer
// (invalid interval input leaves the label empty and green).
bool labelGreen(const ClockResult& result);
bool labelGreen(IntervalStatus status);
bool labelGreen(EraseStatus status);
bool labelGreen(DefaultsStatus status);

// The texts of the status labels and of the hidden diagnostic label.
inline const QString kLabelOk = QStringLiteral("OK");
inline const QString kLabelFail = QStringLiteral("Fail");
inline const QString kSendRtcText = QStringLiteral("Send rtc Command");
inline const QString kSendTiText = QStringLiteral("Send ti Command");
