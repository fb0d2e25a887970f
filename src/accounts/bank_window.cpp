#include "accounts/bank_window.h"

#include "accounts/bank_model.h"
#include "accounts/ledger_window.h"
#include "platform/busy_cursor.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_places.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Импорт выписки банка");
const QString Filter = QStringLiteral("Выписка банка (*.txt)|*.txt|Все файлы(*.*)|*.*");

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString sumText(Currency sum)
{
    return sum.isZero() ? QStringLiteral("0,00") : fromStd(moneyText(sum));
}

// The core takes paths as UTF-8 on every system (Windows included, where the local 8-bit
// encoding is not UTF-8).
std::string fileSystemPath(const QString& path)
{
    return path.toStdString();
}

std::string databasePath(const AppState& state)
{
    return fileSystemPath(state.DatabasePath.isEmpty() ? state.databaseFilePath() : state.DatabasePath);
}

// A count of payments and what they come to.
struct Tally
{
    int count = 0;
    Currency sum;

    void add(const std::optional<Currency>& amount)
    {
        ++count;
        if (amount)
            sum = Currency::add(sum, *amount).value_or(sum);
    }
    QString text(const QString& caption) const
    {
        return QStringLiteral("%1: %2 на %3 р.").arg(caption).arg(count).arg(sumText(sum));
    }
};

// The subscriber and month cells: a list to choose from. The subscriber's list takes typing, and
// offers the names that contain what was typed.
class ChoiceDelegate : public QStyledItemDelegate
{
public:
    ChoiceDelegate(QStringList choices, bool typed, QObject* parent)
        : QStyledItemDelegate(parent), m_choices(std::move(choices)), m_typed(typed)
    { }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* combo = new QComboBox(parent);
        combo->addItems(m_choices);
        combo->setMaxVisibleItems(20);
        if (m_typed) {
            combo->setEditable(true);
            combo->setInsertPolicy(QComboBox::NoInsert);
            combo->completer()->setCompletionMode(QCompleter::PopupCompletion);
            combo->completer()->setFilterMode(Qt::MatchContains);
            combo->completer()->setCaseSensitivity(Qt::CaseInsensitive);
        }
        return combo;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        static_cast<QComboBox*>(editor)->setCurrentIndex(index.data(Qt::EditRole).toInt());
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        auto* combo = static_cast<QComboBox*>(editor);
        // What was typed counts only when it is one of the choices.
        const int choice
            = m_typed ? combo->findText(combo->currentText(), Qt::MatchFixedString) : combo->currentIndex();
        if (choice >= 0 && choice != index.data(Qt::EditRole).toInt())
            model->setData(index, choice, Qt::EditRole);
    }

private:
    QStringList m_choices;
    bool m_typed;
};

} // namespace

QString associationAccount(AppState& state, const bank::Statement& statement)
{
    const QString own
        = state.services.settings.value(QStringLiteral("Rekv"), QStringLiteral("PersonalAcc")).trimmed();
    return own.isEmpty() ? fromStd(statement.account).trimmed() : own;
}

void openBankImport(AppState& state, frmRedLS& ledger)
{
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
    {
        const BusyCursor busy;
        import
            = bank::prepareImport(std::move(documents), state.table, journal.journal, account.toStdString());
    }
    if (import.payments.empty()) {
        dialogs.message({ QStringLiteral("В выписке нет поступлений на счет %1 (других документов: %2).")
                              .arg(account)
                              .arg(import.skipped),
            Title, MessageIcon::Information });
        return;
    }
    auto* window = new frmBank(
        state, ledger, QFileInfo(*chosen).fileName(), header, std::move(import), std::move(journal.journal));
    window->show();
}

