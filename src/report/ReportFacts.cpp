// SPDX-License-Identifier: GPL-3.0-or-later
#include "report/ReportFacts.h"

#include "base/LocaleText.h"
#include "logger/DataSet.h"

#include <QFileInfo>

#include <cmath>

QString periodText(int seconds)
{
    if (seconds <= 0)
        return QStringLiteral("not known");
    QStringList parts;
    if (seconds >= 3600)
        parts << QStringLiteral("%1 h").arg(seconds / 3600);
    if ((seconds % 3600) / 60 > 0)
        parts << QStringLiteral("%1 min").arg((seconds % 3600) / 60);
    if (seconds % 60 > 0)
        parts << QStringLiteral("%1 s").arg(seconds % 60);
    return parts.join(QLatin1Char(' '));
}

std::vector<ReportFact> recordingFacts(double start, double end, int periodSeconds, int samples)
{
    return {{QStringLiteral("Origin"), QStringLiteral("Real-time recording from the meter")},
            {QStringLiteral("Start"), LocaleText::dateTimeText(start)},
            {QStringLiteral("End"), samples > 0 ? LocaleText::dateTimeText(end) : QString()},
            {QStringLiteral("Sampling period"), periodText(periodSeconds)},
            {QStringLiteral("Samples"), QString::number(samples)}};
}

std::vector<ReportFact> loggerSetFacts(const DataSet& set, int number, const QString& fileName)
{
    QString origin = QStringLiteral("Data set %1 of the meter's data logger").arg(number);
    if (!fileName.isEmpty())
        origin += QStringLiteral(", read from the collection file %1")
                      .arg(QFileInfo(fileName).fileName());
    return {{QStringLiteral("Origin"), origin},
            {QStringLiteral("Start"), LocaleText::dateTimeText(set.StartTime)},
            {QStringLiteral("Sampling rate"), periodText(set.Rate)},
            {QStringLiteral("Samples"), QString::number(set.Nums)},
            {QStringLiteral("Thermocouple"), QStringLiteral("type %1").arg(set.CoupleLetter())}};
}

std::vector<ReportFact> fileFacts(const QString& fileName, std::span<const MachineSample> samples)
{
    std::vector<ReportFact> facts{
        {QStringLiteral("Origin"), QStringLiteral("File %1").arg(QFileInfo(fileName).fileName())}};
    if (!samples.empty()) {
        facts.push_back({QStringLiteral("Start"), LocaleText::dateTimeText(samples.front().time)});
        facts.push_back({QStringLiteral("End"), LocaleText::dateTimeText(samples.back().time)});
    }
    facts.push_back({QStringLiteral("Samples"), QString::number(samples.size())});
    return facts;
}

std::vector<ReportFact> meterFacts(const QString& model, const std::optional<int>& firmware,
                                   const std::optional<double>& clockDifferenceSeconds)
{
    std::vector<ReportFact> facts;
    if (!model.isEmpty())
        facts.push_back({QStringLiteral("Meter"), model});
    if (firmware)
        facts.push_back({QStringLiteral("Firmware version"), QString::number(*firmware)});
    if (clockDifferenceSeconds) {
        const long long s = std::llround(*clockDifferenceSeconds);
        facts.push_back({QStringLiteral("Meter clock"),
                         s == 0 ? QStringLiteral("on time with the computer's clock")
                                : QStringLiteral("%1 s %2 the computer's clock")
                                      .arg(std::llabs(s))
                                      .arg(s > 0 ? QStringLiteral("ahead of")
                                                 : QStringLiteral("behind"))});
    }
    return facts;
}
