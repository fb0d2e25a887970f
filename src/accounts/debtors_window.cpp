#include "accounts/debtors_window.h"

#include "accounts/claim_text_window.h"
#include "accounts/penalty_window.h"
#include "accounts/debt_papers_page.h"
#include "documents/payee_settings.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/hidden_while_open.h"
#include "session/app_state.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Amounts as the ledger shows them, but a zero shows as 0,00 where a sum is asked for.
std::string money(Currency value)
{
    const std::string text = moneyText(value);
    return text.empty() ? "0,00" : text;
}

penalty::Date dateOf(const QDate& date)
{
    return std::chrono::year(date.year()) / std::chrono::month(unsigned(date.month()))
        / std::chrono::day(unsigned(date.day()));
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

const QString NoticeTitle = QStringLiteral("Уведомления");
const QString ClaimTitle = QStringLiteral("Претензии");
// The notices' pay-by date unless the user picks another: ten days on.
constexpr int PayByDays = 10;

} // namespace

frmDebtors::frmDebtors(AppState& state, const ledger::LedgerMonth& month, QWidget* parent)
    : ReportWindow(state, QStringLiteral("frmDebtors"), QStringLiteral("Должники"),
        QStringLiteral("frmPrintDebtors"), PageOrientation::Landscape, parent),
      m_month(month)
{
    m_caption = new QLabel(QStringLiteral("Должники на конец месяца: ") + monthText(), this);
    m_caption->setObjectName(QStringLiteral("lblMes"));
    QFont bold = m_caption->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.2);
    m_caption->setFont(bold);

    auto* row = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("Долг больше, р.:"), this);
    m_threshold = new QLineEdit(QStringLiteral("0,00"), this);
    m_threshold->setObjectName(QStringLiteral("txtThreshold"));
    m_threshold->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000000000,00")) + 16);
    m_threshold->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    caption->setBuddy(m_threshold);
    m_show = new QPushButton(QStringLiteral("Показать"), this);
    m_show->setObjectName(QStringLiteral("CmdShow"));
    connect(m_show, &QPushButton::clicked, this, &frmDebtors::CmdShow_Click);
    connect(m_threshold, &QLineEdit::returnPressed, this, &frmDebtors::CmdShow_Click);
    row->addWidget(caption);
    row->addWidget(m_threshold);
    row->addWidget(m_show);
    row->addStretch(1);
    auto* checkAll = button(this, "CmdCheckAll", QStringLiteral("Отметить всех"));
    auto* uncheckAll = button(this, "CmdUncheckAll", QStringLiteral("Снять отметки"));
    connect(checkAll, &QPushButton::clicked, this, &frmDebtors::CmdCheckAll_Click);
    connect(uncheckAll, &QPushButton::clicked, this, &frmDebtors::CmdUncheckAll_Click);
    row->addWidget(checkAll);
    row->addWidget(uncheckAll);
    row->addSpacing(16);
    auto* payByCaption = new QLabel(QStringLiteral("Оплатить до:"), this);
    m_payBy = new QDateEdit(m_state.services.clock.now().date().addDays(PayByDays), this);
    m_payBy->setObjectName(QStringLiteral("dtPayBy"));
    m_payBy->setCalendarPopup(true);
    m_payBy->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    payByCaption->setBuddy(m_payBy);
    row->addWidget(payByCaption);
    row->addWidget(m_payBy);

    auto* notice = button(this, "CmdNotice", NoticeTitle);
    auto* claim = button(this, "CmdClaim", ClaimTitle);
    auto* claimText = button(this, "CmdClaimText", QStringLiteral("Текст претензии…"));
    auto* penalties = button(this, "CmdPenalty", QStringLiteral("Пени…"));
    connect(notice, &QPushButton::clicked, this, &frmDebtors::CmdNotice_Click);
    connect(claim, &QPushButton::clicked, this, &frmDebtors::CmdClaim_Click);
    connect(claimText, &QPushButton::clicked, this, &frmDebtors::CmdClaimText_Click);
    connect(penalties, &QPushButton::clicked, this, &frmDebtors::CmdPenalty_Click);
    int at = 0;
    for (QPushButton* b : { notice, claim, claimText, penalties })
        buttons()->insertWidget(at++, b);
    // Tab goes as the window reads: the row above the list, the list, then the buttons below it.
    QWidget* previous = m_payBy;
    for (QWidget* next : std::initializer_list<QWidget*>{ grid(), notice, claim, claimText, penalties }) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    }
    if (QLayoutItem* following = buttons()->itemAt(at); following && following->widget())
        QWidget::setTabOrder(penalties, following->widget());

    connect(grid(), &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        const int r = item->row();
        if (item->column() != 0 || !(item->flags() & Qt::ItemIsUserCheckable) || r < 0
            || r >= int(m_list.debtors.size()))
            return;
        const int record = m_list.debtors[std::size_t(r)].record;
        if (item->checkState() == Qt::Checked)
            m_unchecked.erase(record);
        else
            m_unchecked.insert(record);
    });

    top()->addWidget(m_caption);
    top()->addLayout(row);

    // The columns keep their widths: a count of months needs no more room on a wide window.
    grid()->horizontalHeader()->setStretchLastSection(false);
    readClaims();
    showList();
    resize(900, 640);
}

