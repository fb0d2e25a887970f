#include "accounts/carry_over_window.h"

#include "accounts/cell_editor.h"
#include "accounts/grid_header.h"
#include "accounts/ledger_model.h"
#include "accounts/ledger_window.h"
#include "accounts/year_rollover.h"
#include "database/database_file.h"
#include "database/year_archive.h"
#include "documents/payee_file.h"
#include "documents/payee_settings.h"
#include "platform/colours.h"
#include "platform/dialogs.h"
#include "session/app_state.h"
#include "session/automatic_backup.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int NameTwips = 2190;
constexpr int BalanceTwips = 1140;

std::vector<HeaderCaption> carryOverCaptions()
{
    return {
        { 0, 0, HeaderCaption::Both, QStringLiteral("Фамилия И. О."), Qt::AlignLeft | Qt::AlignVCenter },
        { 1, 2, HeaderCaption::Upper, QStringLiteral("Лицевой счет, р.") },
        { 1, 1, HeaderCaption::Lower, QStringLiteral("Недоплата") },
        { 2, 2, HeaderCaption::Lower, QStringLiteral("Переплата") },
    };
}

bool isBalanceColumn(int column)
{
    return column == 1 || column == 2;
}

} // namespace

frmPerenos::frmPerenos(AppState& state, frmRedLS& ledger, int targetYear)
    : QDialog(&ledger), m_state(state), m_targetYear(targetYear)
{
    setObjectName(QStringLiteral("frmPerenos"));
    setWindowTitle(QStringLiteral("Перенос данных на следующий год"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The ledger takes no input while this is open.
    setWindowModality(Qt::WindowModal);

    auto* caption = new QLabel(QStringLiteral("Перенести на январь "), this);
    m_lblYear = new QLabel(QString::number(targetYear), this);
    m_lblYear->setObjectName(QStringLiteral("lblYear"));
    QFont bold = m_lblYear->font();
    bold.setBold(true);
    m_lblYear->setFont(bold);

    m_model = new CarryOverModel(this);
    m_model->setRows(ledger::carryOverRows(ledger.model()->grid()));
    m_g1 = new QTableView(this);
    m_g1->setObjectName(QStringLiteral("g1"));
    auto* header = new TwoTierHeader(carryOverCaptions(), m_g1);
    m_g1->setHorizontalHeader(header);
    m_g1->setModel(m_model);
    m_g1->verticalHeader()->hide();
    m_g1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_g1->verticalHeader()->setDefaultSectionSize(ledger.grid()->verticalHeader()->defaultSectionSize());
    m_g1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_g1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_g1->setWordWrap(false);
    m_g1->setTabKeyNavigation(false);
    m_g1->installEventFilter(this);
    m_g1->viewport()->installEventFilter(this);
    const int widths[3] = { twipsToPixels(this, NameTwips), twipsToPixels(this, BalanceTwips),
        twipsToPixels(this, BalanceTwips) };
    for (int c = 0; c < 3; ++c)
        m_g1->setColumnWidth(c, widths[c]);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    m_g1->setMinimumWidth(widths[0] + widths[1] + widths[2] + m_g1->verticalScrollBar()->sizeHint().width()
        + 2 * m_g1->frameWidth());
    connect(m_g1, &QTableView::clicked, this, [this](const QModelIndex& index) {
        m_g1->setCurrentIndex(index);
        openEditor();
    });
    connect(m_g1->selectionModel(), &QItemSelectionModel::currentChanged, this,
        [this] { m_cmdOk->setEnabled(true); });

    m_txtg1 = new CellEditor(m_g1);
    m_txtg1->setObjectName(QStringLiteral("txtg1"));
    m_txtg1->setBackground(fromWindowsColour(m_state.FocusColour));
    connect(m_txtg1, &CellEditor::enterPressed, this, [this] { commitEditor(true); });
    connect(m_txtg1, &CellEditor::left, this, &frmPerenos::finishEdit);
    connect(m_txtg1, &CellEditor::escapePressed, this, [this] {
        m_txtg1->drop();
        m_g1->setFocus();
    });

    m_cmdOk = new QPushButton(QStringLiteral("Перенести"), this);
    m_cmdOk->setObjectName(QStringLiteral("CmdOk"));
    m_cmdOk->setAutoDefault(false);
    // A click on a button leaves the focus in the edit box, so that the button's own action
    // keeps what was typed (or refuses it once).
    m_cmdOk->setFocusPolicy(Qt::TabFocus);
    connect(m_cmdOk, &QPushButton::clicked, this, &frmPerenos::CmdOk_Click);
    m_cmdClear = new QPushButton(QStringLiteral("Очистить поля"), this);
    m_cmdClear->setObjectName(QStringLiteral("CmdClear"));
    m_cmdClear->setAutoDefault(false);
    m_cmdClear->setFocusPolicy(Qt::TabFocus);
    connect(m_cmdClear, &QPushButton::clicked, this, &frmPerenos::CmdClear_Click);

    auto* title = new QHBoxLayout;
    title->addWidget(caption);
    title->addWidget(m_lblYear);
    title->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdClear);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOk);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(title);
    layout->addWidget(m_g1, 1);
    layout->addLayout(buttons);
    // The Tab key goes as the buttons stand: "Очистить поля" on the left first.
    setTabOrder(m_g1, m_cmdClear);
    setTabOrder(m_cmdClear, m_cmdOk);

    // As tall as the ledger, so that as many rows show as there.
    resize(sizeHint().width(), ledger.height() + twipsToPixels(this, 100));
}

