#include "accounts/bank_window.h"

#include "accounts/bank_model.h"
#include "accounts/bank_split_window.h"
#include "accounts/bank_window_parts.h"
#include "accounts/side_files.h"
#include "database/closed_months.h"
#include "platform/busy_cursor.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_places.h"
#include "platform/settings_store.h"
#include "session/app_state.h"
#include "session/automatic_backup.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <set>

using bankwindow::fromStd;
using bankwindow::sumText;
using bankwindow::Tally;

namespace {

const QString Title = QStringLiteral("Импорт выписки банка");
const QString Filter = QStringLiteral("Выписка банка (*.txt)|*.txt|Все файлы(*.*)|*.*");
const QString JournalSection = QStringLiteral("BankJournal");

// The core takes paths as UTF-8 on every system (Windows included, where the local 8-bit
// encoding is not UTF-8).
std::string fileSystemPath(const QString& path)
{
    return path.toStdString();
}

QString databaseFile(const AppState& state)
{
    return state.DatabasePath.isEmpty() ? state.databaseFilePath() : state.DatabasePath;
}

std::string databasePath(const AppState& state)
{
    return fileSystemPath(databaseFile(state));
}

// A settings key for a path: the store takes "/" for a group, so the path goes in percent-encoded,
// the same database under the same key however it was reached.
QString journalKey(const QString& databasePath)
{
    const QFileInfo file(databasePath);
    const QString canonical = file.canonicalFilePath();
    const QString path = canonical.isEmpty() ? file.absoluteFilePath() : canonical;
    return QString::fromLatin1(QUrl::toPercentEncoding(QDir::toNativeSeparators(path)));
}

} // namespace

QString associationAccount(AppState& state, const bank::Statement& statement)
{
    const QString own
        = state.services.settings.value(QStringLiteral("Rekv"), QStringLiteral("PersonalAcc")).trimmed();
    return own.isEmpty() ? fromStd(statement.account).trimmed() : own;
}

std::optional<int> knownJournalEntries(const AppState& state, const QString& databasePath)
{
    bool ok = false;
    const int entries = state.services.settings.value(JournalSection, journalKey(databasePath)).toInt(&ok);
    return ok && entries >= 0 ? std::optional<int>(entries) : std::nullopt;
}

void rememberJournalEntries(AppState& state, const QString& databasePath, int entries)
{
    state.services.settings.setValue(JournalSection, journalKey(databasePath), QString::number(entries));
}

