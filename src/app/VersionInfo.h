// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TVersionInfo: the program's version text (the project's VERSION, compiled in) and the label
// that shows it. The label is watched, so a destroyed label is simply forgotten.

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QString>

class TVersionInfo : public QObject {
    Q_OBJECT
public:
    explicit TVersionInfo(QObject* parent = nullptr);

    QString FileVersion() const { return version_; }

    QLabel* FileVersionLabel() const { return label_; }
    // Writes the version text into the new label at once.
    void SetFileVersionLabel(QLabel* label);

private:
    QString version_;
    QPointer<QLabel> label_;
};
