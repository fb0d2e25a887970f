#include "accounts/cell_editor.h"

#include "accounts/ledger.h"
#include "platform/text_input.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>

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
    connect(grid->verticalScrollBar(), &QScrollBar::valueChanged, this, &CellEditor::onScrolled);
    connect(grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &CellEditor::onScrolled);
}

void CellEditor::openOver(const QModelIndex& index, const QString& text)
{
    drop();
    if (m_grid->visualRect(index).isEmpty())
        return;
    m_cell = index;
    placeOverCell();
    show();
    setText(text);
    // Typing replaces the amount; the arrow keys keep it for a correction.
    selectAll();
    setFocus(Qt::OtherFocusReason);
}

void CellEditor::placeOverCell()
{
    const QRect cell = m_grid->visualRect(m_cell);
    // A little wider than the cell, so that its borders are covered.
    setGeometry(cell.left() - 1, cell.top(), cell.width() + 2, cell.height());
}

void CellEditor::drop()
{
    // Closed before it hides: the focus leaving a hidden editor is no leaving of the cell.
    m_cell = QPersistentModelIndex();
    clear();
    hide();
}

bool CellEditor::isOpen() const
{
    return m_cell.isValid() && isVisible();
}

void CellEditor::returnToCell()
{
    if (!isOpen())
        return;
    {
        // Scrolling back to the cell is not a scroll away from it.
        const QScopedValueRollback returning(m_returning, true);
        m_grid->scrollTo(m_cell);
    }
    placeOverCell();
    // A message box about the amount may have left no window active.
    if (!window()->isActiveWindow())
        window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
    // The rest of the user's action is handled before the event loop runs again.
    m_justReturned = true;
    QTimer::singleShot(0, this, [this] { m_justReturned = false; });
}

void CellEditor::onScrolled()
{
    if (isOpen() && !m_returning)
        emit left();
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

void CellEditor::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    // The editor's own menu (cut, copy, paste), another window coming to the front and a message
    // about the amount leave the user in the cell.
    const Qt::FocusReason reason = event->reason();
    if (isOpen() && reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
        emit left();
}
