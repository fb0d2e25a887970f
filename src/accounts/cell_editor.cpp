#include "accounts/cell_editor.h"

#include "accounts/ledger.h"
#include "platform/text_input.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>

CellEditor::CellEditor(QTableView* grid) : QLineEdit(grid->viewport()), m_grid(grid)
{
    acceptOnlyStorableText(this);
    setFrame(false);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    hide();
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!text.contains(QLatin1Char('.')))
            return;
        // Setting the text comes back here until every full stop is a comma.
        setText(QString::fromStdString(ledger::withDecimalComma(text.toStdString())));
        setCursorPosition(int(this->text().size()));
    });
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &CellEditor::drop);
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &CellEditor::drop);
}

void CellEditor::openOver(const QModelIndex& index, const QString& text)
{
    drop();
    const QRect cell = m_grid->visualRect(index);
    if (cell.isEmpty())
        return;
    // A little wider than the cell, so that its borders are covered.
    setGeometry(cell.left() - 1, cell.top(), cell.width() + 2, cell.height());
    show();
    setText(text);
    // Typing replaces the amount; the arrow keys keep it for a correction.
    selectAll();
    setFocus(Qt::OtherFocusReason);
}

void CellEditor::drop()
{
    clear();
    hide();
}

void CellEditor::setBackground(const QColor& colour)
{
    QPalette p = palette();
    p.setColor(QPalette::Base, colour);
    setPalette(p);
}

void CellEditor::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: emit enterPressed(); return;
    case Qt::Key_Escape: emit escapePressed(); return;
    default: QLineEdit::keyPressEvent(event);
    }
}
