#pragma once

// The edit box laid over one cell of a grid: it opens over the cell with the cell's text selected, takes
// only what the database can keep, turns a typed full stop into the decimal comma, and closes
// when the grid scrolls (what was typed is dropped then).

#include <QLineEdit>

class QModelIndex;

class QTableView;

class CellEditor : public QLineEdit
{
    Q_OBJECT
public:
    explicit CellEditor(QTableView* grid);

    void openOver(const QModelIndex& index, const QString& text);
    // Emptied and hidden.
    void drop();
    void setBackground(const QColor& colour);

signals:
    void enterPressed();
    void escapePressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QTableView* m_grid;
};
