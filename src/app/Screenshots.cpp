// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Screenshots.h"

#include "app/UAbout.h"
#include "app/UMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QTimer>

#include <memory>

namespace {
constexpr int kSplashDelayMs = 600;
constexpr int kMainDelayMs = 3000;

void save(QWidget& w, const QString& folder, const char* name)
{
    QDir().mkpath(folder);
    w.grab().save(QDir(folder).filePath(QString::fromLatin1(name)));
}
} // namespace

void armScreenshots(TfrmMain& main, TfrmAbout* splash, const QString& folder)
{
    QTimer::singleShot(kSplashDelayMs, &main, [s = QPointer<TfrmAbout>(splash), folder] {
        if (s)
            save(*s, folder, "app-splash.png");
    });
    QObject::connect(&main, &TfrmMain::StartupFinished, &main, [&main, folder] {
        QTimer::singleShot(kMainDelayMs, &main, [&main, folder] {
            save(main, folder, "app-main.png");
            auto about = std::make_unique<TfrmAbout>(TfrmAbout::Mode::Dialog, &main);
            about->show();
            QCoreApplication::processEvents();
            save(*about, folder, "app-about.png");
            about.reset();
            main.close();
        });
    });
}
