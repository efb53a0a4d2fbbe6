// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The about box. It serves twice: as the splash while the program starts and searches for the
// meter (no OK button; the search writes its progress into Label4), and as the dialog of
// "&About". Below the program's name and version it gives the copyright and the licence.

#include <QDialog>

class QLabel;
class QPushButton;
class TVersionInfo;

class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Dialog, Splash };

    explicit TfrmAbout(Mode mode = Mode::Dialog, QWidget* parent = nullptr);

    // Shows the splash without waiting and paints it at once.
    void ShowSplash();
    // The search's progress line.
    void SetProgress(const QString& text);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblLicence = nullptr;
    QPushButton* BitBtn1 = nullptr;
    TVersionInfo* VersionInfo1 = nullptr;

public slots:
    void BitBtn1Click();
};
