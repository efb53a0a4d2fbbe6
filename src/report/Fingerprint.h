// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The fingerprint of a run's readings: the SHA-256 of their canonical machine CSV (the header and
// one line per sample, the very bytes `kolva-cli export` writes for the same data), with the
// number of samples and the first and last time. The same readings give the same fingerprint on
// every machine in the same time zone; one reading changed by a tenth gives another.

#include "files/MachineCsv.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <span>

struct DataFingerprint {
    QByteArray sha256;              // 64 lower-case hexadecimal digits
    int samples = 0;
    std::optional<double> first;    // local date-times (days) of the first and the last sample
    std::optional<double> last;
    bool operator==(const DataFingerprint&) const = default;
};

// The canonical text the fingerprint is taken of.
QByteArray canonicalText(std::span<const MachineSample> samples);

DataFingerprint fingerprintOf(std::span<const MachineSample> samples);
