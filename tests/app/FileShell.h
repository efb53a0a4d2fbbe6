// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window for the tests of its file commands: a private data folder and settings, no
// serial devices, prompts that answer as scripted, and the commands' modal dialogs (the choice
// dialog, the file dialogs, the range dialog) answered in turn by the answers a test queues up,
// through the dialogs' own buttons where they have them. The progress windows are real: a test
// reaches them while the loop runs with atFirstLine().

#include "AppTestSupport.h"
#include "support/ScriptedPrompts.h"

#include "app/FileCommands.h"
#include "app/UMain.h"
#include "files/UOpenSave.h"
#include "graph/Chart.h"
#include "graph/GraphCommands.h"
#include "graph/TempFolder.h"
#include "graph/UGraph.h"
#include "logger/UList.h"
#include "logger/UScope.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>

namespace fileshell {

using Reply = std::function<int(QDialog&)>;

// The choice dialog's buttons.
inline Reply choose(OpenSaveChoice choice)
{
    return [choice](QDialog& d) {
        auto& c = dynamic_cast<TfrmOpenSave&>(d);
        QPushButton* b = choice == OpenSaveChoice::AllSets     ? c.btnOpenSets
                         : choice == OpenSaveChoice::SingleSet ? c.btnOpenSingleSet
                                                               : c.Button1;
        b->click();
        return c.result();
    };
}

// A file dialog answered with path.
inline Reply file(const QString& path)
{
    return [path](QDialog& d) {
        dynamic_cast<QFileDialog&>(d).selectFile(path);
        return int(QDialog::Accepted);
    };
}

inline Reply cancel()
{
    return [](QDialog&) { return int(QDialog::Rejected); };
}

// The range dialog: "&All" and OK.
inline Reply all()
{
    return [](QDialog& d) {
        auto& s = dynamic_cast<TfrmScope&>(d);
        s.radAll->setChecked(true);
        s.BitBtn1->click();
        return s.result();
    };
}

// The range dialog: "&Select" with the two texts, then OK.
inline Reply range(const QString& from, const QString& to)
{
    return [from, to](QDialog& d) {
        auto& s = dynamic_cast<TfrmScope&>(d);
        s.radNo->setChecked(true);
        s.edtSelFrom->setText(from);
        s.edtSelTo->setText(to);
        s.BitBtn1->click();
        return s.result();
    };
}

// The progress window with the caption, while the loop runs.
inline TfrmScope* progressWindow(const QString& caption)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* s = qobject_cast<TfrmScope*>(w); s && s->isVisible() && s->windowTitle() == caption)
            return s;
    return nullptr;
}

// Runs f at the first point where the next loop lets events run: after its first line.
inline void atFirstLine(std::function<void()> f)
{
    QTimer::singleShot(0, qApp, std::move(f));
}

// Sets the default locale for the lifetime of the object.
struct DefaultLocale {
    explicit DefaultLocale(const QLocale& l) { QLocale::setDefault(l); }
    ~DefaultLocale() { QLocale::setDefault(QLocale(QLocale::C)); }
};

} // namespace fileshell

struct FileShell {
    static void noDevices(QStringList&) {}

    // The user's formats: US English unless a test says otherwise.
    fileshell::DefaultLocale locale;
    TempDataFolder data;
    PrivateSettings settings;
    ScriptedPrompts answers;
    std::deque<fileshell::Reply> dialogs;   // answers of the modal dialogs, in turn
    QStringList shown;                        // object names of the dialogs shown, in turn
    QStringList notices;                      // the missing template, apart from `answers`
    std::unique_ptr<TfrmMain> w;

    explicit FileShell(const QLocale& formats = QLocale(QLocale::English, QLocale::UnitedStates))
        : locale(formats)
    {
        w = std::make_unique<TfrmMain>(QStringList{}, nullptr, &noDevices);
        UserPrompts prompts = answers.prompts();
        prompts.notice = [this](const QString& t) { notices << t; };
        w->SetPrompts(prompts);
        w->Files().SetDialogRunner([this](QDialog& d) {
            shown << d.objectName();
            if (dialogs.empty())
                return int(QDialog::Rejected);
            const fileshell::Reply answer = dialogs.front();
            dialogs.pop_front();
            return answer(d);
        });
        w->resize(1200, 800);
        w->show();
        EXPECT_TRUE(waitFor([&] { return w->StartupDone(); }, 30000));
        QCoreApplication::processEvents();
        w->MainTimer->stop();
    }

    QString path(const QString& name) const { return data.path(name); }
    void answer(std::initializer_list<fileshell::Reply> list)
    {
        dialogs.insert(dialogs.end(), list.begin(), list.end());
    }

    // A plain graph window holding the chart's data, the active child.
    TfrmGraph* graphOf(const ChartState& st, const QString& caption = QStringLiteral("a graph"))
    {
        TfrmGraph* g = w->Graphs().Create(caption);
        const ChartData& d = st.data;
        double minX = 0, maxX = 1;
        if (d.points() > 0) {
            minX = d.x(0, 0);
            maxX = std::max(minX + 1e-3, d.x(0, d.points() - 1));
        }
        PrepareChartUndrawn(*g->Chart1, d.subsets(), 100, -20, maxX, minX, d.points(),
                            [](const QString&) {});
        g->Chart1->mutableState().data = d;
        g->Chart1->Redraw();
        w->Graphs().Show(*g);
        return g;
    }
    QMdiSubWindow* current() const { return w->MdiArea->currentSubWindow(); }
    template <class W>
    W* currentAs() const
    {
        return current() ? qobject_cast<W*>(current()->widget()) : nullptr;
    }
    int windows() const { return int(w->MdiArea->subWindowList().size()); }

    void save() { w->Save1->trigger(); }
    void open() { w->Open1->trigger(); }
    // Open, a single file.
    void openFile(const QString& file)
    {
        answer({fileshell::choose(OpenSaveChoice::SingleSet), fileshell::file(file)});
        open();
    }
};
