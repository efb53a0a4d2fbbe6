// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The report's PDF metadata: an XMP packet with the title, the operator, the program and the data's
// fingerprint (SHA-256, sample count, first and last time), and the reading of the fingerprint
// back from a PDF file, which `kolva-cli verify` compares with the data.

#include "report/Fingerprint.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct ReportMetadata {
    QString title;
    QString operatorName;
    QString program;
    double made = 0.0;           // local date-time (days)
    DataFingerprint fingerprint;
};

QByteArray reportXmp(const ReportMetadata& metadata);

// The fingerprint stated in a report's PDF bytes: the SHA-256 and the sample count of the last
// metadata packet of this program in the file (a PDF changed by incremental updates keeps the
// older ones before it). nullopt when the file holds none.
struct StatedFingerprint {
    QByteArray sha256;
    int samples = 0;
    QString first;   // as written (ISO 8601 local time with the UTC offset), empty when none
    QString last;
};
std::optional<StatedFingerprint> readReportFingerprint(const QByteArray& pdf);
