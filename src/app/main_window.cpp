// Form1: the window built (picture buttons, copy tools, selectors, the sheet, the timers) and the
// mouse over its free area.

#include "app/main_window.h"

#include "app/main_window_parts.h"
#include "documents/sheet_printout.h"
#include "platform/picture_buttons.h"
#include "platform/read_only_input.h"
#include "reports/sheet_workbook.h"
#include "session/app_state.h"
#include "sheet/sheet.h"
#include "sheet/sheet_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

using namespace mainwindow;

namespace {

// The picture buttons in their order on the frame, with the hint Label1(i) of each.
constexpr std::array<PictureButton, 8> PictureButtons = { {
    { "Cmd6", "Сохранить ", Picture::Save },
    { "Command1", "Печать", Picture::Print },
    { "Cmd1", "Справочник", Picture::Directory },
    { "Cmd2", "Л. счет", Picture::Ledger },
    { "Cmd3", "Калькулятор", Picture::Calculator },
    { "Cmd4", "График", Picture::Chart },
    { "Command6", "Экспорт", Picture::Export },
    { "Cmd5", "Помощь", Picture::Help },
} };

constexpr int TimerInterval = 60000;
constexpr int MinimumWidth = 1024;

const QStringList CopyToolCaptions = {
    QStringLiteral("Автозаполнение последн. показ. сч-ка"),
    QStringLiteral("Копировать мощн. ул. осв."),
    QStringLiteral("Копировать потери"),
    QStringLiteral("Копировать тариф"),
};

} // namespace