void frmPerenos::openEditor()
{
    m_txtg1->drop();
    const QModelIndex current = m_g1->currentIndex();
    if (!current.isValid() || !isBalanceColumn(current.column()))
        return;
    m_txtg1->openOver(current, m_model->cellText(current.row(), current.column()));
}

bool frmPerenos::commitEditor(bool moveOn)
{
    const QModelIndex edited = m_txtg1->cell();
    if (!edited.isValid() || !isBalanceColumn(edited.column()))
        return true;
    // The balance goes to January as typed; only a text that is no amount at all is refused, as
    // it would count as nothing there.
    const int row = edited.row();
    const int column = edited.column();
    const QString text = m_txtg1->text();
    const bool changed = text != m_model->cellText(row, column);
    if (changed && !text.trimmed().isEmpty() && !Currency::parse(text.toStdString())) {
        m_state.services.dialogs.message({ QStringLiteral("Введите сумму числом, например 1250,50"),
            QStringLiteral("Ошибка ввода"), MessageIcon::Exclamation });
        m_txtg1->returnToCell();
        return false;
    }
    const bool hadFocus = m_txtg1->hasFocus();
    if (changed) {
        m_model->setCellText(row, column, text.toStdString());
        m_corrected = true;
    }
    m_txtg1->drop();
    if (!moveOn) {
        if (hadFocus)
            m_g1->setFocus();
        return true;
    }
    m_g1->setFocus();
    if (row + 1 >= m_model->rowCount())
        return true;
    const QModelIndex next = m_model->index(row + 1, column);
    m_g1->setCurrentIndex(next);
    m_g1->scrollTo(next);
    openEditor();
    return true;
}

bool frmPerenos::finishEdit()
{
    return !m_txtg1->isOpen() || commitEditor(false);
}

void frmPerenos::CmdOk_Click()
{
    if (m_state.refuseInArchive() || !finishEdit() || m_state.refuseInClosedMonth(m_targetYear, 1))
        return;
    if (!m_state.table.years().holds(m_targetYear)) {
        openNextYear();
        return;
    }
    backup::automaticBackup(m_state, backup::Reason::CarryOver);
    ledger::transferToJanuary(m_state.table, m_targetYear, m_model->rows());
    m_state.notices.carriedOver(QString::number(m_targetYear));
    m_cmdOk->setEnabled(false);
    m_corrected = false;
}

