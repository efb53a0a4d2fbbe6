// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rules of the real-time set-up dialog and of the sampling-rate boxes, without a window: the
// number of samples the user asks for, the sampling period entered as minutes and seconds (each
// an item index of a box listing "00" to "60"), and the recording period shown for them.

#include <QString>

#include <cstdint>
#include <optional>

namespace RealTimeSetup {

// The largest number of samples a recording can ask for (five digits).
inline constexpr int kMaxCount = 99999;
// The count field's text when the dialog opens.
inline const QString kInitialCount = QStringLiteral(" 2000");
// The count the period text is given for when the dialog opens.
inline constexpr int kInitialCountValue = 2000;
// The period that replaces 00:00.
inline constexpr int kSmallestRate = 2;

// The count field's text as a number of samples: blanks around it are ignored; one to five
// digits and nothing else, 1 to 99999. Blanks only, signs, letters, blanks between digits,
// more than five digits and 0 give nullopt.
std::optional<int> parseCount(const QString& text);

// The message for a count that is not usable: the field's text as it stood, " is not valid."
// and a line break.
QString invalidCountText(const QString& text);

// The recording period of the dialog when it opens: 2000 samples at rateSeconds, as
// hours:minutes:seconds without leading zeros ("1:6:40" for 2 s).
QString periodAtOpen(int rateSeconds);
// After a box changed: the count (0 when the text is not a number) times the period, the
// minutes and seconds with two digits, the hours without leading zeros ("1:06:40").
QString period(const QString& countText, int minutes, int seconds);
// h:m:s of a number of seconds, with two-digit minutes and seconds when padded.
QString hms(std::int64_t seconds, bool padded);

// Both boxes at "00": they become "00" and "02". True when the indexes were changed.
bool fixZeroRate(int& minutesIndex, int& secondsIndex);

// The period of the boxes in seconds. A box without a selection (-1: a period of 61 minutes or
// more shows no minutes) keeps that part of currentRate, so such a period is not changed by
// boxes that were left alone.
int rateOf(int minutesIndex, int secondsIndex, int currentRate);

} // namespace RealTimeSetup
