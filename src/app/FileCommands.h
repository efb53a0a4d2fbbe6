// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The File menu's commands on the active child window, and the table window's "Output Tabular to
// graph": the main window owns one FileCommands and routes its commands here.
//
//   Save          a table window: its rows as text or CSV; the data-logger window: the choice
//                 of all sets (a collection file) or the set shown (SaveGraph); any other graph
//                 window: SaveGraph.
//   SaveGraph     a chart as graph file (.ghf), text (.txt) or CSV (.csv), by the name's
//                 extension. Also the save of the graph windows' questions.
//   Open          the choice of a collection file or a single file: a graph file opens in a new
//                 graph window, a text or CSV file in a new table window.
//   OutputToGraph a table window's rows as a new graph window.
//
// The text files are written and read line by line under a progress window that lets events
// run, so the main window's commands stay reachable meanwhile: a file command that comes while
// one runs is refused (with a beep), and a loop whose window is closed under it stops there.
//
// Every failure is told with the file's name and the reason (the prompts' message for what the
// user can put right, their error box for errors). A save returns true only when the data are
// safe in the file: a graph file written, or a text or CSV export that was written in full and
// covered every recorded point. An export of part of a graph writes its file but saves nothing
// in that sense: the graph's unsaved mark and its journal stay.

#include "app/FileDialogs.h"
#include "base/Questions.h"
#include "base/Clock.h"

#include <QChar>
#include <QString>

#include <functional>
#include <memory>

class Chart;
class DataSetStore;
class GraphWindows;
class IDataSetsView;
class QDialog;
class QMdiArea;
class QMdiSubWindow;
class QWidget;
class TfrmGraph;
class TfrmList;
enum class OpenSaveChoice;
struct UnsavedMarks;

class FileCommands {
public:
    using DialogRunner = std::function<int(QDialog& dialog)>;

    // What the commands use of the main window, which owns all of it.
    struct Context {
        QWidget& mainWindow;          // parent of the dialogs and the progress windows
        QMdiArea& area;               // the child windows
        GraphWindows& graphs;         // new graph windows
        DataSetStore& store;          // the downloaded data sets
        UnsavedMarks& unsaved;        // LoggerDataUnsaved
        const UserPrompts& prompts;   // messages, questions, the error box
        std::function<TfrmGraph*()> openLoggerGraph;   // the data-logger window, made or restored
        std::function<IDataSetsView&()> dataSets;      // its list and drawing of the sets
        std::function<void()> tableActivated;          // a table window became the active child
        std::function<void(Chart&)> chartSaved;        // a chart was saved in full
    };

    explicit FileCommands(Context context);
    ~FileCommands();
    FileCommands(const FileCommands&) = delete;
    FileCommands& operator=(const FileCommands&) = delete;

    // Every modal dialog of the commands (the choice dialog, the file dialogs, the range dialog)
    // is shown through run; exec() by default. Tests answer them.
    void SetDialogRunner(DialogRunner run);
    FileDialogs& Dialogs() { return dialogs_; }
    // A file command runs (its dialogs or its loop).
    bool Busy() const { return busy_; }

    // The commands. active: the window they act on (the area's current sub-window).
    bool Save(QMdiSubWindow* active);
    bool SaveGraph(Chart& chart);
    void Open();
    void OutputToGraph(QMdiSubWindow* active);

    // A new, empty table window in its own sub-window, shown.
    TfrmList* CreateTableWindow(const QString& caption);

private:
    // The commands' steps; they run inside a command.
    bool saveGraph(Chart& chart);
    bool exportGraphText(const Chart& chart, const QString& fileName, QChar separator);
    bool exportTableText(TfrmList& list);
    bool saveCollection();
    void openSingleFile();
    void openGraphFile(const QString& fileName);
    void openTableFile(const QString& fileName);
    void openCollection();
    void outputToGraph(TfrmList& list);
    void placeOpenedGraph(TfrmGraph& window);
    OpenSaveChoice askChoice(const QString& caption, const QString& allSets,
                             const QString& singleSet);

    // Runs body as one command: refused while another runs, errors told, busy meanwhile.
    template <class F>
    bool command(F&& body);
    void message(const QString& text) const;
    void error(const QString& text) const;
    MessageFn notice() const;

    Context c_;
    FileDialogs dialogs_;
    DialogRunner run_;
    SystemClock clock_;
    bool busy_ = false;
};
