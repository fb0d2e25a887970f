#include "accounts/ledger_window.h"

#include "accounts/bank_window.h"
#include "accounts/carry_over_window.h"
#include "accounts/cell_editor.h"
#include "accounts/debtors_window.h"
#include "accounts/frozen_column_table.h"
#include "accounts/grid_header.h"
#include "accounts/keys_help_window.h"
#include "accounts/ledger_model.h"
#include "accounts/ledger_settings_window.h"
#include "accounts/ledger_window_parts.h"
#include "accounts/ledger_workbook.h"
#include "accounts/subscriber_menu.h"
#include "documents/ledger_print_page.h"
#include "platform/dialogs.h"
#include "platform/icons.h"
#include "platform/picture_buttons.h"
#include "platform/read_only_input.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/text_input.h"
#include "reports/help_command.h"
#include "session/app_state.h"
#include "session/year_selector.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

// The window itself: its controls and their layout, its commands, its keys and its close. The
// month shown, the cell editor and the sizes of the grid and the sums have files of their own
// (ledger_window_month.cpp, ledger_window_editing.cpp, ledger_window_sizes.cpp).

using namespace ledgerwindow;

namespace {

// The tool buttons in their order (ToolButtonIndex), with the hint LbN(i) of each.
constexpr std::array<PictureButton, 7> ToolButtons = { {
    { "Cmd6", "Сохранить", Picture::Save },
    { "Command3", "Печать", Picture::Print },
    { "Cmd3", "Калькулятор", Picture::Calculator },
    { "Command1", "Экспорт", Picture::Export },
    { "Command2", "Настройки", Picture::Settings },
    { "Cmd5", "Помощь", Picture::Help },
    { "CmdBank", "Импорт выписки банка", Picture::BankImport },
} };

std::vector<HeaderCaption> ledgerCaptions()
{
    using ledger::Column;
    const QString opening = QStringLiteral("Остаток на нач. мес., р.");
    const QString charges = QStringLiteral("Начислены расходы в текущ. мес., р.");
    const QString income = QStringLiteral("Приход в т. м., р.");
    const QString closing = QStringLiteral("Ос-ток на кон. мес., р.");
    return {
        { ledger::NameColumn, ledger::NameColumn, HeaderCaption::Both, QStringLiteral("Фамилия И. О."),
            Qt::AlignLeft | Qt::AlignVCenter },
        { ledger::StartUnderpayment, ledger::StartOverpayment, HeaderCaption::Upper, opening },
        { ledger::StartUnderpayment, ledger::StartUnderpayment, HeaderCaption::Lower,
            QStringLiteral("Недоплата") },
        { ledger::StartOverpayment, ledger::StartOverpayment, HeaderCaption::Lower,
            QStringLiteral("Переплата") },
        { ledger::Electricity, ledger::OtherCharges, HeaderCaption::Upper, charges },
        { ledger::Electricity, ledger::Electricity, HeaderCaption::Lower, QStringLiteral("За эл. эн.") },
        { ledger::ElectricianPay, ledger::ElectricianPay, HeaderCaption::Lower,
            QStringLiteral("ЗП электрику") },
        { ledger::OtherCharges, ledger::OtherCharges, HeaderCaption::Lower, QStringLiteral("Прочее") },
        { ledger::TotalDue, ledger::TotalDue, HeaderCaption::Both, QStringLiteral("ИТОГО к оплате") },
        { ledger::PaidIn, ledger::OtherIncome, HeaderCaption::Upper, income },
        { ledger::PaidIn, ledger::PaidIn, HeaderCaption::Lower, QStringLiteral("Внесено") },
        { ledger::OtherIncome, ledger::OtherIncome, HeaderCaption::Lower, QStringLiteral("Прочее") },
        { ledger::EndUnderpayment, ledger::EndOverpayment, HeaderCaption::Upper, closing },
        { ledger::EndUnderpayment, ledger::EndUnderpayment, HeaderCaption::Lower,
            QStringLiteral("Недоплата") },
        { ledger::EndOverpayment, ledger::EndOverpayment, HeaderCaption::Lower, QStringLiteral("Переплата") },
    };
}

} // namespace

