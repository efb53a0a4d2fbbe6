// SPDX-License-Identifier: GPL-3.0-or-later
#include "alarms/AlarmLog.h"

#include "alarms/AlarmTexts.h"
#include "base/DataFolder.h"
#include "base/DateTime.h"
#include "files/MachineCsv.h"

#include <QDir>
#include <QFile>

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
