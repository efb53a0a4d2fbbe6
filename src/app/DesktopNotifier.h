// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Desktop notifications through the desktop's notification service: the method Notify of
// org.freedesktop.Notifications on the session D-Bus, the service every Linux desktop runs
// (GNOME, KDE Plasma, Xfce, and the small daemons such as dunst or mako). The call is sent
// without waiting for its answer, as urgency "critical" so that the notification stays until the
// user closes it. Where there is no session bus the notification is dropped: the status bar and
// the sound still tell.

#include <QString>

class DesktopNotifier {
public:
    // False when there is no session bus to send on.
    bool notify(const QString& summary, const QString& body);
};