QString frmDebtors::monthText() const
{
    return fromStd(fields::MonthNames[std::size_t(m_month.month - 1)]) + QLatin1Char(' ')
        + QString::number(m_month.year);
}

bool frmDebtors::takeThreshold()
{
    const std::optional<Currency> threshold = ledger::typedThreshold(m_threshold->text().toStdString());
    if (!threshold) {
        m_state.services.dialogs.message(
            { QStringLiteral("Введите сумму числом не меньше нуля, например 500,00"),
                QStringLiteral("Ошибка ввода"), MessageIcon::Exclamation });
        m_threshold->setText(fromStd(money(m_shownThreshold)));
        m_threshold->setFocus();
        m_threshold->selectAll();
        return false;
    }
    m_threshold->setText(fromStd(money(*threshold)));
    if (!(*threshold == m_shownThreshold)) {
        m_shownThreshold = *threshold;
        showList();
    }
    return true;
}

bool frmDebtors::takeTyped()
{
    return takeThreshold();
}

void frmDebtors::closeEvent(QCloseEvent* event)
{
    event->accept();
}

void frmDebtors::CmdShow_Click()
{
    takeThreshold();
}

void frmDebtors::showList()
{
    m_list = ledger::debtorsList(m_state.table, m_month, m_shownThreshold);
    const RecordTable& table = m_state.table;

    reports::ReportTable report;
    report.title = "Должники";
    report.subtitle = (QStringLiteral("На конец месяца: ") + monthText()).toStdString();
    // "абонентов 1" reads right for every count, unlike "1 абонентов".
    report.notes.push_back("Долг больше " + money(m_shownThreshold) + " р.: абонентов "
        + std::to_string(m_list.debtors.size()) + " на сумму " + money(m_list.debt) + " р.");
    report.notes.push_back("Остаток со знаком «-» — переплата; «месяцев подряд» — сколько месяцев перед этим "
                           "закончились с долгом.");
    using reports::ColumnKind;
    report.columns = { { "№", ColumnKind::Text, 500 }, { "Фамилия И. О.", ColumnKind::Text, 3200 },
        { "Остаток на\nнач. мес., р.", ColumnKind::Money, 1500 },
        { "Начислено, р.", ColumnKind::Money, 1500 }, { "Внесено, р.", ColumnKind::Money, 1500 },
        { "Долг на кон.\nмес., р.", ColumnKind::Money, 1500 },
        { "Месяцев\nподряд в долгу", ColumnKind::Number, 1700 }, { "Претензия", ColumnKind::Text, 2900 } };
    for (const ledger::Debtor& d : m_list.debtors) {
        const claims::Claim* claim = claims::latestClaim(m_claims, d.record);
        report.rows.push_back({ std::string(table.field(d.record, fields::Number)),
            std::string(table.field(d.record, fields::FullName)), moneyText(d.opening), moneyText(d.charges),
            moneyText(d.paid), moneyText(d.debt), std::to_string(d.monthsInDebtBefore),
            claim ? claims::claimCaption(*claim) : std::string() });
    }
    report.totals = { "", "Итого: " + std::to_string(m_list.debtors.size()), money(m_list.opening),
        money(m_list.charges), money(m_list.paid), money(m_list.debt), "", "" };
    showReport(std::move(report));
    showChecks();
}

void frmDebtors::showChecks()
{
    const QSignalBlocker blocker(grid());
    for (int r = 0; r < int(m_list.debtors.size()); ++r) {
        QTableWidgetItem* item = grid()->item(r, 0);
        if (!item)
            continue;
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(
            m_unchecked.count(m_list.debtors[std::size_t(r)].record) ? Qt::Unchecked : Qt::Checked);
    }
}

std::vector<int> frmDebtors::checkedRecords() const
{
    std::vector<int> records;
    for (const ledger::Debtor& d : m_list.debtors) {
        if (!m_unchecked.count(d.record))
            records.push_back(d.record);
    }
    return records;
}

void frmDebtors::setChecked(int record, bool checked)
{
    if (checked)
        m_unchecked.erase(record);
    else
        m_unchecked.insert(record);
    showChecks();
}