Form1::Form1(AppState& state, Program& program, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_program(program)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(m_state.windowTitle(QStringLiteral("Терволин, оплата электричества")));
    setAttribute(Qt::WA_DeleteOnClose);

    // Narrower than the sheet needs, the window scrolls sideways rather than squeeze its captions.
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("sheetScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    // A click beside the sheet leaves the focus in its cell, as on the window's free area.
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setMouseTracking(true);
    scroller->installEventFilter(this);
    setCentralWidget(scroller);
    auto* central = new QWidget(scroller);
    central->setObjectName(QStringLiteral("background"));
    central->setMouseTracking(true);
    central->installEventFilter(this);
    m_background = central;

    auto* top = new QHBoxLayout;
    // A click on a picture button takes the focus, so that the sheet's cell is left (and stored)
    // before the button acts: the ledger and the chart then read what was just typed.
    m_frame1 = new PictureButtonFrame(
        PictureButtons, QStringLiteral("Label1"), PictureButtonFrame::Focus::TakeOnClick, central);
    connectPictureButtons();
    top->addWidget(m_frame1);
    top->addSpacing(12);
    top->addWidget(buildCopyTools(), 0, Qt::AlignVCenter);
    top->addStretch(1);

    m_sheet = new SheetView(central);
    m_sheet->setMouseTracking(true);
    m_sheet->installEventFilter(this);
    connect(m_sheet, &SheetView::monthReleased, this, &Form1::onMonthReleased);
    connect(m_sheet, &SheetView::cellChanged, this, &Form1::onCellChanged);
    connect(m_sheet, &SheetView::cellFocusEntered, this, &Form1::onCellFocusEntered);
    connect(m_sheet, &SheetView::cellFocusLeft, this, &Form1::onCellFocusLeft);
    connect(m_sheet, &SheetView::cellMouseReleased, this, &Form1::onCellMouseReleased);
    if (m_state.archiveView()) {
        for (int m = 1; m <= sheet::Months; ++m) {
            for (int b = 0; b < sheet::ShownElements; ++b)
                refuseChanges(m_sheet->typed(m, b), [this] { m_state.refuseInArchive(); });
        }
    } else {
        // A closed month's cells are read-only: typing into one says why and how to open it.
        for (int m = 1; m <= sheet::Months; ++m) {
            for (int b = 0; b < sheet::ShownElements; ++b) {
                explainWhileReadOnly(m_sheet->typed(m, b), [this, m] {
                    if (const std::optional<int> year = shownHeldYear())
                        m_state.refuseInClosedMonth(*year, m);
                });
            }
        }
    }

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addWidget(buildSelectors());
    // A taller window leaves the rows as they are: the room goes below the sheet.
    layout->addWidget(m_sheet);
    layout->addStretch(1);
    scroller->setWidget(central);
    setMinimumWidth(MinimumWidth);

    buildMenus();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    m_state.notices.showIn(statusBar());

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(TimerInterval);
    connect(m_timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(TimerInterval);
    connect(m_timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);

    // Enabled once there is something to save; in an archive its click says why nothing is saved.
    button(SaveButton)->setEnabled(m_state.archiveView());
}

Form1::~Form1() = default;

void Form1::connectPictureButtons()
{
    connect(button(SaveButton), &QToolButton::clicked, this, &Form1::onSaveButton);
    connect(button(PrintButton), &QToolButton::clicked, this,
        [this] { printSheet(m_state, *this, *m_sheet, m_shownName, m_shownYear); });
    connect(button(CalculatorButton), &QToolButton::clicked, this, &Form1::onCalculator);
    connect(button(DirectoryButton), &QToolButton::clicked, this, &Form1::openDirectory);
    connect(button(LedgerButton), &QToolButton::clicked, this, [this] { openLedger(true); });
    connect(button(ChartButton), &QToolButton::clicked, this, &Form1::openChart);
    connect(
        button(ExportButton), &QToolButton::clicked, this, [this] { exportSheetWorkbook(m_state, shown()); });
    connect(button(HelpButton), &QToolButton::clicked, this, &Form1::openHelp);
}

QWidget* Form1::buildSelectors()
{
    auto* row = new QWidget(m_background);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    const auto label = [row](int index, const QString& text) {
        auto* l = new QLabel(text, row);
        l->setObjectName(QStringLiteral("lbl1_%1").arg(index));
        return l;
    };
    for (int i = 0; i < 2; ++i) {
        auto* combo = new QComboBox(row);
        combo->setObjectName(QStringLiteral("Cmb1_%1").arg(i));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        connect(combo, &QComboBox::activated, this, &Form1::onSelectorChosen);
        m_cmb[i] = combo;
    }
    m_cmb[0]->setMinimumWidth(280);
    // The selector's width follows the window, not its longest name: measuring every name on the first
    // show costs as much as the names are long.
    m_cmb[0]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cmb[0]->setMinimumContentsLength(24);
    m_cmb[1]->setMinimumWidth(80);
    m_lbSch = new QLabel(row);
    m_lbSch->setObjectName(QStringLiteral("LbSch"));

    layout->addWidget(label(19, QStringLiteral("Абонент ")));
    layout->addWidget(m_cmb[0], 3);
    layout->addSpacing(16);
    layout->addWidget(label(20, QStringLiteral("Год")));
    layout->addWidget(m_cmb[1]);
    layout->addSpacing(16);
    layout->addWidget(label(33, QStringLiteral("Счетчик: ")));
    layout->addWidget(m_lbSch, 2);
    return row;
}

QWidget* Form1::buildCopyTools()
{
    m_picButtons = new QWidget(m_background);
    m_picButtons->setObjectName(QStringLiteral("picButtons"));
    auto* grid = new QGridLayout(m_picButtons);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < 4; ++i) {
        auto* box = new QCheckBox(CopyToolCaptions[i], m_picButtons);
        box->setObjectName(QStringLiteral("Ch%1").arg(i + 1));
        m_ch[i] = box;
        grid->addWidget(box, i % 2, i / 2);
    }
    return m_picButtons;
}

QToolButton* Form1::button(int i) const
{
    return m_frame1->button(i);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // The mouse over the window's free area: no hints, no month in bold.
    if (event->type() == QEvent::MouseMove
        && (watched == centralWidget() || watched == m_background || watched == m_sheet)) {
        m_frame1->hideHints();
        m_sheet->unboldMonths();
    }
    return QMainWindow::eventFilter(watched, event);
}
