#include "accounts/bank_split_window.h"

#include "accounts/bank_model.h"
#include "platform/dialogs.h"
#include "session/app_state.h"

#include <QComboBox>
#include <QCompleter>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Разделение платежа");

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString sumText(Currency sum)
{
    return sum.isZero() ? QStringLiteral("0,00") : fromStd(moneyText(sum));
}

// The subscriber a part's list names: its choice, or what was typed when that is one of them.
int chosenRecord(const QComboBox* combo)
{
    const int typed = combo->findText(combo->currentText(), Qt::MatchFixedString);
    return typed >= 0 ? typed : 0;
}

// A part's sum as typed, with a point or a comma; whether it is above zero and to the kopeck is
// for the check of the whole division to say.
std::optional<Currency> partSum(const QString& typed)
{
    QString text = typed.trimmed();
    text.replace(QLatin1Char('.'), QLatin1Char(','));
    return text.isEmpty() ? std::nullopt : Currency::parse(text.toStdString());
}

} // namespace

frmSplit::frmSplit(AppState& state, BankModel& model, int row, QWidget* parent)
    : QDialog(parent), m_state(state), m_model(model), m_row(row)
{
    setObjectName(QStringLiteral("frmSplit"));
    setWindowTitle(Title);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);

    const bank::Payment& payment = model.payment(row);
    const Currency sum = payment.sum.value_or(Currency());
    auto* lblPayment = new QLabel(QStringLiteral("Платеж на %1 р. от %2 — разделите сумму между абонентами:")
                                      .arg(sumText(sum), model.cellText(row, BankModel::Payer).left(80)),
        this);
    lblPayment->setObjectName(QStringLiteral("lblPayment"));
    lblPayment->setWordWrap(true);

    m_grid = new QGridLayout;
    m_grid->addWidget(new QLabel(QStringLiteral("Абонент"), this), 0, 0);
    m_grid->addWidget(new QLabel(QStringLiteral("Сумма, р."), this), 0, 1);
    m_grid->setColumnStretch(0, 1);

    m_lblRest = new QLabel(this);
    m_lblRest->setObjectName(QStringLiteral("lblRest"));
    m_cmdAdd = new QPushButton(QStringLiteral("Добавить абонента"), this);
    m_cmdAdd->setObjectName(QStringLiteral("CmdAdd"));
    m_cmdAdd->setAutoDefault(false);
    connect(m_cmdAdd, &QPushButton::clicked, this, [this] { addPart(); });
    m_cmdOk = new QPushButton(QStringLiteral("ОК"), this);
    m_cmdOk->setObjectName(QStringLiteral("CmdOk"));
    m_cmdOk->setAutoDefault(false);
    connect(m_cmdOk, &QPushButton::clicked, this, &frmSplit::CmdOk_Click);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    cancel->setAutoDefault(false);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmdAdd);
    buttons->addStretch(1);
    buttons->addWidget(m_cmdOk);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblPayment);
    layout->addLayout(m_grid);
    layout->addWidget(m_lblRest);
    layout->addStretch(1);
    layout->addLayout(buttons);

    // What the row holds already, else the plots named, else its subscriber and one more.
    if (!model.parts(row).empty()) {
        for (const bank::Part& part : model.parts(row))
            addPart(part.record, fromStd(moneyText(part.sum)));
    } else if (payment.plots.size() >= 2) {
        const std::vector<Currency> even = bank::evenParts(sum, int(payment.plots.size()));
        for (std::size_t i = 0; i < payment.plots.size(); ++i)
            addPart(payment.plots[i], fromStd(moneyText(even[i])));
    } else {
        addPart(model.record(row), fromStd(moneyText(sum)));
        addPart();
    }
    resize(560, sizeHint().height());
}

void frmSplit::addPart(int record, const QString& sum)
{
    const int index = int(m_parts.size());
    PartControls part;
    part.subscriber = new QComboBox(this);
    part.subscriber->setObjectName(QStringLiteral("Cmb_%1").arg(index));
    part.subscriber->addItems(m_model.subscriberChoices());
    part.subscriber->setMaxVisibleItems(20);
    part.subscriber->setEditable(true);
    part.subscriber->setInsertPolicy(QComboBox::NoInsert);
    part.subscriber->completer()->setCompletionMode(QCompleter::PopupCompletion);
    part.subscriber->completer()->setFilterMode(Qt::MatchContains);
    part.subscriber->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    part.subscriber->setCurrentIndex(record >= 0 && record < part.subscriber->count() ? record : 0);
    part.subscriber->setMinimumContentsLength(24);
    part.subscriber->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    part.sum = new QLineEdit(sum, this);
    part.sum->setObjectName(QStringLiteral("txtSum_%1").arg(index));
    part.sum->setAlignment(Qt::AlignRight);
    part.sum->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("000000000,00")) + 16);
    connect(part.sum, &QLineEdit::textChanged, this, &frmSplit::showRest);
    m_grid->addWidget(part.subscriber, index + 1, 0);
    m_grid->addWidget(part.sum, index + 1, 1);
    m_parts.push_back(part);
    showRest();
}

void frmSplit::showRest()
{
    const Currency sum = m_model.payment(m_row).sum.value_or(Currency());
    Currency given;
    for (const PartControls& part : m_parts)
        if (const std::optional<Currency> amount = partSum(part.sum->text()))
            given = Currency::add(given, *amount).value_or(given);
    const Currency rest = Currency::subtract(sum, given).value_or(Currency());
    m_lblRest->setText(QStringLiteral("Распределено %1 р. из %2 р., остается %3 р.")
                           .arg(sumText(given), sumText(sum), sumText(rest)));
}

void frmSplit::CmdOk_Click()
{
    Dialogs& dialogs = m_state.services.dialogs;
    const auto refuse = [&](const QString& why) {
        dialogs.message({ why + QStringLiteral(" Платеж не разделен."), Title, MessageIcon::Exclamation });
    };
    std::vector<bank::Part> parts;
    for (const PartControls& controls : m_parts) {
        const int record = chosenRecord(controls.subscriber);
        const QString typed = controls.sum->text().trimmed();
        // A line left as it was added is no part.
        if (record == 0 && typed.isEmpty())
            continue;
        const std::optional<Currency> amount = partSum(typed);
        if (!amount)
            return refuse(QStringLiteral("Сумма «%1» не число рублей с копейками.").arg(typed.left(40)));
        parts.push_back({ record, *amount });
    }
    const QString problem = m_model.setParts(m_row, parts);
    if (!problem.isEmpty())
        return refuse(problem);
    accept();
}
