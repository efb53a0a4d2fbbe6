// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/FileProgress.h"

#include "logger/UScope.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>

#include <memory>

std::optional<ExportRange> askExportRange(QWidget* parent, int last, const DialogRunner& run,
                                          const MessageFn& message)
{
    const auto dialog = std::make_unique<TfrmScope>(parent);
    dialog->ShowAsRangeDialog(QStringLiteral("Save File"), QStringLiteral("1"),
                              QString::number(last));
    if (run(*dialog) != QDialog::Accepted)
        return std::nullopt;
    const std::optional<ExportRange> range = exportRange(
        dialog->radAll->isChecked(), dialog->edtSelFrom->text(), dialog->edtSelTo->text(), last);
    if (!range && message)
        message(invalidIntegerText());
    return range;
}

FileProgress::FileProgress(QWidget* parent, const QString& caption, const QString& text,
                           int barMaximum, bool cancellable)
    : window_(new TfrmScope(parent))
{
    window_->ShowAsProgress(caption, text, barMaximum, cancellable);
    window_->show();
    window_->repaint();
    sinceCounter_.start();
}

FileProgress::~FileProgress()
{
    delete window_.data();
}

LineProgress FileProgress::Lines(Shows shows, std::function<bool()> stillThere)
{
    return [this, shows, stillThere = std::move(stillThere)](int done) {
        return line(shows, done, stillThere);
    };
}

bool FileProgress::line(Shows shows, int done, const std::function<bool()>& stillThere)
{
    if (window_) {
        if (shows == Shows::Bar) {
            window_->Progress1->setValue(std::min(done, window_->Progress1->maximum()));
        } else if (done == 1 || sinceCounter_.elapsed() >= CounterRepaintMs) {
            window_->SText1->setText(QString::number(done));
            sinceCounter_.restart();
        }
    }
    QCoreApplication::processEvents();
    // A progress window closed by its close box is a Cancel too.
    return !window_ || window_->CancelPressed() || !window_->isVisible() ||
           (stillThere && !stillThere());
}
