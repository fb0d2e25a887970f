// Form1: the sheet filled from the records, computed and stored back; what it does when a cell is
// entered, changed, left or middle-clicked; and the sheet's commands of the "Инструменты" menu.

#include "app/main_window.h"
#include "app/main_window_parts.h"
#include "platform/dialogs.h"
#include "session/app_state.h"
#include "sheet/sheet.h"
#include "sheet/sheet_editing.h"
#include "sheet/sheet_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>

using namespace mainwindow;

void Form1::CLEAR1()
{
    m_lbSch->clear();
    m_sheet->clear();
}

void Form1::ZAPOLNIT()
{
    CLEAR1();
    m_shownName = m_cmb[0]->currentText();
    m_shownYear = m_cmb[1]->currentText();
    const std::string name = m_shownName.toStdString();
    const std::string year = m_shownYear.toStdString();
    CurrentRecord = sheet::findRecord(m_state.table, name, CurrentRecord);
    m_lbSch->setText(fromStd(m_state.table.field(CurrentRecord, fields::MeterType)));
    if (const auto texts = sheet::readYear(m_state.table, CurrentRecord, year))
        m_sheet->setShownTexts(*texts);
    showClosedMonths();
}

void Form1::SAVE()
{
    button(SaveButton)->setEnabled(true);
    // Into the year the sheet was filled from: a year typed into the selector and not chosen must
    // not receive the twelve months of another year.
    sheet::storeYear(m_state.table, CurrentRecord, m_shownYear.toStdString(), m_sheet->texts());
}

void Form1::VICHISLIT()
{
    // Writing the hidden month charges raises their change handling; that inner run would compute
    // the same texts again, so it is left out.
    if (!SheetReady || m_computing)
        return;
    m_computing = true;
    m_computation = sheet::computeSheet(m_sheet->texts());
    m_sheet->showComputed(m_computation);
    m_computing = false;
}

ShownSheet Form1::shown() const
{
    return ShownSheet{ *m_sheet, m_shownName, m_shownYear, m_computation };
}

void Form1::ApplyTableColours()
{
    m_sheet->applyColours(m_state.RowColourOdd, m_state.RowColourEven);
}

void Form1::onSelectorChosen()
{
    ZAPOLNIT();
    VICHISLIT();
}

void Form1::onCellChanged(SheetCell*)
{
    VICHISLIT();
}

void Form1::onCellFocusEntered(SheetCell* cell)
{
    m_sheet->paintCell(cell, m_state.FocusColour);
}

void Form1::onCellFocusLeft(SheetCell* cell)
{
    // Nothing can have been typed into an archive, and the copy tools must not fill its cells.
    if (m_state.archiveView()) {
        m_sheet->paintCell(cell, m_sheet->rowColour(cell->month()));
        return;
    }
    // Line breaks need no removing here: the cells take none, whether typed, pasted or set.
    sheet::CopyTools tools;
    tools.autofillPrevious = m_ch[0]->isChecked();
    tools.power = m_ch[1]->isChecked();
    tools.losses = m_ch[2]->isChecked();
    tools.tariff = m_ch[3]->isChecked();
    setCells(sheet::copiesOnLeaving(m_sheet->texts(), cell->month(), cell->element(), tools));

    VICHISLIT();
    SAVE();
    m_sheet->paintCell(cell, m_sheet->rowColour(cell->month()));
}

void Form1::onCellMouseReleased(SheetCell* cell, Qt::MouseButton button)
{
    if (button != Qt::MiddleButton || !sheet::isQuickCopyElement(cell->element()))
        return;
    if (m_state.refuseInArchive() || !yearIsOneOfTheEight()
        || m_state.refuseInClosedMonth(*shownHeldYear(), cell->month()))
        return;
    const QString value = cell->text();
    const bool yes = m_state.services.dialogs.askYesNo(QStringLiteral("Копировать содержимое этой ячейки: ")
            + value + QStringLiteral(" для всех абонентов? "),
        QStringLiteral("Быстрое копирование."), MessageIcon::Question);
    if (yes)
        FineCopy(value, cell->month(), cell->element());
}

void Form1::FineCopy(const QString& value, int m, int b)
{
    // The table only: the other subscribers see the value when they are shown, and the file gets
    // it with the next write.
    sheet::fineCopy(m_state.table, m_shownYear.toStdString(), m, b, value.toStdString());
}