void openBankImport(AppState& state, QWidget* owner, PaymentsEntered entered)
{
    // A journal that has not yet taken the state its database has would offer those payments again.
    if (!ledger::recoverSideFiles(state))
        return;
    Dialogs& dialogs = state.services.dialogs;
    SettingsStore& settings = state.services.settings;
    const std::optional<QString> chosen = dialogs.openFileName(
        { Filter, QStringLiteral("*.txt"), QString(), places::folder(settings, places::Kind::Statement) });
    if (!chosen)
        return;
    places::remember(settings, places::Kind::Statement, *chosen);
    const QString path = QDir::toNativeSeparators(*chosen);
    const auto refuse = [&](const QString& text) {
        dialogs.message({ text, Title, MessageIcon::Exclamation });
    };

    bank::ReadResult read;
    {
        const BusyCursor busy;
        read = bank::readStatementFile(fileSystemPath(*chosen));
    }
    if (read.status == bank::ReadResult::Status::Unreadable)
        return refuse(QStringLiteral("Не удалось прочитать файл %1").arg(path));
    const QString notStatement = QStringLiteral("Файл не является выпиской банка в формате 1С: %1");
    if (read.status == bank::ReadResult::Status::NotStatement)
        return refuse(notStatement.arg(fromStd(read.problem)));
    const QString account = associationAccount(state, read.statement);
    if (account.isEmpty())
        return refuse(notStatement.arg(QStringLiteral("нет расчетного счета (РасчСчет)")));

    const std::string journalPath = bank::journalPath(databasePath(state));
    bank::JournalRead journal = bank::readJournal(journalPath);
    const QString journalName = QDir::toNativeSeparators(QString::fromStdString(journalPath));
    if (journal.status == bank::JournalRead::Status::Unreadable)
        return refuse(QStringLiteral("Не удалось прочитать журнал загруженных платежей %1").arg(journalName));
    if (journal.status == bank::JournalRead::Status::Damaged)
        return refuse(
            QStringLiteral("Журнал загруженных платежей %1 испорчен в строке %2. Восстановите его из "
                           "резервной копии, прежде чем загружать выписку.")
                .arg(journalName)
                .arg(journal.line));

    // The payments take the documents over; the window shows the statement's header.
    bank::Statement header = std::move(read.statement);
    bank::Statement documents;
    documents.documents = std::move(header.documents);
    bank::Import import;
    QString journalWarning;
    {
        const BusyCursor busy;
        import
            = bank::prepareImport(std::move(documents), state.table, journal.journal, account.toStdString());
        // A journal restored from an old copy, or lost with a folder, forgets payments the ledger
        // still holds: the ledger's own "Внесено" is the other memory of them.
        const std::optional<int> known = knownJournalEntries(state, databaseFile(state));
        if (known && std::size_t(*known) > journal.journal.entries().size()) {
            bank::markPossiblyImported(import, state.table);
            journalWarning
                = QStringLiteral("Журнал загруженных платежей пропал или укорочен: платежи месяцев, "
                                 "где оплата уже есть, не отмечены.");
        }
    }
    if (import.payments.empty()) {
        dialogs.message({ QStringLiteral("В выписке нет поступлений на счет %1 (других документов: %2).")
                              .arg(account)
                              .arg(import.skipped),
            Title, MessageIcon::Information });
        return;
    }
    auto* window = new frmBank(state, owner, QFileInfo(*chosen).fileName(), header, std::move(import),
        std::move(journal.journal), std::move(entered), journalWarning);
    window->show();
}

