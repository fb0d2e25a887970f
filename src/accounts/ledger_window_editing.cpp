#include "accounts/cell_editor.h"
#include "accounts/ledger_model.h"
#include "accounts/ledger_window.h"
#include "platform/dialogs.h"
#include "session/app_state.h"

#include <QTableView>

// The edit box txtg over a cell of the grid: opening it, putting what was typed into the cell
// (recomputed and stored at once), and keeping it whatever the user does next.

void frmRedLS::openEditor()
{
    m_txtg->drop();
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid() || !ledger::isEditableColumn(current.column()))
        return;
    // A closed month's editor still opens, to show and copy its amount.
    if (!m_state.archiveView())
        m_txtg->setReadOnly(m_model->isClosed());
    m_txtg->openOver(current, m_model->cellText(current.row(), current.column()));
}

bool frmRedLS::commitEditor(bool moveOn)
{
    const QModelIndex edited = m_txtg->cell();
    if (!edited.isValid() || !ledger::isEditableColumn(edited.column()))
        return true;
    const std::optional<std::string> amount = ledger::typedAmount(m_txtg->text().toStdString());
    if (!amount) {
        m_state.services.dialogs.message({ QStringLiteral("Введите сумму числом, например 1250,50"),
            QStringLiteral("Ошибка ввода"), MessageIcon::Exclamation });
        m_txtg->returnToCell();
        return false;
    }
    const bool hadFocus = m_txtg->hasFocus();
    const ledger::Cell cell{ edited.row(), edited.column() };
    m_model->setCellText(cell.row, cell.column, *amount);
    m_txtg->drop();
    VICHISLIT1();
    SAVE1();
    if (!moveOn) {
        // The user went elsewhere: the focus stays where they put it.
        if (hadFocus)
            m_grid->setFocus();
        return true;
    }
    m_grid->setFocus();
    const std::optional<ledger::Cell> next
        = ledger::cellAfterEnter(cell, m_model->rowCount(), m_state.EnterMovesDown);
    if (!next)
        return true;
    const QModelIndex target = m_model->index(next->row, next->column);
    m_grid->setCurrentIndex(target);
    m_grid->scrollTo(target);
    openEditor();
    return true;
}

bool frmRedLS::finishEdit()
{
    if (!m_txtg->isOpen())
        return true;
    // Nothing typed: the cell already holds what the editor shows.
    const QModelIndex edited = m_txtg->cell();
    if (m_txtg->text() == m_model->cellText(edited.row(), edited.column())) {
        const bool hadFocus = m_txtg->hasFocus();
        m_txtg->drop();
        if (hadFocus)
            m_grid->setFocus();
        return true;
    }
    return commitEditor(false);
}
