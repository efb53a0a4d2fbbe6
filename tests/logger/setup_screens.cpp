// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the set-up dialog against the simulated meter into PNG files for a person to look at:
//   kolva-setup-screens OUTPUT_FOLDER
// setup-open.png as the dialog opens, setup-all.png after Setup All, setup-failures.png after a
// Setup All whose clock and defaults steps got no answer; each in its MDI frame. The question
// Setup All asks first, as the dialog shows it: setup-all-question.png.

#include "support/PictureTool.h"
#include "SetupBench.h"

#include "logger/USetup.h"

#include <QApplication>
#include <QDir>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

// Answers the next question box with Yes, after a picture of it.
void answerYesAfterPicture(const QDir& out, const QString& name)
{
    auto* look = new QTimer(qApp);
    look->setInterval(10);
    QObject::connect(look, &QTimer::timeout, [look, out, name] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        look->deleteLater();
        look->stop();
        box->grab().save(out.filePath(QStringLiteral("setup-%1.png").arg(name)));
        box->button(QMessageBox::Yes)->click();
    });
    look->start();
}

bool render(const QDir& out, const QString& name, sim::MeterConfig config, bool setupAll)
{
    SimSetupHost host(std::move(config));
    QMdiArea area;
    area.resize(1100, 800);
    area.show();
    QPointer<TfrmSetup> dialog;
    OpenMeterSetup(host, area, dialog, host.services);
    dialog->ShowMessageBox = [](const QString&) {};
    if (setupAll) {
        answerYesAfterPicture(out, name + QStringLiteral("-question"));
        dialog->Button6Click();
    }
    QApplication::processEvents();
    const QImage image = dialog->parentWidget()->grab().toImage();
    return image.save(out.filePath(QStringLiteral("setup-%1.png").arg(name)));
}

} // namespace

int main(int argc, char** argv)
{
    picturetool::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    const QDir out(picturetool::outputFolder(argc, argv));
    sim::MeterConfig meter;
    meter.firmwareVersion = 12;
    meter.logger.cjcOffsets = {-200, 15, 0, 3};
    meter.logger.gains = {65536, 65800, 65300, 65536};
    meter.logger.runs = {fixtures::run(20), fixtures::run(30), fixtures::run(40, 65)};
    bool ok = render(out, QStringLiteral("open"), meter, false);
    ok = render(out, QStringLiteral("all"), meter, true) && ok;
    meter.faults.replies = {{"rtc", sim::ReplyFault::Kind::NoReply, 0, -1},
                            {"def", sim::ReplyFault::Kind::NoReply, 0, -1}};
    ok = render(out, QStringLiteral("failures"), meter, true) && ok;
    return ok ? 0 : 1;
}
