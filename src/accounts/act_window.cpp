#include "accounts/act_window.h"

#include "accounts/reconciliation.h"
#include "accounts/act_page.h"
#include "documents/payee_settings.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "session/app_state.h"
#include "session/year_selector.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Акт сверки расчётов");

} // namespace

frmAct::frmAct(AppState& state, int record, QWidget* parent)
    : QDialog(parent), m_state(state), m_record(record)
{
    setObjectName(QStringLiteral("frmAct"));
    setWindowTitle(m_state.windowTitle(Title));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* name = new QLabel(
        QStringLiteral("Абонент: %1. %2")
            .arg(QString::fromStdString(std::string(state.table.field(record, fields::Number))),
                QString::fromStdString(std::string(state.table.field(record, fields::FullName)))),
        this);
    name->setObjectName(QStringLiteral("lblFio"));

    auto* grid = new QGridLayout;
    const std::array<QString, 2> captions = { QStringLiteral("Период с"), QStringLiteral("по") };
    for (int end = 0; end < 2; ++end) {
        auto* month = new QComboBox(this);
        month->setObjectName(QStringLiteral("CmbMonth_%1").arg(end));
        for (std::string_view m : fields::MonthNames)
            month->addItem(QString::fromUtf8(m.data(), qsizetype(m.size())));
        auto* year = new QComboBox(this);
        year->setObjectName(QStringLiteral("CmbYear_%1").arg(end));
        addHeldYears(*year, state.table.years());
        auto* caption = new QLabel(captions[std::size_t(end)], this);
        caption->setBuddy(month);
        grid->addWidget(caption, 0, end * 3);
        grid->addWidget(month, 0, end * 3 + 1);
        grid->addWidget(year, 0, end * 3 + 2);
        m_month[std::size_t(end)] = month;
        m_year[std::size_t(end)] = year;
    }

    auto* ok = new QPushButton(QStringLiteral("Сформировать"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmAct::CmdOk_Click);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addLayout(grid);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    // The year up to the account's last month with data; with none yet, the present year.
    const fields::YearWindow& years = state.table.years();
    const std::optional<ledger::DataSpan> span = ledger::dataSpan(state.table, record);
    const fields::YearMonth to = span
        ? span->last
        : fields::YearMonth{ years.nearest(state.services.clock.now().date().year()), 12 };
    const int fromOrdinal = std::max(0, years.ordinal(to) - 11);
    setPeriod(years.at(fromOrdinal), to);
}

void frmAct::setPeriod(fields::YearMonth from, fields::YearMonth to)
{
    const std::array<fields::YearMonth, 2> ends = { from, to };
    for (int end = 0; end < 2; ++end) {
        m_month[std::size_t(end)]->setCurrentIndex(ends[std::size_t(end)].month - 1);
        m_year[std::size_t(end)]->setCurrentIndex(m_year[std::size_t(end)]->findText(
            QString::fromStdString(fields::yearText(ends[std::size_t(end)].year))));
    }
}

fields::YearMonth frmAct::chosen(int end) const
{
    const std::optional<int> year
        = m_state.table.years().find(m_year[std::size_t(end)]->currentText().toStdString());
    return { year.value_or(0), m_month[std::size_t(end)]->currentIndex() + 1 };
}

void frmAct::CmdOk_Click()
{
    const fields::YearMonth from = chosen(0);
    const fields::YearMonth to = chosen(1);
    if (to < from) {
        m_state.services.dialogs.error(QStringLiteral("Начало периода позже его конца."), Title);
        m_month[0]->setFocus();
        return;
    }
    // Payments' dates where they came from the bank; without a readable journal the act goes
    // without them, its sums are the ledger's all the same.
    const bank::JournalRead journal = bank::readJournal(bank::journalPath(m_state.databaseFile()));
    const std::optional<ledger::Act> act = ledger::reconciliation(m_state.table, m_record, from, to,
        journal.status == bank::JournalRead::Status::Read ? &journal.journal : nullptr);
    if (!act)
        return;
    auto* frame = new MDIfrmPrint(m_state);
    frame->setPage(new frmActPrint(m_state, *act, documents::readPayee(m_state.services.settings).name));
    frame->show();
    accept();
}

void openReconciliation(AppState& state, int record, QWidget* parent)
{
    if (record < 1 || record > state.table.recordCount())
        return;
    auto* window = new frmAct(state, record, parent);
    window->show();
}
