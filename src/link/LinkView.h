#pragma once
// The user interface elements that the frame reader, the watchdog and the meter search switch.
// The main window implements it; tests implement it with a recorder.

#include <QString>

class ILinkView {
public:
    virtual ~ILinkView() = default;
    virtual void SetRunEnabled(bool on) = 0;          // btnRun and menu item Run1
    virtual void SetStopEnabled(bool on) = 0;         // btnStop and menu item Stop1
    virtual void SetDataLoggerEnabled(bool on) = 0;   // btnDataLogger and menu item DataLogger1
    virtual void SetStatus(const QString& devicePath, const QString& connection) = 0; // status panels 0 and 1
    virtual void SetNoConnectionVisible(bool on) = 0; // the panel's lblNoConnection, when the panel exists
    virtual void SetClearEnabled(bool on) = 0;        // tbntClr of the real-time graph window, when it exists
};
