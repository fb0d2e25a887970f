#include "documents/sheet_printout.h"

#include "platform/colours.h"
#include "platform/print_window.h"
#include "session/app_state.h"
#include "sheet/sheet_view.h"

#include <QComboBox>
#include <QMainWindow>
#include <QMenu>
#include <QWidget>

namespace {

void setBackground(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Base, colour);
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

void showMenu(QMainWindow& form, const char* name, bool shown)
{
    if (auto* menu = form.findChild<QMenu*>(QString::fromLatin1(name)))
        menu->menuAction()->setVisible(shown);
}

void showChild(QMainWindow& form, const char* name, bool shown)
{
    if (auto* widget = form.findChild<QWidget*>(QString::fromLatin1(name)))
        widget->setVisible(shown);
}

// The print look: white page and cells, computed cells without borders, no row bands, and none
// of the buttons and menus that mean nothing on paper.
void printLook(QMainWindow& form, SheetView* sheet)
{
    QWidget* background = form.centralWidget();
    background->setAutoFillBackground(true);
    setBackground(background, Qt::white);
    showChild(form, "picButtons", false);
    for (int b = 0; b < 9; ++b) {
        for (int m = 1; m <= 12; ++m)
            setBackground(sheet->typed(m, b), Qt::white);
    }
    for (int row = 1; row <= 13; ++row) {
        for (int c = 0; c < 8; ++c) {
            setBackground(sheet->computed(row, c), Qt::white);
            sheet->computed(row, c)->setFrame(false);
        }
    }
    for (int i = 0; i < 12; ++i)
        sheet->band(i)->setAutoFillBackground(false);
    showMenu(form, "Mnu_Spr", false);
    showMenu(form, "Menu_Tools", false);
    showChild(form, "Frame1", false);
    form.resize(SheetPrintSize.expandedTo(form.minimumSizeHint()));
}

void normalLook(AppState& state, QMainWindow& form, SheetView* sheet)
{
    QWidget* background = form.centralWidget();
    background->setAutoFillBackground(false);
    background->setPalette(QPalette());
    showChild(form, "picButtons", true);
    sheet->applyColours(state.RowColourOdd, state.RowColourEven);
    for (int b = 0; b < 9; ++b) {
        for (int m = 1; m <= 12; ++m) {
            if (sheet->typed(m, b)->hasFocus())
                sheet->paintCell(sheet->typed(m, b), state.FocusColour);
        }
    }
    const QColor totals = form.palette().color(QPalette::ToolTipBase);
    for (int row = 1; row <= 13; ++row) {
        for (int c = 0; c < 8; ++c) {
            sheet->computed(row, c)->setFrame(true);
            if (row == 13)
                setBackground(sheet->computed(row, c), totals);
        }
    }
    for (int i = 0; i < 12; ++i)
        sheet->band(i)->setAutoFillBackground(true);
    showMenu(form, "Mnu_Spr", true);
    showMenu(form, "Menu_Tools", true);
    showChild(form, "Frame1", true);
}

} // namespace

void printSheet(
    AppState& state, QMainWindow& window, SheetView& sheet, const QString& subscriber, const QString& year)
{
    printLook(window, &sheet);
    PrintWindowImage(&window, PageOrientation::Landscape, state.services.printer, state.services.dialogs,
        QStringLiteral("Таблица %1 %2.pdf").arg(subscriber, year));
    normalLook(state, window, &sheet);
}