frmBank::frmBank(AppState& state, frmRedLS& ledger, const QString& fileName, const bank::Statement& statement,
    bank::Import import, bank::Journal journal)
    : QDialog(&ledger), m_state(state), m_ledger(ledger), m_journal(std::move(journal))
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
    auto* lblFile = new QLabel(about.join(QStringLiteral("    ")), this);
    lblFile->setObjectName(QStringLiteral("lblFile"));

    QStringList subscribers;
    subscribers.reserve(state.table.recordCount());
    for (int i = 1; i <= state.table.recordCount(); ++i)
        subscribers << QStringLiteral("%1. %2").arg(i).arg(fromStd(state.table.field(i, fields::FullName)));
    m_model = new BankModel(std::move(import.payments), subscribers, state.table.years(), this);

    m_g = new QTableView(this);
    m_g->setObjectName(QStringLiteral("g"));
    m_g->setModel(m_model);
    m_g->verticalHeader()->hide();
    m_g->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 10);
    m_g->setSelectionMode(QAbstractItemView::SingleSelection);
    m_g->setWordWrap(false);
    m_g->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed);
    m_g->setItemDelegateForColumn(
        BankModel::Subscriber, new ChoiceDelegate(m_model->subscriberChoices(), true, m_g));
    m_g->setItemDelegateForColumn(BankModel::Month, new ChoiceDelegate(m_model->monthChoices(), false, m_g));
    connect(m_g, &QTableView::clicked, this, [this](const QModelIndex& index) {
        if (index.column() == BankModel::Subscriber || index.column() == BankModel::Month)
            m_g->edit(index);
    });
    const QFontMetrics metrics = fontMetrics();
    const auto width = [&metrics](const char* sample) {
        return metrics.horizontalAdvance(QString::fromUtf8(sample)) + 16;
    };
    QHeaderView* header = m_g->horizontalHeader();
    header->setSectionResizeMode(BankModel::Purpose, QHeaderView::Stretch);
    m_g->setColumnWidth(BankModel::Mark, 28);
    m_g->setColumnWidth(BankModel::Date, width("00.00.00000"));
    m_g->setColumnWidth(BankModel::Sum, width("000000,00 р."));
    m_g->setColumnWidth(BankModel::Payer, width("Кудрявцева Ксения Леонидовна"));
    m_g->setColumnWidth(BankModel::Subscriber, width("000. Кудрявцева К. Л."));
    m_g->setColumnWidth(BankModel::Month, width("Сентябрь 20000"));
    m_g->setColumnWidth(BankModel::Note, width("л/с № 000 нет в справочнике"));

    auto* tallies = new QHBoxLayout;
    const auto tally = [&](const char* name, const QString& text) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        tallies->addWidget(label);
        tallies->addSpacing(18);
    };
    tally("lblAll", all.text(QStringLiteral("Всего платежей")));
    tally("lblMatched", matched.text(QStringLiteral("Сопоставлено")));
    tally("lblUnmatched", unmatched.text(QStringLiteral("Не сопоставлено")));
    tally("lblImported", imported.text(QStringLiteral("Занесено ранее")));
    tally("lblSkipped", QStringLiteral("Пропущено документов: %1").arg(import.skipped));
    tallies->addStretch(1);

    m_lblChecked = new QLabel(this);
    m_lblChecked->setObjectName(QStringLiteral("lblChecked"));
    QFont bold = m_lblChecked->font();
    bold.setBold(true);
    m_lblChecked->setFont(bold);
    m_cmdOk = new QPushButton(QStringLiteral("Занести"), this);
    m_cmdOk->setObjectName(QStringLiteral("CmdOk"));
    m_cmdOk->setAutoDefault(false);
    connect(m_cmdOk, &QPushButton::clicked, this, &frmBank::CmdOk_Click);
    m_cmdCancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    m_cmdCancel->setAutoDefault(false);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_model, &BankModel::marksChanged, this, &frmBank::showChecked);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_lblChecked);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblFile);
    layout->addWidget(m_g, 1);
    layout->addLayout(tallies);
    layout->addLayout(buttons);

    showChecked();
    // The purpose takes what the other columns leave of the screen.
    QSize size(1360, 600);
    if (const QScreen* display = screen())
        size = size.boundedTo(display->availableSize());
    resize(size);
}

void frmBank::showChecked()
{
    Tally checked;
    for (int row : m_model->checkedRows())
        checked.add(m_model->posting(row).sum);
    m_lblChecked->setText(checked.text(QStringLiteral("Отмечено к занесению")));
    m_cmdOk->setEnabled(checked.count > 0);
}

void frmBank::CmdOk_Click()
{
    const std::vector<int> rows = m_model->checkedRows();
    if (rows.empty())
        return;
    std::vector<bank::Posting> postings;
    postings.reserve(rows.size());
    for (int row : rows)
        postings.push_back(m_model->posting(row));

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
    // The database first: a payment in the journal but not in the file would be lost for good.
    if (!m_state.WriteDatabase()) {
        m_state.table = std::move(before);
        return;
    }
    const std::string journalPath = bank::journalPath(databasePath(m_state));
    if (!bank::writeJournal(journalPath, journal)) {
        // Without the journal the same payments would go in again next time: the file goes back too.
        m_state.table = std::move(before);
        m_state.WriteDatabase();
        // The writes were steps of an import that failed: nothing went through to speak of.
        m_state.notices.clear();
        dialogs.message(
            { QStringLiteral("Не удалось записать журнал загруженных платежей %1. Платежи не занесены.")
                    .arg(QDir::toNativeSeparators(QString::fromStdString(journalPath))),
                Title, MessageIcon::Exclamation });
        return;
    }
    m_journal = std::move(journal);
    m_ledger.refillIfShown(result.changedMonths);
    m_state.notices.importedPayments(entered.count);

    QString text
        = QStringLiteral("Занесено платежей: %1 на сумму %2 р.").arg(entered.count).arg(sumText(entered.sum));
    if (!refused.isEmpty())
        text += QStringLiteral("\nНе занесены:\n") + refused.join(QLatin1Char('\n'));
    dialogs.message({ text, Title, refused.isEmpty() ? MessageIcon::Information : MessageIcon::Exclamation });
    accept();
}
