// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the file commands' windows, for people to look at: kolva-file-screens FOLDER.
//   choice-save.png, choice-open.png   the choice dialog of Save and of Open
//   range-dialog.png                   the range dialog of a text export, "&Select" chosen
//   saving-progress.png, open-progress.png   the progress windows half way through
//   table-window.png                   the main window with a table window of 1,000 rows
//   table-opened-WxH.png               a table file just opened, at 1600 x 900 and 1366 x 768
//   table-graph.png                    the main window with the graph made from that table
#include "support/PictureTool.h"
#include "support/ShownMainWindow.h"

#include "app/FileCommands.h"
#include "files/FileFixtures.h"
#include "files/TextExport.h"
#include "files/UOpenSave.h"
#include "graph/Chart.h"
#include "graph/UGraph.h"
#include "logger/UList.h"
#include "logger/UScope.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

TfrmScope* progress(const QString& caption)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<TfrmScope*>(w); s && s->isVisible() && s->windowTitle() == caption)
            return s;
    return nullptr;
}

// Saves the progress window with the caption once, as soon as its loop is half way.
void pictureHalfWay(const QString& caption, const QString& dir, const QString& name)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        TfrmScope* p = progress(caption);
        if (!p)
            return;
        const bool bar = p->Progress1->isVisible();
        if (bar && p->Progress1->value() < p->Progress1->maximum() / 2)
            return;
        if (!bar && p->SText1->text().toInt() < 500)
            return;
        picturetool::save(*p, dir, name);
        timer->deleteLater();
    });
    timer->start(0);
}

} // namespace

int main(int argc, char** argv)
{
    picturetool::chooseOffscreenPlatform();
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QString dir = picturetool::outputFolder(argc, argv);
    QTemporaryDir files;
    const QString csv = QDir(files.path()).filePath(QStringLiteral("run.csv"));
    const QString txt = QDir(files.path()).filePath(QStringLiteral("run.txt"));

    ShownMainWindow shown(QSize(1280, 860));
    TfrmMain& main = shown.main;
    FileCommands& commands = main.Files();
    const auto sourceGraph = main.Graphs().Create(QStringLiteral("source"));
    sourceGraph->Chart1->mutableState().data = filefixtures::recordedChart(100000, 100000).data;
    main.Graphs().Show(*sourceGraph);

    // Every modal dialog is pictured and answered.
    int step = 0;
    commands.SetDialogRunner([&](QDialog& d) {
        d.show();
        QCoreApplication::processEvents();
        if (auto* c = qobject_cast<TfrmOpenSave*>(&d)) {
            picturetool::save(*c, dir, step == 0 ? QStringLiteral("choice-save.png")
                                                 : QStringLiteral("choice-open.png"));
            d.hide();
            return step++ == 0 ? int(QDialog::Rejected) : TfrmOpenSave::SingleSetResult;
        }
        if (auto* r = qobject_cast<TfrmScope*>(&d)) {
            r->radNo->setChecked(true);
            r->edtSelFrom->setText(QStringLiteral("1"));
            r->edtSelTo->setText(QStringLiteral("1000"));
            picturetool::save(*r, dir, QStringLiteral("range-dialog.png"));
            d.hide();
            return int(QDialog::Accepted);
        }
        auto& f = dynamic_cast<QFileDialog&>(d);
        d.hide();
        f.selectFile(f.acceptMode() == QFileDialog::AcceptSave ? csv : txt);
        return int(QDialog::Accepted);
    });

    // The choice dialog of Save, on the data-logger window.
    main.OpenLoggerGraph();
    commands.Save(main.MdiArea->currentSubWindow());
    main.MdiArea->setActiveSubWindow(GraphWindows::SubWindowOf(*sourceGraph));

    // 1,000 rows as CSV, under the progress window; a text file of 100,000 for the opening's.
    pictureHalfWay(QStringLiteral("Saving Progress"), dir, QStringLiteral("saving-progress.png"));
    commands.SaveGraph(*sourceGraph->Chart1);
    exportGraphText(sourceGraph->Chart1->state(), txt, QLatin1Char('\t'), {1, 100000});
    sourceGraph->parentWidget()->close();
    main.LoggerWindow->parentWidget()->close();

    pictureHalfWay(QStringLiteral("Open Progress"), dir, QStringLiteral("open-progress.png"));
    commands.Open();
    if (QMdiSubWindow* big = main.MdiArea->currentSubWindow())
        big->close();
    QCoreApplication::processEvents();

    // The 1,000 rows in a table window, and the graph made from them.
    commands.SetDialogRunner([&](QDialog& d) {
        if (qobject_cast<TfrmOpenSave*>(&d))
            return TfrmOpenSave::SingleSetResult;
        dynamic_cast<QFileDialog&>(d).selectFile(csv);
        return int(QDialog::Accepted);
    });
    commands.Open();
    QMdiSubWindow* table = main.MdiArea->currentSubWindow();
    table->setGeometry(0, 0, 640, 560);
    QCoreApplication::processEvents();
    picturetool::save(main, dir, QStringLiteral("table-window.png"));
    main.btnOutputToGraphClick();
    QCoreApplication::processEvents();
    picturetool::save(main, dir, QStringLiteral("table-graph.png"));

    for (TfrmGraph* g : main.Graphs().Windows())
        g->parentWidget()->close();
    main.Unsaved() = {};
    main.close();

    // A table file opens where a graph file does, at each screen size.
    for (const QSize& size : {QSize(1600, 900), QSize(1366, 768)}) {
        ShownMainWindow screen(size);
        screen.main.Files().SetDialogRunner([&](QDialog& d) {
            if (qobject_cast<TfrmOpenSave*>(&d))
                return TfrmOpenSave::SingleSetResult;
            dynamic_cast<QFileDialog&>(d).selectFile(csv);
            return int(QDialog::Accepted);
        });
        screen.main.Files().Open();
        QCoreApplication::processEvents();
        picturetool::save(screen.main, dir,
                          QStringLiteral("table-opened-%1x%2.png").arg(size.width()).arg(size.height()));
        screen.main.close();
    }
    return 0;
}
