// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop notification as a notification service receives it: a private session bus
// (dbus-daemon) with a stand-in for org.freedesktop.Notifications that keeps the calls.

#include "app/DesktopNotifier.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QCoreApplication>
#include <QVariantMap>

#include <gtest/gtest.h>

namespace {

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Call {
        QString app, icon, summary, body;
        uint replaces = 0;
        QVariantMap hints;
        int timeout = 0;
    };
    QList<Call> calls;

public slots:
    uint Notify(const QString& app, uint replaces, const QString& icon, const QString& summary,
                const QString& body, const QStringList&, const QVariantMap& hints, int timeout)
    {
        calls.append({app, icon, summary, body, replaces, hints, timeout});
        return uint(calls.size());
    }
};

} // namespace

TEST(DesktopNotifier, SendsNotifyToTheDesktopsNotificationService)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    QProcess bus;
    bus.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                       QStringLiteral("--print-address=1")});
    ASSERT_TRUE(bus.waitForStarted(5000));
    ASSERT_TRUE(bus.waitForReadyRead(5000));
    const QByteArray address = bus.readLine().trimmed();
    ASSERT_FALSE(address.isEmpty());
    // The program's session bus is this one (read at its first use, below).
    qputenv("DBUS_SESSION_BUS_ADDRESS", address);

    FakeNotifications fake;
    QDBusConnection service = QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("fake"));
    ASSERT_TRUE(service.isConnected());
    ASSERT_TRUE(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &fake,
                                       QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service.registerService(QStringLiteral("org.freedesktop.Notifications")));

    DesktopNotifier notifier;
    ASSERT_TRUE(notifier.notify(QStringLiteral("KOLVA alarm"), QString::fromUtf8("T1 above 250.0 \u00b0C")));
    QElapsedTimer timer;
    timer.start();
    while (fake.calls.isEmpty() && timer.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(fake.calls.size(), 1) << "the service never got the call (wrong signature?)";
    const FakeNotifications::Call& c = fake.calls.front();
    EXPECT_EQ(c.app, "KOLVA");
    EXPECT_EQ(c.summary, "KOLVA alarm");
    EXPECT_EQ(c.body, QString::fromUtf8("T1 above 250.0 \u00b0C"));
    EXPECT_EQ(c.replaces, 0u);
    EXPECT_EQ(c.timeout, -1);
    EXPECT_EQ(c.hints.value(QStringLiteral("urgency")).toInt(), 2) << "critical: it stays";

    QDBusConnection::disconnectFromBus(QStringLiteral("fake"));
    bus.terminate();
    bus.waitForFinished(5000);
}

#include "test_desktop_notifier.moc"