frmRedLS::frmRedLS(AppState& state, const QString& mainYearText, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("frmRedLS"));
    setWindowTitle(m_state.windowTitle(QStringLiteral("Лицевой счет")));
    setMouseTracking(true);
    installEventFilter(this);

    m_model = new LedgerModel(this);
    auto* grid = new FrozenColumnTable(this);
    m_grid = grid;
    m_grid->setObjectName(QStringLiteral("g"));
    m_header = new TwoTierHeader(ledgerCaptions(), m_grid);
    m_grid->setHorizontalHeader(m_header);
    m_grid->setModel(m_model);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_grid->setWordWrap(false);
    m_grid->setTabKeyNavigation(false);
    // The names stay in view while the amounts scroll sideways.
    grid->freezeFirstColumn(new TwoTierHeader(ledgerCaptions()));
    m_names = grid->frozenView();
    m_names->viewport()->installEventFilter(this);
    m_grid->installEventFilter(this);
    m_grid->viewport()->installEventFilter(this);
    connect(m_grid, &QTableView::clicked, this, [this](const QModelIndex& index) {
        m_grid->setCurrentIndex(index);
        openEditor();
    });
    // A right click on a subscriber's row, in the names or the amounts, offers what concerns them.
    m_rowMenu = subscriberMenu(m_state, this, [this] { return m_menuRow; });
    for (QTableView* view : { m_grid, m_names }) {
        view->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& at) {
            const QModelIndex index = view->indexAt(at);
            if (!index.isValid() || !finishEdit())
                return;
            m_menuRow = index.row() + 1;
            m_rowMenu->popup(view->viewport()->mapToGlobal(at));
        });
    }
    connect(m_header, &QHeaderView::sectionResized, this, &frmRedLS::layoutSums);
    connect(m_grid->horizontalScrollBar(), &QScrollBar::valueChanged, this, &frmRedLS::layoutSums);

    m_txtg = new CellEditor(m_grid);
    m_txtg->setObjectName(QStringLiteral("txtg"));
    // In an archive the editor still opens over a cell, to show and copy its amount.
    if (m_state.archiveView())
        refuseChanges(m_txtg, [this] { m_state.refuseInArchive(); });
    else
        explainWhileReadOnly(m_txtg, [this] { m_state.refuseInClosedMonth(m_month.year, m_month.month); });
    connect(m_txtg, &CellEditor::enterPressed, this, [this] { commitEditor(true); });
    connect(m_txtg, &CellEditor::left, this, &frmRedLS::finishEdit);
    connect(m_txtg, &CellEditor::escapePressed, this, [this] {
        m_txtg->drop();
        m_grid->setFocus();
    });

    auto* top = new QHBoxLayout;
    top->addWidget(buildToolButtons());
    top->addStretch(1);
    top->addWidget(buildFind(), 0, Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 12);
    layout->setSpacing(4);
    layout->addLayout(top);
    layout->addWidget(buildMonthRow());
    layout->addWidget(m_grid, 1);
    layout->addWidget(buildSumsRow());
    layout->addWidget(buildStatusBarAndKeys());

    addHeldYears(*m_cmb, m_state.table.years());
    m_cmb->setCurrentIndex(m_cmb->findText(mainYearText));
}

frmRedLS::~frmRedLS() = default;

