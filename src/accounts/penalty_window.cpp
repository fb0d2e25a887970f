#include "accounts/penalty_window.h"

#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace penalty {

Rule readRule(const SettingsStore& settings)
{
    const auto text = [&settings](const QString& key, const char* fallback) {
        return settings.value(settings::Main, key, QString::fromUtf8(fallback)).toStdString();
    };
    const RuleTexts defaults = textsOf(Rule{});
    return ruleFromTexts({ text(EnabledKey, defaults.enabled.c_str()), text(KindKey, defaults.kind.c_str()),
        text(PercentKey, defaults.percentPerDay.c_str()), text(KeyRateKey, ""),
        text(DivisorKey, defaults.divisor.c_str()), text(GraceKey, defaults.graceDays.c_str()) });
}

void storeRule(SettingsStore& settings, const Rule& rule)
{
    const RuleTexts texts = textsOf(rule);
    const auto put = [&settings](const QString& key, const std::string& value) {
        settings.setValue(settings::Main, key, QString::fromStdString(value));
    };
    put(EnabledKey, texts.enabled);
    put(KindKey, texts.kind);
    put(PercentKey, texts.percentPerDay);
    put(KeyRateKey, texts.keyRate);
    put(DivisorKey, texts.divisor);
    put(GraceKey, texts.graceDays);
}

} // namespace penalty

namespace {

const QString Title = QStringLiteral("Пени");

QLineEdit* numberBox(QWidget* parent, const char* name, const QString& text)
{
    auto* box = new QLineEdit(text, parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box->setMaximumWidth(90);
    return box;
}

} // namespace

frmPenalty::frmPenalty(AppState& state, QWidget* parent) : QDialog(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmPenalty"));
    setWindowTitle(state.windowTitle(Title));
    setWindowModality(Qt::WindowModal);
    const penalty::Rule rule = penalty::readRule(state.services.settings);

    m_enabled = new QCheckBox(QStringLiteral("Начислять пени в уведомлениях и претензиях"), this);
    m_enabled->setObjectName(QStringLiteral("ChPenalty"));
    m_enabled->setChecked(rule.enabled);
    m_percentOption = new QRadioButton(QStringLiteral("Процент в день:"), this);
    m_percentOption->setObjectName(QStringLiteral("OptPercent"));
    m_keyRateOption = new QRadioButton(QStringLiteral("Доля ключевой ставки: 1/"), this);
    m_keyRateOption->setObjectName(QStringLiteral("OptKeyRate"));
    (rule.kind == penalty::Rule::Kind::KeyRateShare ? m_keyRateOption : m_percentOption)->setChecked(true);
    m_percent = numberBox(this, "txtPercent", QString::fromStdString(rule.percentPerDay.plainText()));
    m_divisor = numberBox(this, "txtDivisor", QString::number(rule.divisor));
    m_keyRate = numberBox(this, "txtKeyRate",
        rule.keyRate.isZero() ? QString() : QString::fromStdString(rule.keyRate.plainText()));
    m_grace = numberBox(this, "txtGrace", QString::number(rule.graceDays));

    auto* grid = new QGridLayout;
    grid->addWidget(m_percentOption, 0, 0);
    grid->addWidget(m_percent, 0, 1);
    grid->addWidget(
        new QLabel(QStringLiteral("% от суммы долга за каждый день просрочки"), this), 0, 2, 1, 3);
    grid->addWidget(m_keyRateOption, 1, 0);
    grid->addWidget(m_divisor, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("ключевой ставки"), this), 1, 2);
    grid->addWidget(m_keyRate, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("% годовых за день"), this), 1, 4);
    auto* graceCaption = new QLabel(QStringLiteral("Дней отсрочки после конца месяца:"), this);
    graceCaption->setBuddy(m_grace);
    grid->addWidget(graceCaption, 2, 0);
    grid->addWidget(m_grace, 2, 1);
    grid->setColumnStretch(4, 1);

    auto* note = new QLabel(QStringLiteral("Пени считаются по каждому месяцу долга со следующего дня после "
                                           "конца месяца и отсрочки по дату документа. Они печатаются "
                                           "отдельной строкой и в лицевые счета не заносятся."),
        this);
    note->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("ОК"), this);
    ok->setObjectName(QStringLiteral("CmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(ok, &QPushButton::clicked, this, &frmPenalty::CmdOK_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_enabled, &QCheckBox::toggled, this, &frmPenalty::showKind);
    connect(m_percentOption, &QRadioButton::toggled, this, &frmPenalty::showKind);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_enabled);
    layout->addLayout(grid);
    layout->addWidget(note);
    layout->addLayout(buttons);
    setMinimumWidth(620);
    showKind();
}

void frmPenalty::showKind()
{
    const bool on = m_enabled->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{ m_percentOption, m_keyRateOption, m_grace })
        w->setEnabled(on);
    m_percent->setEnabled(on && m_percentOption->isChecked());
    m_divisor->setEnabled(on && m_keyRateOption->isChecked());
    m_keyRate->setEnabled(on && m_keyRateOption->isChecked());
}

bool frmPenalty::refuse(QLineEdit* box, const QString& text)
{
    m_state.services.dialogs.message({ text, Title, MessageIcon::Exclamation });
    box->setFocus();
    box->selectAll();
    return false;
}

void frmPenalty::CmdOK_Click()
{
    penalty::Rule rule = penalty::readRule(m_state.services.settings);
    rule.enabled = m_enabled->isChecked();
    rule.kind = m_keyRateOption->isChecked() ? penalty::Rule::Kind::KeyRateShare
                                             : penalty::Rule::Kind::PercentPerDay;
    // A rule that is off keeps what it had: nothing typed into it is checked then.
    if (rule.enabled) {
        if (rule.kind == penalty::Rule::Kind::PercentPerDay) {
            const auto percent
                = penalty::typedRate(m_percent->text().toStdString(), Currency::fromUnits(100));
            if (!percent) {
                refuse(m_percent, QStringLiteral("Введите процент в день числом больше нуля, например 0,1"));
                return;
            }
            rule.percentPerDay = *percent;
        } else {
            const auto divisor = penalty::typedCount(m_divisor->text().toStdString(), 1, penalty::MaxDivisor);
            if (!divisor) {
                refuse(m_divisor,
                    QStringLiteral("Введите долю ключевой ставки целым числом, например 300 для 1/300"));
                return;
            }
            const auto keyRate
                = penalty::typedRate(m_keyRate->text().toStdString(), Currency::fromUnits(1000));
            if (!keyRate) {
                refuse(m_keyRate, QStringLiteral("Введите ключевую ставку в процентах годовых, например 16"));
                return;
            }
            rule.divisor = *divisor;
            rule.keyRate = *keyRate;
        }
        const auto grace = penalty::typedCount(m_grace->text().toStdString(), 0, penalty::MaxGraceDays);
        if (!grace) {
            refuse(
                m_grace, QStringLiteral("Введите число дней отсрочки от 0 до %1").arg(penalty::MaxGraceDays));
            return;
        }
        rule.graceDays = *grace;
    }
    penalty::storeRule(m_state.services.settings, rule);
    accept();
}