void Form1::Menu_Tools_Date_Click()
{
    if (m_state.refuseInArchive() || !yearIsOneOfTheEight() || !anyMonthOpen())
        return;
    if (sheet::anyFilled(m_sheet->texts(), { fields::Date })) {
        const bool yes = m_state.services.dialogs.askYesNo(
            QStringLiteral("Найдены заполненные ячейки дат, если продолжить заполнение, то информация в них "
                           "изменится. Продолжить заполнение дат? "),
            QStringLiteral("Подтвердите заполнение дат."), MessageIcon::Question);
        if (!yes)
            return;
    }
    setCells(sheet::monthEndDates(*shownHeldYear()));
    SAVE();
}

void Form1::Menu_Tools_PostChUlOsv_Click()
{
    if (m_state.refuseInArchive() || !yearIsOneOfTheEight() || !anyMonthOpen())
        return;
    if (sheet::anyFilled(m_sheet->texts(), { fields::LightingHours, fields::LightingDays })) {
        const bool yes = m_state.services.dialogs.askYesNo(
            QStringLiteral("Обнаружены заполненные ячейки,  если продолжить информация в них изменится. "
                           "Продолжить заполнение?"),
            QStringLiteral("Подтвердите заполнение Часов и Суток уличного освещения."),
            MessageIcon::Information);
        if (!yes)
            return;
    }
    setCells(sheet::lightingHoursAndDays(*shownHeldYear()));
    VICHISLIT();
    SAVE();
}

void Form1::Menu_Tools_DelChUlOsv_Click()
{
    if (m_state.refuseInArchive() || !yearIsOneOfTheEight() || !anyMonthOpen())
        return;
    Dialogs& dialogs = m_state.services.dialogs;
    if (!sheet::anyFilled(m_sheet->texts(), { fields::LightingHours, fields::LightingDays })) {
        dialogs.message({ QStringLiteral("Все ячейки часов и суток уличного освещеня пусты, очищать нечего!"),
            QStringLiteral("Заполненых ячеек не найдено."), MessageIcon::Information });
        return;
    }
    if (!dialogs.askYesNo(QStringLiteral("Вы действительно хотите очистить часы и сутки уличного освещения?"),
            QStringLiteral("Подтвердите удаление."), MessageIcon::Question))
        return;
    setCells(sheet::lightingCleared());
    VICHISLIT();
    SAVE();
}

bool Form1::setCells(const std::vector<sheet::CellEdit>& edits)
{
    // Each text raises the cell's change handling, as typing it would.
    bool all = true;
    for (const sheet::CellEdit& edit : edits) {
        if (m_sheet->isClosedMonth(edit.month)) {
            all = false;
            continue;
        }
        m_sheet->typed(edit.month, edit.element)->setText(QString::fromStdString(edit.text));
    }
    return all;
}

void Form1::showClosedMonths()
{
    // In an archive every cell is read-only already.
    if (m_state.archiveView())
        return;
    std::array<bool, sheet::Months> closed{};
    if (const std::optional<int> year = shownHeldYear()) {
        for (int m = 1; m <= sheet::Months; ++m)
            closed[std::size_t(m - 1)] = m_state.isClosed(*year, m);
    }
    m_sheet->setClosedMonths(closed);
}

bool Form1::anyMonthOpen()
{
    for (int m = 1; m <= sheet::Months; ++m) {
        if (!m_sheet->isClosedMonth(m))
            return true;
    }
    return !m_state.refuseInClosedMonth(*shownHeldYear(), sheet::Months);
}

void Form1::openMonthClosing(frmCloseMonth::Mode mode)
{
    if (m_state.refuseInArchive())
        return;
    // What is typed goes into the table first: a closure writes the table as it stands.
    SAVE();
    auto* window = new frmCloseMonth(
        m_state, mode, [this] { showClosedMonths(); }, this);
    window->show();
}

bool Form1::yearIsOneOfTheEight()
{
    // A sheet filled for a year typed into the selector and not one of the list has no fields:
    // whatever the commands wrote into it could never be stored.
    if (shownHeldYear())
        return true;
    const fields::YearWindow& years = m_state.table.years();
    m_state.services.dialogs.message(
        { QStringLiteral("Года \"%1\" нет в списке. Выберите в списке \"Год\" один из годов %2 … %3.")
                .arg(m_shownYear)
                .arg(years.first())
                .arg(years.last()),
            QStringLiteral("Год не выбран"), MessageIcon::Exclamation });
    return false;
}

std::optional<int> Form1::shownHeldYear() const
{
    return m_state.table.years().find(m_shownYear.toStdString());
}