void frmPerenos::keepPayeeBeside(const std::string& archivePath)
{
    // The archive's receipts say whom to pay as the database's did, on whichever computer.
    const documents::PayeeDetails payee = documents::readPayee(m_state.services.settings);
    const std::string file = archivePath + ".rekv";
    if (documents::payeeBlank(payee) || database::writeFile(file, documents::payeeFileText(payee)))
        return;
    m_state.services.dialogs.message(
        { QStringLiteral("Реквизиты получателя платежа не записаны рядом с архивом: %1")
                .arg(QDir::toNativeSeparators(QString::fromStdString(file))),
            windowTitle(), MessageIcon::Exclamation });
}

void frmPerenos::openNextYear()
{
    Dialogs& dialogs = m_state.services.dialogs;
    const fields::YearWindow years = m_state.table.years();
    const QString archiveName = QString::fromStdString(database::archiveFileName(years));
    const bool yes
        = dialogs.askYesNo(QStringLiteral("Перенести остатки на январь %1 года? База хранит восемь лет: "
                                          "%2 год будет убран из базы. Перед этим база будет сохранена "
                                          "целиком в архив «%3» рядом с базой.")
                               .arg(m_targetYear)
                               .arg(years.first())
                               .arg(archiveName),
            windowTitle(), MessageIcon::Question);
    if (!yes)
        return;
    backup::automaticBackup(m_state, backup::Reason::YearOpening);
    // The archive is the file on disk: what the ledger stored goes there first.
    AppState::Writing writing(m_state, QStringLiteral("Переход на %1 год").arg(m_targetYear));
    if (!m_state.WriteDatabase())
        return;
    const ledger::Rollover done = ledger::openNextYear(
        m_state.table, m_state.databaseFile(), m_model->rows(), [this] { return m_state.WriteDatabase(); });
    const QString archive = QDir::toNativeSeparators(QString::fromStdString(done.archivePath));
    switch (done.status) {
    case ledger::Rollover::Status::Opened:
        keepPayeeBeside(done.archivePath);
        m_state.notices.yearOpened(archive, QString::number(m_targetYear));
        m_cmdOk->setEnabled(false);
        m_corrected = false;
        emit yearsMovedOn();
        return;
    case ledger::Rollover::Status::NotArchived:
        dialogs.message(
            { QStringLiteral("Архив «%1» не записан, %2 год не открыт: база осталась прежней.\n%3")
                    .arg(archiveName)
                    .arg(m_targetYear)
                    .arg(QString::fromStdString(done.error)),
                windowTitle(), MessageIcon::Critical });
        return;
    case ledger::Rollover::Status::NotWritten:
        dialogs.message({ QStringLiteral("%1 год не открыт: база не записана и осталась прежней. Архив: %2")
                              .arg(m_targetYear)
                              .arg(archive),
            windowTitle(), MessageIcon::Critical });
        return;
    case ledger::Rollover::Status::CannotMove: return;
    }
}

void frmPerenos::CmdClear_Click()
{
    // What is being typed is cleared with the rest.
    m_txtg1->drop();
    if (m_model->clearBalances())
        m_corrected = true;
    m_cmdOk->setEnabled(true);
}

void frmPerenos::keyPressEvent(QKeyEvent* event)
{
    // Escape only ever closes the edit box (the box handles it itself): the window and the
    // corrections typed into it stay.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmPerenos::closeEvent(QCloseEvent* event)
{
    if (!finishEdit()) {
        event->ignore();
        return;
    }
    if (m_corrected) {
        const Answer answer = m_state.services.dialogs.askYesNoCancel(
            QStringLiteral("Перенести исправленные остатки на следующий год?"), windowTitle(),
            Answer::Cancel);
        if (answer == Answer::Cancel) {
            event->ignore();
            return;
        }
        if (answer == Answer::Yes)
            CmdOk_Click();
    }
    QDialog::closeEvent(event);
}

bool frmPerenos::eventFilter(QObject* watched, QEvent* event)
{
    // A click elsewhere in the grid comes after the box kept what was typed; a box sent back to its
    // cell had its amount refused, and the click goes no further.
    if (watched == m_g1->viewport() && event->type() == QEvent::MouseButtonPress && m_txtg1->isOpen()
        && (m_txtg1->justReturned() || !finishEdit()))
        return true;
    if (watched == m_g1 && event->type() == QEvent::KeyPress && !m_txtg1->isVisible()) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            openEditor();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
