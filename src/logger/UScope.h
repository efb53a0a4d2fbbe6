// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmScope: the small form that serves as the range dialog of the saves and as the progress
// window of the download, the saves, the opening of a table and the graphing of a table. Every
// control is on the form; one function per use shows the controls of that use and hides the
// rest. Kept on top of the other windows and centred on the screen; a progress window is shown
// without being modal, the range dialog modally.

#include "logger/DownloadHost.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

class TfrmScope : public QDialog {
    Q_OBJECT
public:
    explicit TfrmScope(QWidget* parent = nullptr);

    // The range dialog: "&All" selected, from and to in the edit boxes, OK and Cancel.
    void ShowAsRangeDialog(const QString& caption, const QString& from, const QString& to);

    // A progress window with a text, the bar from 0 to barMaximum (none when barMaximum < 0)
    // and, when cancellable, the Cancel button, which sets CancelPressed().
    void ShowAsProgress(const QString& caption, const QString& text, int barMaximum,
                        bool cancellable);
    bool CancelPressed() const { return cancelPressed_; }

    // The download's progress window: bytes received, total bytes, the bar, the time left and
    // Cancel (Escape and the window's close button do the same). A total of 0 is not known yet:
    // the meter is awaited.
    void ShowAsDownloadProgress(int totalBytes);
    void SetDownloadTotal(int totalBytes);
    void ShowDownloadProgress(const DownloadProgress& progress);

    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* radAll = nullptr;
    QRadioButton* radNo = nullptr;
    QLabel* lblSelFrom = nullptr;
    QLineEdit* edtSelFrom = nullptr;
    QLabel* lblSelTo = nullptr;
    QLineEdit* edtSelTo = nullptr;
    QPushButton* BitBtn1 = nullptr; // OK
    QPushButton* BitBtn2 = nullptr; // Cancel
    QProgressBar* Progress1 = nullptr;
    QLabel* SText1 = nullptr;
    QLabel* SText2 = nullptr;
    QLabel* lblBytesReceived = nullptr;
    QLabel* lblTotalBytes = nullptr;
    QLabel* lblTimeLeft = nullptr;

public slots:
    void BitBtn2Click();
    // Escape: a progress window with Cancel is cancelled and stays until its work has stopped;
    // any other use of the form is rejected as a dialog is.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Use { Range, Progress, Download };
    void showOnly(Use use);
    // A progress window whose Cancel stops the work.
    bool cancelsWork() const;

    Use use_ = Use::Range;
    bool cancelPressed_ = false;
};