frmBank::frmBank(AppState& state, QWidget* owner, const QString& fileName, const bank::Statement& statement,
    bank::Import import, bank::Journal journal, PaymentsEntered entered, const QString& journalWarning)
    : QDialog(owner),
      m_state(state),
      m_entered(std::move(entered)),
      m_journal(std::move(journal)),
      m_databasePath(databaseFile(state))
{
    setObjectName(QStringLiteral("frmBank"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    // The ledger takes no input while this is open.
    setWindowModality(Qt::WindowModal);

    Tally all;
    Tally matched;
    Tally unmatched;
    Tally imported;
    for (const bank::Payment& payment : import.payments) {
        all.add(payment.sum);
        if (payment.alreadyImported)
            imported.add(payment.sum);
        else if (payment.matched)
            matched.add(payment.sum);
        else
            unmatched.add(payment.sum);
    }

    QStringList about = { QStringLiteral("Файл: %1").arg(fileName) };
    if (!statement.dateFrom.empty() || !statement.dateTo.empty())
        about
            << QStringLiteral("период: %1 – %2").arg(fromStd(statement.dateFrom), fromStd(statement.dateTo));
    about << QStringLiteral("счет товарищества: %1").arg(associationAccount(state, statement));
    auto* lblFile = new bankwindow::ElidingLabel(about.join(QStringLiteral("    ")), this);
    lblFile->setObjectName(QStringLiteral("lblFile"));
    auto* lblJournal = new bankwindow::ElidingLabel(journalWarning, this);
    lblJournal->setObjectName(QStringLiteral("lblJournal"));
    lblJournal->setStyleSheet(QStringLiteral("color: #a00000"));
    lblJournal->setVisible(!journalWarning.isEmpty());

    QStringList subscribers;
    subscribers.reserve(state.table.recordCount());
    for (int i = 1; i <= state.table.recordCount(); ++i)
        subscribers << QStringLiteral("%1. %2").arg(i).arg(fromStd(state.table.field(i, fields::FullName)));
    m_model = new BankModel(std::move(import.payments), subscribers, state.table.years(), this);
    m_model->setConfirmLarge([this](int row) { return confirmLarge(row); });

    m_g = new QTableView(this);
    m_g->setObjectName(QStringLiteral("g"));
    m_g->setModel(m_model);
    m_g->verticalHeader()->hide();
    // Every row is one line high: the grid need not measure 200 000 rows, nor their texts.
    m_g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_g->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 10);
    m_g->setSelectionMode(QAbstractItemView::SingleSelection);
    m_g->setWordWrap(false);
    m_g->setTextElideMode(Qt::ElideRight);
    m_g->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_g->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed);
    m_g->setItemDelegateForColumn(
        BankModel::Subscriber, new bankwindow::ChoiceDelegate(m_model->subscriberChoices(), true, m_g));
    m_g->setItemDelegateForColumn(
        BankModel::Month, new bankwindow::ChoiceDelegate(m_model->monthChoices(), false, m_g));
    connect(m_g, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() == BankModel::Subscriber || index.column() == BankModel::Month)
            m_g->edit(index);
    });
    QHeaderView* header = m_g->horizontalHeader();
    header->setMinimumSectionSize(24);
    header->setSectionResizeMode(QHeaderView::Interactive);
    m_g->setColumnWidth(BankModel::Mark, 28);

    auto* tallies = new QGridLayout;
    tallies->setHorizontalSpacing(18);
    int place = 0;
    const auto tally = [&](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        // Three a line: the counts fit a screen 1024 wide.
        tallies->addWidget(label, place / 3, place % 3);
        ++place;
    };
    tally("lblAll", all.text(QStringLiteral("Всего платежей")));
    tally("lblMatched", matched.text(QStringLiteral("Сопоставлено")));
    tally("lblUnmatched", unmatched.text(QStringLiteral("Не сопоставлено")));
    tally("lblImported", imported.text(QStringLiteral("Занесено ранее")));
    tally("lblSkipped", QStringLiteral("Пропущено документов: %1").arg(import.skipped));
    tallies->setColumnStretch(3, 1);

    m_lblChecked = new QLabel(this);
    m_lblChecked->setObjectName(QStringLiteral("lblChecked"));
    QFont bold = m_lblChecked->font();
    bold.setBold(true);
    m_lblChecked->setFont(bold);
    m_cmdSplit = new QPushButton(QStringLiteral("Разделить…"), this);
    m_cmdSplit->setObjectName(QStringLiteral("CmdSplit"));
    m_cmdSplit->setAutoDefault(false);
    m_cmdSplit->setToolTip(QStringLiteral("Разделить сумму платежа между абонентами"));
    connect(m_cmdSplit, &QPushButton::clicked, this, &frmBank::CmdSplit_Click);
    m_cmdOk = new QPushButton(QStringLiteral("Занести"), this);
    m_cmdOk->setObjectName(QStringLiteral("CmdOk"));
    m_cmdOk->setAutoDefault(false);
    connect(m_cmdOk, &QPushButton::clicked, this, &frmBank::CmdOk_Click);
    m_cmdCancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    m_cmdCancel->setAutoDefault(false);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_model, &BankModel::marksChanged, this, &frmBank::showChecked);
    connect(m_model, &BankModel::marksChanged, this, &frmBank::showSplitAllowed);
    connect(m_g->selectionModel(), &QItemSelectionModel::currentChanged, this, &frmBank::showSplitAllowed);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_lblChecked);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdSplit);
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFile);
    layout->addWidget(lblJournal);
    layout->addWidget(m_g, 1);
    layout->addLayout(tallies);
    layout->addLayout(buttons);

    showChecked();
    showSplitAllowed();
    // The purpose takes what the other columns leave of the screen.
    QSize size(1360, 600);
    if (const QScreen* display = screen())
        size = size.boundedTo(display->availableSize());
    resize(size);
    fitColumns();
}

void frmBank::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    fitColumns();
}

