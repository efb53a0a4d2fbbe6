// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The alarm sound: one ring is a short two-tone signal. It is written once as a WAV file into the
// temporary folder and played by the player of the desktop's sound server, the first of
// pw-play (PipeWire), paplay (PulseAudio) and aplay (ALSA) found on the path; without any of them
// the system beep sounds instead.

#include <QString>

class AlarmSound {
public:
    void ring();
    // The player found, empty when the beep stands in.
    QString player() const;
    // The signal as WAV bytes: 16-bit mono PCM.
    static QByteArray signal();

private:
    QString file();
    QString file_;
    bool looked_ = false;
    QString player_;
};