QWidget* frmRedLS::buildToolButtons()
{
    m_frame
        = new PictureButtonFrame(ToolButtons, QStringLiteral("LbN"), PictureButtonFrame::Focus::Keep, this);
    // Enabled once there is something to save; in an archive its click says why nothing is saved.
    m_frame->button(SaveButton)->setEnabled(m_state.archiveView());
    // Something typed is something to save, even before it is in its cell.
    connect(m_txtg, &QLineEdit::textEdited, m_frame->button(SaveButton),
        [this] { m_frame->button(SaveButton)->setEnabled(true); });
    connect(m_frame->button(SaveButton), &QToolButton::clicked, this, &frmRedLS::Cmd6_Click);
    connect(m_frame->button(CalculatorButton), &QToolButton::clicked, this, [this] {
        if (finishEdit())
            startCalculator(m_state.services.shell, m_state.services.dialogs);
    });
    connect(m_frame->button(PrintButton), &QToolButton::clicked, this, &frmRedLS::Command3_Click);
    // The export takes the month as stored, the cell being edited included.
    connect(m_frame->button(ExportButton), &QToolButton::clicked, this, [this] {
        if (finishEdit())
            exportLedgerWorkbook(m_state, shownYear(), shownMonth());
    });
    connect(m_frame->button(SettingsButton), &QToolButton::clicked, this, &frmRedLS::Command2_Click);
    connect(m_frame->button(HelpButton), &QToolButton::clicked, this, &frmRedLS::Cmd5_Click);
    connect(m_frame->button(BankButton), &QToolButton::clicked, this, &frmRedLS::CmdBank_Click);
    return m_frame;
}

void frmRedLS::Command3_Click()
{
    if (!finishEdit())
        return;
    LedgerPrintRequest request{ shownYear(), shownMonth(), m_state.LedgerBase, {} };
    for (int j = 0; j < ledger::SumBoxes; ++j)
        request.sums[std::size_t(j)] = sumText(j).toStdString();
    openLedgerPrint(m_state, this, request);
}

QWidget* frmRedLS::buildMonthRow()
{
    auto* row = new QWidget(this);
    row->setMouseTracking(true);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    auto* yearCaption = new QLabel(QStringLiteral("Год"), row);
    m_cmb = new QComboBox(row);
    m_cmb->setObjectName(QStringLiteral("Cmb1_0"));
    m_cmb->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("20200")) + 40);
    // Clicks on the selector and the buttons leave the focus in the editor: their own actions keep
    // what was typed, and a refused amount is told once.
    m_cmb->setFocusPolicy(Qt::TabFocus);
    connect(m_cmb, &QComboBox::activated, this, &frmRedLS::Cmb1_Click);

    m_cmdLeft = new QToolButton(row);
    m_cmdLeft->setObjectName(QStringLiteral("CmdLeft"));
    m_cmdLeft->setArrowType(Qt::LeftArrow);
    m_cmdLeft->setToolTip(QStringLiteral("Предыдущий месяц"));
    connect(m_cmdLeft, &QToolButton::clicked, this, &frmRedLS::CmdLeft_Click);

    m_lblMes = new QLabel(row);
    m_lblMes->setObjectName(QStringLiteral("lblMes"));
    m_lblMes->setAlignment(Qt::AlignCenter);
    QFont bold = m_lblMes->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    m_lblMes->setFont(bold);
    m_lblMes->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(QStringLiteral("Сентябрь")) + 16);

    m_cmdRight = new QToolButton(row);
    m_cmdRight->setObjectName(QStringLiteral("CmdRight"));
    m_cmdRight->setArrowType(Qt::RightArrow);
    m_cmdRight->setToolTip(QStringLiteral("Следующий месяц"));
    connect(m_cmdRight, &QToolButton::clicked, this, &frmRedLS::CmdRight_Click);

    m_cmdPerenos = new QPushButton(QStringLiteral("Перенос на следующий год"), row);
    m_cmdPerenos->setObjectName(QStringLiteral("CmdPerenos"));
    m_cmdPerenos->setFocusPolicy(Qt::TabFocus);
    QSizePolicy policy = m_cmdPerenos->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    m_cmdPerenos->setSizePolicy(policy);
    m_cmdPerenos->hide();
    connect(m_cmdPerenos, &QPushButton::clicked, this, &frmRedLS::CmdPerenos_Click);

    layout->addWidget(yearCaption);
    layout->addWidget(m_cmb);
    layout->addSpacing(24);
    layout->addWidget(m_cmdLeft);
    layout->addWidget(m_lblMes);
    layout->addWidget(m_cmdRight);
    layout->addSpacing(24);
    layout->addWidget(m_cmdPerenos);
    layout->addStretch(1);
    // The debtors of the month as the ledger shows it: stored first.
    auto* debtors = new QPushButton(QStringLiteral("Должники"), row);
    debtors->setObjectName(QStringLiteral("CmdDebtors"));
    debtors->setFocusPolicy(Qt::TabFocus);
    connect(debtors, &QPushButton::clicked, this, [this] {
        if (!finishEdit())
            return;
        SAVE1();
        openDebtors(m_state, this, m_month);
    });
    layout->addWidget(debtors);
    return row;
}