void frmBank::fitColumns()
{
    const QFontMetrics metrics = fontMetrics();
    const auto width = [&metrics](const char* sample) {
        return metrics.horizontalAdvance(QString::fromUtf8(sample)) + 16;
    };
    // The widths the texts want, and the least each gives way to.
    struct Column
    {
        int column;
        int wanted;
        int least;
    };
    const std::array<Column, 7> columns = { {
        { BankModel::Date, width("00.00.00000"), width("00.00.00000") },
        { BankModel::Sum, width("000000,00 р."), width("00000000,00") },
        { BankModel::Payer, width("Кудрявцева Ксения Леонидовна"), width("Кудрявцева К.") },
        { BankModel::Subscriber, width("000. Кудрявцева К. Л."), width("000. Кудрявц") },
        { BankModel::Month, width("Сентябрь 20000"), width("Сентябрь 2000") },
        { BankModel::Note, width("л/с № 000 нет в справочнике"), width("л/с № 000 нет") },
        { BankModel::Purpose, width("Оплата электроэнергии за сентябрь"), width("Оплата электро") },
    } };
    const int available = m_g->viewport()->width() - m_g->columnWidth(BankModel::Mark);
    int wanted = 0;
    int least = 0;
    for (const Column& c : columns) {
        wanted += c.wanted;
        least += c.least;
    }
    for (const Column& c : columns) {
        int w = c.wanted;
        if (available >= wanted) {
            // The purpose takes what is left.
            if (c.column == BankModel::Purpose)
                w += available - wanted;
        } else if (available > least && wanted > least) {
            w = c.least + (c.wanted - c.least) * (available - least) / (wanted - least);
        } else {
            w = c.least;
        }
        m_g->setColumnWidth(c.column, w);
    }
}

void frmBank::showChecked()
{
    Tally checked;
    for (int row : m_model->checkedRows())
        checked.add(m_model->payment(row).sum);
    m_lblChecked->setText(checked.text(QStringLiteral("Отмечено к занесению")));
    m_cmdOk->setEnabled(checked.count > 0);
}

void frmBank::showSplitAllowed()
{
    const QModelIndex current = m_g->currentIndex();
    m_cmdSplit->setEnabled(current.isValid() && m_model->isOpen(current.row()));
}

bool frmBank::confirmLarge(int row)
{
    const QString text
        = QStringLiteral("Платёж на сумму %1 р. больше 10 000 000 р. Отметить его для занесения?")
              .arg(sumText(m_model->payment(row).sum.value_or(Currency())));
    return m_state.services.dialogs.message(
               { text, Title, MessageIcon::Question, MessageButtons::YesNo, Answer::No })
        == Answer::Yes;
}

void frmBank::CmdSplit_Click()
{
    const QModelIndex current = m_g->currentIndex();
    if (!current.isValid() || !m_model->isOpen(current.row()))
        return;
    auto* window = new frmSplit(m_state, *m_model, current.row(), this);
    window->show();
}

