// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Settings.h"

#include <QSettings>

#include <limits>

namespace {

constexpr auto kOrganisation = "KOLVA";
constexpr auto kApplication = "KOLVA";

// A whole number in the 32-bit range, written as a number or as its decimal text; anything else
// (text, a fraction, a list, a missing value) gives the default.
int readInt(const QSettings& store, const char* name, int fallback)
{
    const QVariant v = store.value(QString::fromLatin1(name));
    if (!v.isValid())
        return fallback;
    bool ok = false;
    int result = 0;
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong: {
        const qlonglong n = v.toLongLong(&ok);
        ok = ok && n >= std::numeric_limits<int>::min() && n <= std::numeric_limits<int>::max();
        result = int(n);
        break;
    }
    case QMetaType::QString:
        result = v.toString().trimmed().toInt(&ok);
        break;
    default:
        break;
    }
    return ok ? result : fallback;
}

QStringList readList(const QSettings& store, const char* name)
{
    const QVariant v = store.value(QString::fromLatin1(name));
    QStringList list;
    if (v.typeId() == QMetaType::QStringList)
        list = v.toStringList();
    else if (v.typeId() == QMetaType::QString && !v.toString().isEmpty())
        list << v.toString();
    list.removeAll(QString());
    return list;
}

} // namespace

Settings Settings::Read()
{
    const QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation,
                          kApplication);
    Settings s;
    s.LastConnectedPort = readInt(store, "LastConnectedPort", kDefaultLastConnectedPort);
    s.LastConnectedModel = readInt(store, "LastConnectedModel", kDefaultLastConnectedModel);
    s.RealTimeRate = readInt(store, "RealTimeRate", kDefaultRealTimeRate);
    s.AnnoColor = readInt(store, "AnnoColor", kDefaultAnnoColor);
    // A sampling period below one second is not a period the recorder can keep.
    if (s.RealTimeRate < 1)
        s.RealTimeRate = kDefaultRealTimeRate;
    s.ExtraPorts = readList(store, "ExtraPorts");
    s.FollowY = readInt(store, "FollowY", kDefaultFollowY) != 0 ? 1 : 0;
    return s;
}

bool Settings::Write() const
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    store.setValue("RealTimeRate", RealTimeRate);
    store.setValue("LastConnectedPort", LastConnectedPort);
    store.setValue("LastConnectedModel", LastConnectedModel);
    store.setValue("AnnoColor", AnnoColor);
    if (ExtraPorts.isEmpty())
        store.remove("ExtraPorts");
    else
        store.setValue("ExtraPorts", ExtraPorts);
    store.setValue("FollowY", FollowY);
    store.sync();
    return store.status() == QSettings::NoError;
}
