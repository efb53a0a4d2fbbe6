// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TfrmOpenSave: the choice dialog of Open and Save. Three stacked buttons: btnOpenSets (all data
// sets: a collection file), btnOpenSingleSet (a single data set file) and Button1 "Cancel". The
// stored captions are the save texts; the Open command puts its own texts in. Kept on top,
// centred on the screen, with only a close box; made for one use and destroyed afterwards.

#include <QDialog>

class QPushButton;

enum class OpenSaveChoice { AllSets, SingleSet, Cancel };

class TfrmOpenSave : public QDialog {
    Q_OBJECT
public:
    // The dialog's result for btnOpenSingleSet; btnOpenSets accepts, Button1 and the close box
    // reject.
    static constexpr int SingleSetResult = 2;

    explicit TfrmOpenSave(QWidget* parent = nullptr);

    // The texts of one use: the caption and the first two buttons.
    void SetTexts(const QString& caption, const QString& allSets, const QString& singleSet);
    static OpenSaveChoice ChoiceOf(int result);

    QPushButton* btnOpenSets = nullptr;
    QPushButton* btnOpenSingleSet = nullptr;
    QPushButton* Button1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fitButtons();
};