QWidget* frmRedLS::buildStatusBarAndKeys()
{
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    m_state.notices.showIn(bar);

    // The keys of the tool buttons and of the find box.
    const auto keys = [this](const char* name, const QKeySequence& sequence, void (frmRedLS::*slot)()) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(sequence);
        addAction(action);
        connect(action, &QAction::triggered, this, slot);
    };
    keys("Keys_Save", QKeySequence::Save, &frmRedLS::Cmd6_Click);
    keys("Keys_Print", QKeySequence::Print, &frmRedLS::Command3_Click);
    keys("Keys_Find", QKeySequence::Find, &frmRedLS::focusFind);
    keys("Keys_Help", QKeySequence::HelpContents, &frmRedLS::openGuide);
    return bar;
}

void frmRedLS::focusFind()
{
    // Leaving the cell keeps what was typed, or brings the user back to it when it is no amount.
    if (!finishEdit())
        return;
    m_txtfind->setFocus(Qt::ShortcutFocusReason);
    m_txtfind->selectAll();
}

void frmRedLS::openGuide()
{
    if (finishEdit())
        help::openHelp(m_state);
}

QWidget* frmRedLS::buildFind()
{
    auto* box = new QWidget(this);
    auto* layout = new QHBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    m_txtfind = new QLineEdit(box);
    m_txtfind->setObjectName(QStringLiteral("txtfind"));
    m_txtfind->setPlaceholderText(QStringLiteral("Фамилия"));
    m_txtfind->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 22);
    acceptOnlyStorableText(m_txtfind);
    connect(m_txtfind, &QLineEdit::returnPressed, this, &frmRedLS::Cmdfind_Click);
    m_cmdfind = new QPushButton(QStringLiteral("Найти"), box);
    m_cmdfind->setObjectName(QStringLiteral("Cmdfind"));
    m_cmdfind->setFocusPolicy(Qt::TabFocus);
    connect(m_cmdfind, &QPushButton::clicked, this, &frmRedLS::Cmdfind_Click);
    m_cmdRes = new QPushButton(QStringLiteral("Сбросить"), box);
    m_cmdRes->setObjectName(QStringLiteral("CmdRes"));
    m_cmdRes->setFocusPolicy(Qt::TabFocus);
    m_cmdRes->setToolTip(QStringLiteral("Снять отметки найденных строк"));
    connect(m_cmdRes, &QPushButton::clicked, this, &frmRedLS::CmdRes_Click);
    layout->addWidget(m_txtfind);
    layout->addWidget(m_cmdfind);
    layout->addWidget(m_cmdRes);
    return box;
}

QWidget* frmRedLS::buildSumsRow()
{
    m_sumsRow = new QWidget(this);
    m_sumsRow->setObjectName(QStringLiteral("sumsRow"));
    m_sumsRow->installEventFilter(this);
    m_sumCaption = new QLabel(QStringLiteral("СУММА:"), m_sumsRow);
    m_sumCaption->setObjectName(QStringLiteral("LbSum"));
    m_sumCaption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont bold = m_sumCaption->font();
    bold.setBold(true);
    m_sumCaption->setFont(bold);
    // The sums scroll sideways with their columns and pass under the caption, which stays with
    // the names.
    m_sumsClip = new QWidget(m_sumsRow);
    for (int j = 0; j < ledger::SumBoxes; ++j) {
        auto* box = new QLineEdit(m_sumsClip);
        box->setObjectName(QStringLiteral("tS_%1").arg(j));
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_tS[j] = box;
    }
    m_sumsRow->setFixedHeight(m_tS[0]->sizeHint().height());
    return m_sumsRow;
}

