// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding of live frames: a pure function of the frame and the decoder state. It gives the
// latest LiveReading and what the front panel shows (PanelDisplay); the window only applies it.
//
// The caller (the main window) decodes every good frame, whether or not the front panel exists,
// so that the LiveReading is always current for the recorder and the download; it applies the
// returned PanelDisplay (TfrmPanel::ShowDisplay) and switches MaxMinTimer only while the panel
// exists. The decoder state (PreviousHold, BlinkPhase) lives as long as the program.

#include "link/LiveFrame.h"

#include <QLocale>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

struct LiveReading {
    std::uint8_t Mode = 0;
    bool Celsius = true;
    bool MeterRecording = false;
    bool Difference = false;
    bool Hold = false;
    std::uint8_t Battery = 0;
    std::uint8_t Thermocouple = 0;
    bool MemoryFull = false;
    bool AutoOff = false;
    std::array<float, 4> Channel{};
    float MaxValue = 0, MinValue = 0, AvgValue = 0;
    std::array<QString, 2> MaxStamp, MinStamp, AvgStamp;
    std::uint8_t ChannelStatus = 0;
    std::uint8_t StatisticStatus = 0;
};

struct DecoderState {
    bool PreviousHold = false;
    bool BlinkPhase = false;
};

// What one frame does to the panel. An empty optional leaves that element as it is.
struct PanelDisplay {
    std::uint8_t battery = 0;                 // imgBAT shows BatteryPictures[battery]
    bool full = false, rec = false, hold = false, autoOff = false;
    std::optional<bool> k, j, e, t;           // thermocouple marks
    std::optional<bool> max, min, avg;        // lblMAX, lblMIN, lblAVG
    std::optional<bool> maxMinTimer;          // enable or disable MaxMinTimer
    bool t1C = false, t1F = false;            // imgT1C, imgt1F
    bool rowsC = false, rowsF = false;        // imgT2C..imgT4C, imgT2F..imgT4F
    std::array<std::optional<QString>, 4> name;  // lblT1..lblT4
    std::array<std::optional<QString>, 4> value; // lblT1Value..lblT4Value
};

// Decodes a good frame: updates reading and state, returns the panel's changes.
PanelDisplay DecodeLiveFrame(const LiveFrame& frame, LiveReading& reading, DecoderState& state,
                             const QLocale& locale = QLocale::system());

// The four channel values as they are recorded (the real-time graph, its journal, kolva-cli
// live): NullReading for a channel that the meter marks as without a value ("- - - -") or over
// range ("-OL-"), so that statistics and files treat it as missing.
std::array<float, 4> recordedValues(const LiveReading& reading);

// One tick of MaxMinTimer: inverts BlinkPhase and returns it (true: lblMAX and lblMIN shown).
bool nextBlink(DecoderState& state);

// Helpers that the panel and the tests share.
// Signed 16-bit big-endian tenths, computed in extended precision, stored as float.
float decodeMeasurement(std::uint8_t high, std::uint8_t low);
// Fixed-point text with the locale's decimal separator: one decimal below 1000, none from 1000
// on, at most 7 significant digits, a plain "-" for negative values.
QString valueText(double v, const QLocale& locale);
// A stamp pair: "- - - -" when first > 0x99, else both bytes as two hex digits with separator.
QString stampText(std::uint8_t first, std::uint8_t second, QChar separator);
