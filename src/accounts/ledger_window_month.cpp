#include "accounts/cell_editor.h"
#include "accounts/ledger_model.h"
#include "accounts/ledger_window.h"
#include "accounts/ledger_window_parts.h"
#include "platform/colours.h"
#include "platform/picture_buttons.h"
#include "platform/settings_store.h"
#include "session/app_state.h"
#include "session/year_selector.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>

// The month the ledger shows: the one it opens on, filling the grid from the table, the
// computation and the sums row, storing the month back, and the steps to another month or year.

using namespace ledgerwindow;

namespace {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

int monthIndexInRange(int index)
{
    return std::clamp(index, 0, 11);
}

} // namespace

void frmRedLS::Form_Load()
{
    // The first opening in a run goes back to the year and month of the last close, which the
    // close keeps under "Cmb10" and "Li"; later ones stay with the month last viewed in this run.
    if (!m_state.LedgerOpenedThisRun) {
        m_state.LedgerOpenedThisRun = true;
        const SettingsStore& store = m_state.services.settings;
        const auto place = ledger::rememberedPlace(m_state.table.years(),
            store.value(settings::Main, QStringLiteral("Cmb10")).trimmed().toStdString(),
            store.value(settings::Main, QStringLiteral("Li")).trimmed().toStdString());
        m_state.LedgerMonthIndex = place ? place->monthIndex : 0;
        if (place)
            m_cmb->setCurrentIndex(place->year - m_state.table.years().first());
    }
    m_state.LedgerMonthIndex = monthIndexInRange(m_state.LedgerMonthIndex);
    m_lblMes->setText(fromStd(fields::MonthNames[m_state.LedgerMonthIndex]));
    m_txtg->setBackground(fromWindowsColour(m_state.FocusColour));
    showMonthButtons();
    WCOL();
    ZAPOLNIT1();
    VICHISLIT1();
}

void frmRedLS::showMonthButtons()
{
    const int index = m_state.LedgerMonthIndex;
    m_cmdLeft->setEnabled(index > 0);
    m_cmdRight->setEnabled(index < 11);
    m_cmdPerenos->setVisible(m_lblMes->text() == fromStd(fields::MonthNames[11]));
    // From the last year held the carry-over opens the next one, as long as the years can move on.
    const fields::YearWindow& years = m_state.table.years();
    m_cmdPerenos->setEnabled(m_cmb->currentText() != QString::number(years.last()) || years.canMoveOn());
}

void frmRedLS::ZAPOLNIT1()
{
    m_month = ledger::findLedgerMonth(
        m_state.table.years(), m_cmb->currentText().toStdString(), m_lblMes->text().toStdString());
    if (m_month.fellBack) {
        // What is shown, what the month buttons step from and what is stored must agree.
        m_cmb->setCurrentIndex(0);
        m_state.LedgerMonthIndex = 0;
        m_lblMes->setText(fromStd(fields::MonthNames[0]));
        showMonthButtons();
    }
    m_state.LedgerBase = m_month.base;
    m_txtg->drop();
    m_model->refill([this](ledger::Grid& grid) { ledger::fill(m_state.table, m_month, grid); });
    m_model->setClosed(!m_state.archiveView() && m_state.isClosed(m_month.year, m_month.month));
}

void frmRedLS::VICHISLIT1()
{
    ledger::compute(m_model->grid());
    m_model->cellsChanged();
    FORMAT1();
}

void frmRedLS::FORMAT1()
{
    ledger::Grid& grid = m_model->grid();
    ledger::formatSums(grid.sums);
    for (int j = 0; j < ledger::SumBoxes; ++j)
        m_tS[j]->setText(fromStd(grid.sums[j]));
}

void frmRedLS::SAVE1()
{
    // Nothing of a closed month changes, not even what a computation would put in anew.
    if (m_model->isClosed())
        return;
    m_frame->button(SaveButton)->setEnabled(true);
    ledger::store(m_state.table, m_month, m_model->grid());
}

QString frmRedLS::shownYear() const
{
    return m_cmb->currentText();
}

QString frmRedLS::shownMonth() const
{
    return m_lblMes->text();
}

QString frmRedLS::sumText(int j) const
{
    return j >= 0 && j < ledger::SumBoxes ? m_tS[j]->text() : QString();
}

void frmRedLS::stepMonth(int step)
{
    if (!finishEdit())
        return;
    QToolButton* button = step > 0 ? m_cmdRight : m_cmdLeft;
    const int index = m_state.LedgerMonthIndex + step;
    if (index < 0 || index > 11) {
        button->setEnabled(false);
        return;
    }
    // The month left behind carries its end balances into the month after it.
    SAVE1();
    m_state.LedgerMonthIndex = index;
    m_lblMes->setText(fromStd(fields::MonthNames[index]));
    ZAPOLNIT1();
    VICHISLIT1();
    SAVE1();
    showMonthButtons();
}

void frmRedLS::CmdLeft_Click()
{
    stepMonth(-1);
}

void frmRedLS::CmdRight_Click()
{
    stepMonth(1);
}

void frmRedLS::Cmb1_Click()
{
    if (!finishEdit()) {
        // The month shown stays until its amount is right.
        m_cmb->setCurrentIndex(m_month.year - m_state.table.years().first());
        return;
    }
    // m_month is still the month shown before the choice.
    SAVE1();
    ZAPOLNIT1();
    VICHISLIT1();
    SAVE1();
    showMonthButtons();
}

void frmRedLS::followYears()
{
    const QString shown = m_cmb->currentText();
    m_cmb->clear();
    addHeldYears(*m_cmb, m_state.table.years());
    m_cmb->setCurrentIndex(std::max(0, m_cmb->findText(shown)));
    showMonthButtons();
}

void frmRedLS::refillIfShown(const std::vector<bank::YearMonth>& months)
{
    const bank::YearMonth shown{ m_month.year, m_month.month };
    if (std::find(months.begin(), months.end(), shown) == months.end())
        return;
    ZAPOLNIT1();
    VICHISLIT1();
}
