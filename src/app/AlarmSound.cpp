// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AlarmSound.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <cmath>
#include <numbers>

#include <unistd.h>

namespace {

constexpr int kRate = 22050;

void put32(QByteArray& b, quint32 v)
{
    char le[4];
    qToLittleEndian(v, le);
    b.append(le, 4);
}

void put16(QByteArray& b, quint16 v)
{
    char le[2];
    qToLittleEndian(v, le);
    b.append(le, 2);
}

} // namespace

QByteArray AlarmSound::signal()
{
    // 880 Hz and 660 Hz, 0.18 s each, with soft edges.
    QByteArray pcm;
    for (double hz : {880.0, 660.0}) {
        const int n = int(0.18 * kRate);
        for (int i = 0; i < n; ++i) {
            const double edge = std::min({1.0, i / 400.0, (n - i) / 400.0});
            const double v = 0.5 * edge * std::sin(2 * std::numbers::pi * hz * i / kRate);
            put16(pcm, quint16(qint16(std::lround(v * 32767))));
        }
    }
    QByteArray wav("RIFF");
    put32(wav, quint32(36 + pcm.size()));
    wav += "WAVEfmt ";
    put32(wav, 16);
    put16(wav, 1);                // PCM
    put16(wav, 1);                // mono
    put32(wav, kRate);
    put32(wav, kRate * 2);
    put16(wav, 2);
    put16(wav, 16);
    wav += "data";
    put32(wav, quint32(pcm.size()));
    return wav + pcm;
}

QString AlarmSound::player() const
{
    for (const char* name : {"pw-play", "paplay", "aplay"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QString AlarmSound::file()
{
    if (file_.isEmpty()) {
        const QString path =
            QDir::temp().filePath(QStringLiteral("kolva-alarm-%1.wav").arg(::getuid()));
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(signal()) > 0)
            file_ = path;
    }
    return file_;
}

void AlarmSound::ring()
{
    if (!looked_) {
        player_ = player();
        looked_ = true;
    }
    const QString wav = player_.isEmpty() ? QString() : file();
    if (wav.isEmpty() || !QProcess::startDetached(player_, {wav}))
        QApplication::beep();
}
