// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmLog.h"

#include "alarms/AlarmTexts.h"
#include "base/DataFolder.h"
#include "base/DateTime.h"
#include "files/MachineCsv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <algorithm>

AlarmLog::AlarmLog(QString folder, Reporter report)
    : folder_(folder.isEmpty() ? dataPath(QStringLiteral("alarms")) : std::move(folder)),
      report_(std::move(report))
{
}

QByteArray AlarmLog::header()
{
    return QByteArrayLiteral("time,event,channel,rule,limit,unit,value\n");
}

QByteArray AlarmLog::line(const AlarmEvent& e)
{
    const AlarmRule& r = e.rule;
    QByteArray out = MachineCsv::timeText(e.time);
    out += ',' + Alarm::eventWord(e.type).toUtf8();
    out += ',' + (r.kind == AlarmKind::MeterLost ? QByteArrayLiteral("meter")
                                                  : Alarm::channelName(r.channel).toUtf8());
    out += ',' + Alarm::kindWord(r.kind).toUtf8();
    out += ',' + (r.hasLimit() ? MachineCsv::valueText(float(r.limit)) : QByteArray());
    out += ',' + Alarm::valueUnit(r).toUtf8();
    out += ',' + (e.value ? MachineCsv::valueText(float(*e.value)) : QByteArray());
    out += '\n';
    return out;
}

QString AlarmLog::pathFor(double time) const
{
    const QDate day = DateTime::split(time).date;
    return QDir(folder_).filePath(QStringLiteral("alarms-%1.csv").arg(day.toString(Qt::ISODate)));
}

bool AlarmLog::append(const AlarmEvent& event)
{
    QString why;
    const QString path = pathFor(event.time);
    if (!QDir().mkpath(folder_)) {
        why = QStringLiteral("The alarm log folder %1 cannot be created.").arg(QDir::toNativeSeparators(folder_));
    } else {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
            why = QStringLiteral("The alarm log %1 cannot be written: %2")
                      .arg(QDir::toNativeSeparators(path), file.errorString());
        } else {
            const QByteArray bytes = (file.size() == 0 ? header() : QByteArray()) + line(event);
            if (file.write(bytes) != bytes.size())
                why = QStringLiteral("The alarm log %1 cannot be written: %2")
                          .arg(QDir::toNativeSeparators(path), file.errorString());
        }
    }
    if (why.isEmpty()) {
        failure_.clear();
        return true;
    }
    if (failure_.isEmpty() && report_)
        report_(why);
    failure_ = why;
    return false;
}

std::vector<LoggedAlarmEvent> AlarmLog::eventsBetween(double from, double to) const
{
    std::vector<LoggedAlarmEvent> events;
    if (!(from <= to))
        return events;
    const QDate first = DateTime::split(from).date;
    const QDate last = DateTime::split(to).date;
    // The day files present, not every day of the span: a span may cover years.
    static const QRegularExpression name(QStringLiteral("^alarms-(\\d{4}-\\d{2}-\\d{2})\\.csv$"));
    QStringList files = QDir(folder_).entryList({QStringLiteral("alarms-*.csv")}, QDir::Files, QDir::Name);
    for (const QString& f : files) {
        const QRegularExpressionMatch m = name.match(f);
        if (!m.hasMatch())
            continue;
        const QDate day = QDate::fromString(m.captured(1), Qt::ISODate);
        if (!day.isValid() || day < first || day > last)
            continue;
        QFile file(QDir(folder_).filePath(f));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray& raw : lines) {
            const QByteArray line = raw.endsWith('\r') ? raw.chopped(1) : raw;
            const QList<QByteArray> fields = line.split(',');
            if (fields.size() != 7)
                continue;
            const std::optional<double> time = MachineCsv::parseTime(fields[0]);
            if (!time || *time < from || *time > to)
                continue;
            events.push_back({*time, QString::fromUtf8(fields[1]), QString::fromUtf8(fields[2]),
                              QString::fromUtf8(fields[3]), QString::fromUtf8(fields[4]),
                              QString::fromUtf8(fields[5]), QString::fromUtf8(fields[6])});
        }
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const LoggedAlarmEvent& a, const LoggedAlarmEvent& b) { return a.time < b.time; });
    return events;
}