void frmBank::CmdOk_Click()
{
    const std::vector<int> checkedRows = m_model->checkedRows();
    if (checkedRows.empty())
        return;
    // A split payment is several postings of the same payment: `rows` names the row of each, so
    // that every part is journaled under the payment's key.
    std::vector<int> rows;
    std::vector<bank::Posting> postings;
    for (int row : checkedRows) {
        const std::vector<bank::Posting> parts = m_model->postings(row);
        if (parts.size() > 1) {
            std::vector<bank::Part> division;
            for (const bank::Posting& part : parts)
                division.push_back({ part.record, part.sum });
            const std::string problem = bank::splitProblem(
                m_model->payment(row).sum.value_or(Currency()), division, m_state.table.recordCount());
            if (!problem.empty()) {
                m_state.services.dialogs.message(
                    { QStringLiteral("Платеж %1 р. от %2 разделен неверно: %3 Платежи не занесены.")
                            .arg(m_model->cellText(row, BankModel::Sum),
                                m_model->cellText(row, BankModel::Payer).left(80), fromStd(problem)),
                        Title, MessageIcon::Exclamation });
                return;
            }
        }
        for (const bank::Posting& part : parts) {
            rows.push_back(row);
            postings.push_back(part);
        }
    }

    // A closed month takes nothing: its payments go into the first open month, and are said so.
    const std::vector<bank::MovedPosting> moved
        = bank::moveOutOfClosedMonths(postings, m_state.ClosedThrough);
    QString movedNote;
    if (!moved.empty())
        movedNote = QStringLiteral("Платежей за закрытые месяцы: %1; занесены в %2.")
                        .arg(moved.size())
                        .arg(fromStd(closing::monthWords(postings[moved.front().index].month)));

    backup::automaticBackup(m_state, backup::Reason::BankImport);
    // Everything goes in, or nothing: the table as it was comes back if a file cannot be written.
    RecordTable before = m_state.table;
    const bank::PostingResult result = bank::post(m_state.table, postings);
    Tally entered;
    QStringList refused;
    const QString importDate = m_state.services.clock.now().toString(QStringLiteral("dd.MM.yyyy"));
    bank::Journal journal = m_journal;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const bank::Payment& payment = m_model->payment(rows[i]);
        if (!result.refused[i].empty()) {
            refused << QStringLiteral("%1, %2 р., %3: %4")
                           .arg(fromStd(payment.document.received),
                               m_model->cellText(rows[i], BankModel::Sum), fromStd(payment.document.payer),
                               fromStd(result.refused[i]));
            continue;
        }
        const bank::Posting& posting = postings[i];
        entered.add(posting.sum);
        journal.add(
            { payment.key, posting.record, posting.month.year, posting.month.month, importDate.toStdString(),
                bank::journalText(m_state.table.field(posting.record, fields::FullName)) });
    }
    Dialogs& dialogs = m_state.services.dialogs;
    if (entered.count == 0) {
        m_state.table = std::move(before);
        dialogs.message({ QStringLiteral("Платежи не занесены:\n") + refused.join(QLatin1Char('\n')), Title,
            MessageIcon::Exclamation });
        return;
    }
    // The database and the journal as one commit: a payment is in both or in neither, whatever
    // stops the write, so that the same statement never enters it twice.
    const std::string journalPath = bank::journalPath(databasePath(m_state));
    AppState::Writing writing(m_state, QStringLiteral("Загрузка выписки банка"), movedNote);
    const database::Commit written = m_state.WriteDatabase({ { journalPath, bank::journalBytes(journal) } });
    if (written == database::Commit::Failed) {
        m_state.table = std::move(before);
        m_state.notices.clear();
        dialogs.message(
            { QStringLiteral("Платежи не занесены: файл базы и журнал загруженных платежей остались "
                             "прежними."),
                Title, MessageIcon::Exclamation });
        return;
    }
    if (written == database::Commit::SideFilesPending)
        dialogs.message({ QStringLiteral("Платежи занесены в базу. Журнал загруженных платежей %1 не удалось "
                                         "обновить сейчас: он будет дописан при следующем запуске программы.")
                              .arg(QDir::toNativeSeparators(QString::fromStdString(journalPath))),
            Title, MessageIcon::Exclamation });
    m_journal = std::move(journal);
    rememberJournalEntries(m_state, m_databasePath, int(m_journal.entries().size()));
    if (m_entered)
        m_entered(result.changedMonths);

    // Payments, not parts: a payment divided between subscribers is one payment.
    std::set<int> enteredRows;
    Tally payments;
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (result.refused[i].empty() && enteredRows.insert(rows[i]).second)
            payments.add(m_model->payment(rows[i]).sum);
    m_state.notices.importedPayments(payments.count);

    QString text = QStringLiteral("Занесено платежей: %1 на сумму %2 р.")
                       .arg(payments.count)
                       .arg(sumText(payments.sum));
    if (!result.changedMonths.empty())
        text += QStringLiteral("\nПересчитаны остатки: %1")
                    .arg(fromStd(bank::monthsText(result.changedMonths)));
    if (!movedNote.isEmpty())
        text += QLatin1Char('\n') + movedNote;
    if (!refused.isEmpty())
        text += QStringLiteral("\nНе занесены:\n") + refused.join(QLatin1Char('\n'));
    dialogs.message({ text, Title, refused.isEmpty() ? MessageIcon::Information : MessageIcon::Exclamation });
    accept();
    // Back to the ledger, which shows the money now.
    if (QWidget* owner = parentWidget()) {
        owner->activateWindow();
        owner->raise();
    }
}