void frmDebtors::CmdCheckAll_Click()
{
    m_unchecked.clear();
    showChecks();
}

void frmDebtors::CmdUncheckAll_Click()
{
    for (const ledger::Debtor& d : m_list.debtors)
        m_unchecked.insert(d.record);
    showChecks();
}

bool frmDebtors::readClaims()
{
    const claims::ReadResult read = claims::read(m_state.databaseFile(), m_state.table);
    m_claims = read.claims;
    if (read.status != claims::ReadResult::Status::Failed)
        return true;
    m_state.services.dialogs.error(QStringLiteral("Не удалось прочитать реестр претензий %1")
                                       .arg(QString::fromStdString(claims::filePath(m_state.databaseFile()))),
        ClaimTitle);
    return false;
}

std::optional<std::vector<int>> frmDebtors::chosen(const QString& title, const QString& none)
{
    if (!takeThreshold())
        return std::nullopt;
    std::vector<int> records = checkedRecords();
    if (records.empty()) {
        m_state.services.dialogs.message({ none, title, MessageIcon::Information });
        return std::nullopt;
    }
    return records;
}

void frmDebtors::CmdNotice_Click()
{
    const std::optional<std::vector<int>> records
        = chosen(NoticeTitle, QStringLiteral("Отметьте в списке должников, которым нужны уведомления."));
    if (!records)
        return;
    const QDate today = m_state.services.clock.now().date();
    if (m_payBy->date() < today) {
        m_state.services.dialogs.message({ QStringLiteral("Срок оплаты %1 уже прошёл. Укажите дату не раньше "
                                                          "сегодняшней.")
                                               .arg(m_payBy->date().toString(QStringLiteral("dd.MM.yyyy"))),
            NoticeTitle, MessageIcon::Exclamation });
        m_payBy->setFocus();
        return;
    }
    const documents::PayeeDetails payee = documents::readPayee(m_state.services.settings);
    if (!documents::payeeComplete(payee)
        && m_state.services.dialogs.message(
               { QStringLiteral("Реквизиты получателя платежа не заданы или неполны: в уведомлениях не будет "
                                "QR-кода и реквизитов для оплаты. Напечатать уведомления без них?"),
                   NoticeTitle, MessageIcon::Question, MessageButtons::YesNo, Answer::Yes })
            != Answer::Yes)
        return;
    const penalty::Rule rule = penalty::readRule(m_state.services.settings);
    std::vector<documents::DebtPaper> papers;
    for (int record : *records)
        papers.push_back(documents::debtPaper(m_state.table, record, m_month, rule, dateOf(today)));
    openDebtPapers(m_state, this,
        new frmDebtPapers(m_state, frmDebtPapers::Kind::Notice, std::move(papers), {}, payee,
            dateOf(m_payBy->date()), QString()));
}

void frmDebtors::CmdClaim_Click()
{
    const std::optional<std::vector<int>> records
        = chosen(ClaimTitle, QStringLiteral("Отметьте в списке должников, которым нужны претензии."));
    if (!records || !readClaims())
        return;
    const QDate today = m_state.services.clock.now().date();
    const penalty::Rule rule = penalty::readRule(m_state.services.settings);
    std::vector<documents::DebtPaper> papers;
    std::vector<int> numbers;
    int number = claims::nextNumber(m_claims, today.year());
    for (int record : *records) {
        papers.push_back(documents::debtPaper(m_state.table, record, m_month, rule, dateOf(today)));
        numbers.push_back(number++);
    }
    auto* page = new frmDebtPapers(m_state, frmDebtPapers::Kind::Claim, std::move(papers), std::move(numbers),
        documents::readPayee(m_state.services.settings), dateOf(m_payBy->date()),
        claims::readTemplate(m_state.services.settings));
    connect(page, &frmDebtPapers::claimsRegistered, this, [this] {
        readClaims();
        showList();
    });
    openDebtPapers(m_state, this, page);
}

void frmDebtors::CmdClaimText_Click()
{
    auto* window = new frmClaimText(m_state, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->open();
}

void frmDebtors::CmdPenalty_Click()
{
    auto* window = new frmPenalty(m_state, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->open();
}

QString frmDebtors::fileName() const
{
    return QStringLiteral("Должники ") + monthText();
}

frmDebtors* openDebtors(AppState& state, QWidget* ledgerWindow, const ledger::LedgerMonth& month)
{
    auto* window = new frmDebtors(state, month);
    window->setAttribute(Qt::WA_DeleteOnClose);
    hideWhileOpen(ledgerWindow, window);
    window->show();
    return window;
}
