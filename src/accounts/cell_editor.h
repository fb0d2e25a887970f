#pragma once

// The edit box laid over one cell of a grid: it opens over the cell with the cell's text selected, takes
// only what the database can keep and turns a typed full stop into the decimal comma. Enter and
// Escape are the window's to handle; leaving the cell any other way (the grid scrolls, the focus
// goes elsewhere) is reported too, so that the window keeps what was typed, as a spreadsheet does.

#include <QLineEdit>
#include <QPersistentModelIndex>

class QTableView;

class CellEditor : public QLineEdit
{
    Q_OBJECT
public:
    explicit CellEditor(QTableView* grid);

    void openOver(const QModelIndex& index, const QString& text);
    // Emptied and hidden.
    void drop();
    // The cell the editor is open over; invalid while it is closed.
    QModelIndex cell() const { return m_cell; }
    bool isOpen() const;
    // Back over its cell, scrolled into view, with the focus: after a refused amount.
    void returnToCell();
    // Sent back to its cell by what the user is doing at this moment (the press of a click that
    // took the focus from it, say): that click then goes no further.
    bool justReturned() const { return m_justReturned; }
    void setBackground(const QColor& colour);

signals:
    void enterPressed();
    void escapePressed();
    void left();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void placeOverCell();
    void onScrolled();

    QTableView* m_grid;
    QPersistentModelIndex m_cell;
    bool m_returning = false;
    bool m_justReturned = false;
};
