// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The data sets list of the data-logger window (Grid2): a plain table whose row the user can also
// move with the keyboard. A row reached by a key reports itself as a click would, so that the
// arrow keys walk through the sets; a row chosen by the program (the list being filled) does not.

#include <QTableWidget>

class DataSetsGrid final : public QTableWidget {
    Q_OBJECT
public:
    DataSetsGrid(int rows, int columns, QWidget* parent) : QTableWidget(rows, columns, parent) {}

signals:
    void rowChosenByKey(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const int before = currentRow();
        QTableWidget::keyPressEvent(event);
        if (currentRow() != before && currentRow() >= 0)
            emit rowChosenByKey(currentRow());
    }
};
