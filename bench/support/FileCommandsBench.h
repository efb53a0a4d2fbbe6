// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window of the file benchmarks: a private data folder, no serial devices, prompts that
// show nothing, 1600 x 900 on the offscreen platform, its file dialogs and range dialog answered
// at once. The progress windows are real and every line lets events run, as for the user.

#include "files/FileFixtures.h"
#include "graph/TempFolder.h"
#include "support/ShownMainWindow.h"

#include "app/FileCommands.h"
#include "files/UOpenSave.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/UGraph.h"
#include "logger/UList.h"
#include "logger/UScope.h"

#include <QApplication>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>

namespace benchfiles {

constexpr int kPoints = 99999;

struct Shell {
    TempDataFolder data;
    ShownMainWindow shown{QSize(1600, 900)};
    TfrmMain& main = shown.main;
    QString fileName;   // what the file dialogs answer

    Shell()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        main.Files().SetDialogRunner([this](QDialog& d) {
            if (qobject_cast<TfrmOpenSave*>(&d))
                return TfrmOpenSave::SingleSetResult;
            if (auto* range = qobject_cast<TfrmScope*>(&d)) {
                range->radAll->setChecked(true);
                return int(QDialog::Accepted);
            }
            dynamic_cast<QFileDialog&>(d).selectFile(fileName);
            return int(QDialog::Accepted);
        });
    }
    QString path(const QString& name) const { return data.path(name); }

    // A plain graph window of 4 x kPoints recorded points.
    TfrmGraph* recordedGraph()
    {
        const ChartState st = filefixtures::recordedChart(kPoints, kPoints);
        TfrmGraph* g = main.Graphs().Create(QStringLiteral("recorded"));
        PrepareChartUndrawn(*g->Chart1, 4, 100, -20, st.data.x(0, kPoints - 1), st.data.x(0, 0),
                            kPoints, [](const QString&) {});
        g->Chart1->mutableState().data = st.data;
        g->Chart1->Redraw();
        main.Graphs().Show(*g);
        return g;
    }
    // The graph saved as file (CSV by its name) through the Save command.
    bool exportGraph(TfrmGraph& g, const QString& file)
    {
        fileName = file;
        main.MdiArea->setActiveSubWindow(GraphWindows::SubWindowOf(g));
        return main.Files().Save(main.MdiArea->currentSubWindow());
    }
    // The file opened through the Open command: the new table window.
    TfrmList* openTable(const QString& file)
    {
        fileName = file;
        main.Files().Open();
        QMdiSubWindow* sub = main.MdiArea->currentSubWindow();
        return sub ? qobject_cast<TfrmList*>(sub->widget()) : nullptr;
    }
    static void close(QWidget& window)
    {
        window.parentWidget()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

} // namespace benchfiles
