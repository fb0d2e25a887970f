#include "app/payee_window.h"

#include "documents/payee_settings.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct Field
{
    const char* objectName;
    const char* caption;
    int digits; // the width of the box in digits; 0 for a text
};

constexpr std::array<Field, 8> Fields = { {
    { "txtName", "Наименование получателя", 0 },
    { "txtAcc", "Расчетный счет", 20 },
    { "txtBank", "Наименование банка", 0 },
    { "txtBIC", "БИК", 9 },
    { "txtKS", "Корреспондентский счет", 20 },
    { "txtINN", "ИНН", 12 },
    { "txtKPP", "КПП", 9 },
    { "txtNazn", "Назначение платежа", 0 },
} };

} // namespace

frmRekv::frmRekv(AppState& state, QWidget* mainWindow) : QDialog(mainWindow), m_state(state)
{
    setObjectName(QStringLiteral("frmRekv"));
    setWindowTitle(QStringLiteral("Реквизиты получателя платежа"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window takes no input while this is open.
    setWindowModality(Qt::WindowModal);

    auto* grid = new QGridLayout;
    const QFontMetrics metrics(font());
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        m_captions[i] = QString::fromUtf8(Fields[i].caption);
        auto* box = new QLineEdit(this);
        box->setObjectName(QString::fromLatin1(Fields[i].objectName));
        auto* caption = new QLabel(m_captions[i], this);
        caption->setBuddy(box);
        if (Fields[i].digits > 0) {
            // Room for the digits and a few blanks typed between groups of them.
            box->setFixedWidth(
                metrics.horizontalAdvance(QString(Fields[i].digits + 3, QLatin1Char('0'))) + 16);
            grid->addWidget(box, int(i), 1, Qt::AlignLeft);
        } else {
            box->setMinimumWidth(metrics.horizontalAdvance(QLatin1Char('x')) * 56);
            grid->addWidget(box, int(i), 1);
        }
        grid->addWidget(caption, int(i), 0);
        m_boxes[i] = box;
    }
    txtName = m_boxes[0];
    txtAcc = m_boxes[1];
    txtBank = m_boxes[2];
    txtBIC = m_boxes[3];
    txtKS = m_boxes[4];
    txtINN = m_boxes[5];
    txtKPP = m_boxes[6];
    txtNazn = m_boxes[7];

    auto* hint = new QLabel(QStringLiteral("В назначении платежа {месяц}, {год}, {ФИО} и {номер} заменяются "
                                           "месяцем, годом, Ф. И. О. абонента и номером его лицевого счета."),
        this);
    hint->setObjectName(QStringLiteral("lblHint"));
    hint->setWordWrap(true);
    grid->addWidget(hint, int(Fields.size()), 1);

    m_fault = new QLabel(this);
    m_fault->setObjectName(QStringLiteral("lblFault"));
    m_fault->setWordWrap(true);
    m_fault->setStyleSheet(QStringLiteral("color: #b00000;"));
    m_fault->hide();

    auto* ok = new QPushButton(QStringLiteral("Ok"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &frmRekv::CmdOk_Click);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* clear = new QPushButton(QStringLiteral("Удалить реквизиты"), this);
    clear->setObjectName(QStringLiteral("CmdClear"));
    connect(clear, &QPushButton::clicked, this, &frmRekv::CmdClear_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    // Set apart from the two that keep or leave the details.
    buttons->addSpacing(24);
    buttons->addWidget(clear);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(m_fault);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    for (std::size_t i = 1; i < m_boxes.size(); ++i)
        setTabOrder(m_boxes[i - 1], m_boxes[i]);
    setTabOrder(m_boxes.back(), ok);
    setTabOrder(ok, cancel);
    setTabOrder(cancel, clear);

    const documents::PayeeDetails stored = documents::readPayee(m_state.services.settings);
    showDetails(stored);
    txtName->setFocus();
    // Details edited by hand in the settings file: the receipts go without their code until the
    // fault is mended here.
    if (!documents::payeeBlank(stored)) {
        if (const std::optional<std::string> fault = documents::payeeFault(stored)) {
            m_fault->setText(
                QStringLiteral("Квитанции печатаются без QR-кода. %1").arg(QString::fromStdString(*fault)));
            m_fault->show();
            focusFieldOf(QString::fromStdString(*fault));
        }
    }
}

void frmRekv::focusFieldOf(const QString& fault)
{
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        if (fault.startsWith(m_captions[i] + QLatin1Char(':'))) {
            m_boxes[i]->setFocus();
            m_boxes[i]->selectAll();
            return;
        }
    }
}

void frmRekv::showDetails(const documents::PayeeDetails& d)
{
    const std::array<const std::string*, 8> values
        = { &d.name, &d.personalAcc, &d.bankName, &d.bic, &d.correspAcc, &d.payeeInn, &d.kpp, &d.purpose };
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        m_boxes[i]->setText(QString::fromStdString(*values[i]));
}

documents::PayeeDetails frmRekv::typed()
{
    std::array<std::string, 8> v;
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        v[i] = m_boxes[i]->text().toStdString();
    return documents::cleanedPayee({ v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7] });
}

void frmRekv::CmdOk_Click()
{
    const documents::PayeeDetails details = typed();
    if (const std::optional<std::string> fault = documents::payeeFault(details)) {
        const QString message = QString::fromStdString(*fault);
        m_state.services.dialogs.error(message, QStringLiteral("Ошибка ввода"));
        focusFieldOf(message);
        return;
    }
    showDetails(details);
    documents::storePayee(m_state.services.settings, details);
    m_state.services.settings.sync();
    accept();
}

void frmRekv::CmdClear_Click()
{
    if (!m_state.services.dialogs.askYesNo(QStringLiteral("Удалить реквизиты получателя платежа? Квитанции "
                                                          "будут печататься без QR-кода и без реквизитов."),
            QStringLiteral("Удаление реквизитов"), MessageIcon::Question))
        return;
    documents::storePayee(m_state.services.settings, documents::PayeeDetails{});
    m_state.services.settings.sync();
    accept();
}
