#include "accounts/month_closing_window.h"

#include "accounts/month_closing.h"
#include "database/field_map.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "session/app_state.h"

#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The month offered first: to close, the last month before this one (the month just ended); to
// reopen, the last closed one.
fields::YearMonth firstOffered(const AppState& state, frmCloseMonth::Mode mode)
{
    if (mode == frmCloseMonth::Mode::Reopen && state.ClosedThrough)
        return *state.ClosedThrough;
    const QDate today = state.services.clock.now().date();
    const fields::YearMonth now{ today.year(), today.month() };
    return closing::monthBefore(now).value_or(now);
}

} // namespace

frmCloseMonth::frmCloseMonth(AppState& state, Mode mode, std::function<void()> changed, QWidget* parent)
    : QDialog(parent), m_state(state), m_mode(mode), m_changed(std::move(changed))
{
    const bool closing = mode == Mode::Close;
    setObjectName(closing ? QStringLiteral("frmCloseMonth") : QStringLiteral("frmReopenMonth"));
    setWindowTitle(state.windowTitle(
        closing ? QStringLiteral("Закрыть месяц") : QStringLiteral("Открыть месяц для исправления")));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);

    auto* explanation = new QLabel(closing
            ? QStringLiteral("Закрываются все месяцы по выбранный включительно. Показания, тарифы и записи "
                             "лицевых счетов закрытых месяцев нельзя изменить, пока месяц не открыт для "
                             "исправления; платежи банка за закрытый месяц заносятся в первый открытый.")
            : QStringLiteral("Открывается выбранный месяц и все закрытые после него. Причина исправления "
                             "записывается в журнал изменений; после исправления закройте месяцы снова."),
        this);
    explanation->setWordWrap(true);
    lblState = new QLabel(closing::closedMonthsText(state.ClosedThrough), this);
    lblState->setObjectName(QStringLiteral("lblState"));

    cmbMonth = new QComboBox(this);
    cmbMonth->setObjectName(QStringLiteral("cmbMonth"));
    for (const std::string_view name : fields::MonthNames)
        cmbMonth->addItem(QString::fromUtf8(name.data(), static_cast<int>(name.size())));
    cmbYear = new QComboBox(this);
    cmbYear->setObjectName(QStringLiteral("cmbYear"));
    for (const int year : state.table.years().years())
        cmbYear->addItem(QString::number(year), year);
    const fields::YearMonth offered = firstOffered(state, mode);
    cmbMonth->setCurrentIndex(offered.month - 1);
    const int yearIndex = cmbYear->findData(state.table.years().nearest(offered.year));
    cmbYear->setCurrentIndex(yearIndex);

    auto* form = new QFormLayout;
    form->addRow(
        closing ? QStringLiteral("&Закрыть по месяц:") : QStringLiteral("&Открыть месяц:"), cmbMonth);
    form->addRow(QStringLiteral("&Год:"), cmbYear);
    if (!closing) {
        txtReason = new QLineEdit(this);
        txtReason->setObjectName(QStringLiteral("txtReason"));
        txtReason->setMaxLength(500);
        txtReason->setPlaceholderText(QStringLiteral("например: ошибка в показании участка 12"));
        form->addRow(QStringLiteral("&Причина исправления:"), txtReason);
    }

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok
        = buttons->addButton(closing ? QStringLiteral("Закрыть месяцы") : QStringLiteral("Открыть месяц"),
            QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Отмена"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmCloseMonth::CmdOk_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addWidget(lblState);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(460);
}

void frmCloseMonth::CmdOk_Click()
{
    const fields::YearMonth month{ cmbYear->currentData().toInt(), cmbMonth->currentIndex() + 1 };
    Dialogs& dialogs = m_state.services.dialogs;
    if (m_mode == Mode::Close) {
        if (const std::optional<QString> why = closing::whyNotClose(m_state, month)) {
            dialogs.message({ *why, windowTitle(), MessageIcon::Exclamation });
            return;
        }
        const QString question
            = QStringLiteral("Закрыть все месяцы по %1 включительно? Их показания, тарифы и записи лицевых "
                             "счетов нельзя будет изменить без открытия месяца для исправления.")
                  .arg(QString::fromStdString(closing::monthWords(month)));
        if (!dialogs.askYesNo(question, QStringLiteral("Закрыть месяц"), MessageIcon::Question))
            return;
    }
    const closing::Outcome outcome = m_mode == Mode::Close
        ? closing::closeMonths(m_state, month)
        : closing::reopenMonth(m_state, month, txtReason->text());
    if (!outcome.done) {
        dialogs.message({ outcome.text, windowTitle(), MessageIcon::Exclamation });
        return;
    }
    m_state.notices.post(outcome.text);
    if (m_changed)
        m_changed();
    accept();
}
