// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/Fingerprint.h"

#include <QCryptographicHash>

QByteArray canonicalText(std::span<const MachineSample> samples)
{
    QByteArray out = MachineCsv::header();
    out.reserve(qsizetype(samples.size()) * 56 + out.size());
    MachineCsv::LineWriter writer;
    for (const MachineSample& s : samples)
        out += writer.line(s);
    return out;
}

DataFingerprint fingerprintOf(std::span<const MachineSample> samples)
{
    DataFingerprint f;
    f.sha256 = QCryptographicHash::hash(canonicalText(samples), QCryptographicHash::Sha256).toHex();
    f.samples = int(samples.size());
    if (!samples.empty()) {
        f.first = samples.front().time;
        f.last = samples.back().time;
    }
    return f;
}