void frmRedLS::Cmd6_Click()
{
    if (m_state.refuseInArchive() || !finishEdit())
        return;
    SAVE1();
    AppState::Writing writing(m_state, QStringLiteral("Лицевой счет"));
    m_state.WriteDatabase();
}

void frmRedLS::CmdPerenos_Click()
{
    if (m_state.refuseInArchive() || !finishEdit())
        return;
    const fields::YearWindow& years = m_state.table.years();
    const std::optional<int> year = years.find(m_cmb->currentText().toStdString());
    if (!year || (*year == years.last() && !years.canMoveOn()))
        return;
    // The December shown is what the next year starts from, and what an archive keeps.
    SAVE1();
    auto* window = new frmPerenos(m_state, *this, *year + 1);
    connect(window, &frmPerenos::yearsMovedOn, this, &frmRedLS::followYears);
    window->show();
}

void frmRedLS::Cmdfind_Click()
{
    if (!finishEdit())
        return;
    // Letter case does not matter to the find.
    const QString text = m_txtfind->text();
    if (text.isEmpty())
        return;
    m_cmdfind->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<int> rows = ledger::findRows(m_state.table, text.toStdString());
    m_model->markFound(rows);
    if (!rows.empty())
        m_grid->scrollTo(m_model->index(rows.front(), ledger::NameColumn), QAbstractItemView::PositionAtTop);
    QApplication::restoreOverrideCursor();
    m_cmdfind->setEnabled(true);
}

void frmRedLS::CmdRes_Click()
{
    if (!finishEdit())
        return;
    m_cmdRes->setEnabled(false);
    m_model->clearFound();
    m_cmdRes->setEnabled(true);
}

void frmRedLS::Command2_Click()
{
    if (!finishEdit())
        return;
    auto* window = new frmTunLs(m_state, *this);
    window->show();
}

void frmRedLS::Cmd5_Click()
{
    if (!finishEdit())
        return;
    auto* window = new frmHlp1(this);
    window->show();
}

void frmRedLS::CmdBank_Click()
{
    if (m_state.refuseInArchive() || !finishEdit())
        return;
    // The import works on the table: what the grid holds goes there first.
    SAVE1();
    // Once payments went in: the month shown takes them, and the grid the focus once the import
    // has closed.
    openBankImport(m_state, this, [this](const std::vector<bank::YearMonth>& months) {
        refillIfShown(months);
        grid()->setFocus(Qt::OtherFocusReason);
    });
}

void frmRedLS::closeEvent(QCloseEvent* event)
{
    // An amount that cannot be kept keeps the window open, with the user in its cell.
    if (!finishEdit()) {
        event->ignore();
        return;
    }
    SettingsStore& store = m_state.services.settings;
    store.setValue(settings::Main, QStringLiteral("Cmb10"), m_cmb->currentText());
    store.setValue(settings::Main, QStringLiteral("Li"), QString::number(m_state.LedgerMonthIndex));
    VICHISLIT1();
    SAVE1();
    // A failed write has said so; the table keeps everything and the main window writes it later.
    AppState::Writing writing(m_state, QStringLiteral("Лицевой счет"));
    m_state.WriteDatabase();
    event->accept();
}

bool frmRedLS::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
        if (watched == this) // the window's free area
            m_frame->hideHints();
        break;
    case QEvent::MouseButtonPress:
        // The press has already taken the focus from the editor, which kept what was typed; an
        // editor sent back to its cell had its amount refused, and the click goes no further.
        if ((watched == m_grid->viewport() || watched == m_names->viewport()) && m_txtg->isOpen()
            && (m_txtg->justReturned() || !finishEdit()))
            return true;
        break;
    case QEvent::KeyPress:
        if (watched == m_grid && !m_txtg->isVisible()) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                openEditor();
                return true;
            }
        }
        break;
    case QEvent::Resize:
        if (watched == m_grid->viewport())
            fitNameColumn();
        if (watched == m_grid->viewport() || watched == m_sumsRow)
            layoutSums();
        break;
    case QEvent::Move:
        if (watched == m_sumsRow)
            layoutSums();
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}
