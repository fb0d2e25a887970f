#include "documents/sheet_printout.h"

#include "documents/document_output.h"
#include "session/app_state.h"
#include "sheet/sheet_view.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScrollArea>
#include <QWidget>
#include <vector>

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

// The panels that mean nothing on paper: the copy-tool check boxes, the picture buttons and the
// status bar.
constexpr std::array<const char*, 3> HiddenPanels = { "picButtons", "Frame1", "StatusBar" };

// The window's size with the whole sheet in view: the page never shows it scrolled sideways.
QSize wholeSheetSize(QMainWindow& form)
{
    const auto* scroller = qobject_cast<QScrollArea*>(form.centralWidget());
    if (!scroller || !scroller->widget())
        return {};
    const QSize content = scroller->widget()->minimumSizeHint();
    return { content.width() + 2 * scroller->frameWidth(),
        content.height() + 2 * scroller->frameWidth() + form.menuBar()->sizeHint().height() };
}

// A text selected in a cell, to be selected again as it was, cursor end included.
struct Selection
{
    QPointer<QLineEdit> cell;
    int start = 0;
    int length = 0;
    bool cursorAtStart = false;
};

// The main window switched to its print look for as long as this lives: white page and cells, no
// cell frames, no colour bands, no focus colour, no selection, no month in bold under the mouse,
// none of the buttons and menus, at the print size. Afterwards everything is as it was.
class PrintLook
{
public:
    PrintLook(AppState& state, QMainWindow& form, SheetView& view)
        : m_state(state), m_form(form), m_sheet(view)
    {
        m_size = form.size();
        m_windowState = form.windowState();
        m_normalPlace = form.normalGeometry();
        QWidget* background = form.centralWidget();
        background->setAutoFillBackground(true);
        setBackground(background, Qt::white);

        // Hiding the panel that holds the focus (the print button itself, after a click) would
        // hand the focus on to the next control, a cell of the sheet, which then takes the focus
        // colour onto the paper and keeps the focus afterwards. The focus waits on the page.
        if (QWidget* focused = form.focusWidget(); focused && insideHiddenPanel(focused)) {
            m_parkedFocus = focused;
            background->setFocus(Qt::OtherFocusReason);
        }
        showPanels(false);

        for (int b = 0; b < sheet::ShownElements; ++b) {
            for (int m = 1; m <= sheet::Months; ++m) {
                SheetCell* cell = view.typed(m, b);
                setBackground(cell, Qt::white);
                cell->setFrame(false);
                if (cell->hasSelectedText()) {
                    m_selections.push_back({ cell, cell->selectionStart(), int(cell->selectedText().size()),
                        cell->cursorPosition() == cell->selectionStart() });
                    cell->deselect();
                }
            }
        }
        for (int row = 1; row <= sheet::TotalsRow; ++row) {
            for (int c = 0; c < sheet::ComputedElements; ++c) {
                setBackground(view.computed(row, c), Qt::white);
                view.computed(row, c)->setFrame(false);
            }
        }
        for (int i = 0; i < sheet::Months; ++i)
            view.band(i)->setAutoFillBackground(false);
        for (int m = 1; m <= sheet::Months; ++m) {
            m_bold[std::size_t(m - 1)] = view.monthLabel(m)->font().bold();
            view.monthLabel(m)->setBold(false);
        }
        showMenu(form, "Mnu_Spr", false);
        showMenu(form, "Menu_Tools", false);
        form.resize(SheetPrintSize.expandedTo(form.minimumSizeHint()).expandedTo(wholeSheetSize(form)));

        // A box of the printing (no printer: save as PDF?) takes the focus and gives it back to the
        // cell, which the main window then paints in the focus colour before the page is drawn.
        m_focusWatch
            = QObject::connect(qApp, &QApplication::focusChanged, &view, [this](QWidget*, QWidget* now) {
                  if (auto* cell = qobject_cast<SheetCell*>(now); cell && m_sheet.isAncestorOf(cell))
                      setBackground(cell, Qt::white);
              });
    }

    ~PrintLook()
    {
        QObject::disconnect(m_focusWatch);
        QWidget* background = m_form.centralWidget();
        background->setAutoFillBackground(false);
        background->setPalette(QPalette());
        showPanels(true);
        if (m_parkedFocus)
            m_parkedFocus->setFocus(Qt::OtherFocusReason);

        for (int b = 0; b < sheet::ShownElements; ++b) {
            for (int m = 1; m <= sheet::Months; ++m)
                m_sheet.typed(m, b)->setFrame(true);
        }
        m_sheet.applyColours(m_state.RowColourOdd, m_state.RowColourEven);
        // The window's focus, not the application's: a cell keeps its colour while another window
        // is in front.
        if (auto* focused = qobject_cast<SheetCell*>(m_form.focusWidget());
            focused && m_sheet.isAncestorOf(focused))
            m_sheet.paintCell(focused, m_state.FocusColour);
        for (const Selection& s : m_selections) {
            if (!s.cell)
                continue;
            if (s.cursorAtStart)
                s.cell->setSelection(s.start + s.length, -s.length);
            else
                s.cell->setSelection(s.start, s.length);
        }
        const QColor totals = m_form.palette().color(QPalette::ToolTipBase);
        for (int row = 1; row <= sheet::TotalsRow; ++row) {
            for (int c = 0; c < sheet::ComputedElements; ++c) {
                if (row == sheet::TotalsRow)
                    setBackground(m_sheet.computed(row, c), totals);
            }
        }
        for (int i = 0; i < sheet::Months; ++i)
            m_sheet.band(i)->setAutoFillBackground(true);
        for (int m = 1; m <= sheet::Months; ++m)
            m_sheet.monthLabel(m)->setBold(m_bold[std::size_t(m - 1)]);
        showMenu(m_form, "Mnu_Spr", true);
        showMenu(m_form, "Menu_Tools", true);
        // The print size took a maximised window out of its state: it comes back maximised, and
        // to its own place when the user restores it, so that the state stored at the close is
        // the user's.
        if (m_windowState & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
            m_form.setGeometry(m_normalPlace);
            m_form.setWindowState(m_windowState);
        } else {
            m_form.resize(m_size);
        }
    }

    PrintLook(const PrintLook&) = delete;
    PrintLook& operator=(const PrintLook&) = delete;

private:
    bool insideHiddenPanel(QWidget* widget) const
    {
        for (const char* name : HiddenPanels) {
            QWidget* panel = m_form.findChild<QWidget*>(QString::fromLatin1(name));
            if (panel && (panel == widget || panel->isAncestorOf(widget)))
                return true;
        }
        return false;
    }

    void showPanels(bool shown)
    {
        for (const char* name : HiddenPanels) {
            if (auto* panel = m_form.findChild<QWidget*>(QString::fromLatin1(name)))
                panel->setVisible(shown);
        }
    }

    AppState& m_state;
    QMainWindow& m_form;
    SheetView& m_sheet;
    QSize m_size;
    Qt::WindowStates m_windowState;
    QRect m_normalPlace;
    QPointer<QWidget> m_parkedFocus;
    std::vector<Selection> m_selections;
    std::array<bool, sheet::Months> m_bold{};
    QMetaObject::Connection m_focusWatch;
};

} // namespace

void printSheet(
    AppState& state, QMainWindow& window, SheetView& sheet, const QString& subscriber, const QString& year)
{
    const PrintLook look(state, window, sheet);
    documents::PrintWindowImage(&window, PageOrientation::Landscape, state,
        documents::pdfFileName({ QStringLiteral("Таблица"), subscriber, year }));
}
