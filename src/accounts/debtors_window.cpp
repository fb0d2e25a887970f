#include "accounts/debtors_window.h"

#include "platform/dialogs.h"
#include "session/app_state.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
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

    top()->addWidget(m_caption);
    top()->addLayout(row);

    // The columns keep their widths: a count of months needs no more room on a wide window.
    grid()->horizontalHeader()->setStretchLastSection(false);
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
        { "Месяцев\nподряд в долгу", ColumnKind::Number, 1700 } };
    for (const ledger::Debtor& d : m_list.debtors) {
        report.rows.push_back({ std::string(table.field(d.record, fields::Number)),
            std::string(table.field(d.record, fields::FullName)), moneyText(d.opening), moneyText(d.charges),
            moneyText(d.paid), moneyText(d.debt), std::to_string(d.monthsInDebtBefore) });
    }
    report.totals = { "", "Итого: " + std::to_string(m_list.debtors.size()), money(m_list.opening),
        money(m_list.charges), money(m_list.paid), money(m_list.debt), "" };
    showReport(std::move(report));
}

QString frmDebtors::fileName() const
{
    return QStringLiteral("Должники ") + monthText();
}

frmDebtors* openDebtors(AppState& state, QWidget* ledgerWindow, const ledger::LedgerMonth& month)
{
    auto* window = new frmDebtors(state, month);
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (ledgerWindow) {
        QPointer<QWidget> ledger = ledgerWindow;
        ledger->hide();
        QObject::connect(window, &QObject::destroyed, ledger, [ledger] {
            if (ledger)
                ledger->show();
        });
    }
    window->show();
    return window;
}
