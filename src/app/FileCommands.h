#pragma once
// The File menu's commands on the active child window: Open, Save and the save of one graph
// (SaveGraph, also called by the closing questions of the real-time window and by the real-time
// commands). The main window owns one instance and routes its commands here.
//
// Pending: the file formats and their dialogs join here. Until then every command does nothing
// and the saves report that nothing was saved, so that no unsaved data are given up on their
// account.

class Chart;
class QMdiSubWindow;

class FileCommands {
public:
    // Pending: opens a graph, text, CSV or collection file.
    void Open();
    // Pending: saves the active child window. True when something was written.
    bool Save(QMdiSubWindow* active);
    // Pending: saves one chart as a graph file. True when it was written.
    bool SaveGraph(Chart& chart);
};
