#include "documents/receipt_batch_window.h"

#include "documents/document_output.h"
#include "documents/payee_settings.h"
#include "documents/payment_qr.h"
#include "documents/receipt_window.h"
#include "platform/dialogs.h"
#include "platform/print_window.h"
#include "platform/qr_code.h"
#include "platform/repeated_texts.h"
#include "platform/settings_store.h"
#include "platform/text_input.h"
#include "session/app_state.h"
#include "session/year_selector.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

using namespace documents;

namespace {

// The layouts are in pixels of a 96 dpi screen, as the paper's own.
constexpr double WindowDpi = 96.0;

QString monthName(int month)
{
    return QString::fromUtf8(fields::MonthNames[std::size_t(month - 1)].data(),
        qsizetype(fields::MonthNames[std::size_t(month - 1)].size()));
}

// A dashed line across the page between the two halves, to cut along.
void drawCutLine(QPainter& painter, const QRectF& paper, double y)
{
    const double unit = painter.device()->logicalDpiX() / WindowDpi;
    QPen pen(QColor(0x80, 0x80, 0x80), unit, Qt::DashLine, Qt::FlatCap);
    painter.save();
    painter.setPen(pen);
    painter.drawLine(QPointF(paper.left() + 24 * unit, y), QPointF(paper.right() - 24 * unit, y));
    painter.restore();
}

} // namespace

ReceiptPages::ReceiptPages(
    std::vector<Receipt> receipts, bool twoCopies, const QString& payBy, PayeeDetails payee)
    : m_receipts(std::move(receipts)),
      m_twoCopies(twoCopies),
      m_payee(std::move(payee)),
      m_paper(std::make_unique<ReceiptPaper>()),
      m_texts(std::make_unique<RepeatedTexts>())
{
    m_paper->payBy(0)->setText(payBy);
    m_paper->setTwoCopies(twoCopies);
    m_paper->setPaperLook(true);
    // The codes in the order the pages show them: the same payloads as the paper's, so that the paper
    // finds each made already.
    std::vector<std::string> payloads;
    payloads.reserve(m_receipts.size());
    for (const Receipt& r : m_receipts)
        payloads.push_back(
            paymentPayload(m_payee, PaymentFacts{ r.values[TotalDue], r.number, r.name, r.month, r.year }));
    m_codes = std::make_unique<QrCodesAhead>(std::move(payloads));
}

ReceiptPages::~ReceiptPages() = default;

int ReceiptPages::pageCount() const
{
    const int n = int(m_receipts.size());
    return m_twoCopies ? n : (n + 1) / 2;
}

void ReceiptPages::draw(QPainter& painter, const QRectF& paper, int page)
{
    if (m_twoCopies) {
        m_paper->showReceipt(m_receipts[std::size_t(page)], m_payee);
        paintWindow(painter, paper, m_paper.get(), nullptr, m_texts.get());
        return;
    }
    // The two receipts' codes go onto the page after both receipts (see PageCodes).
    PageCodes codes;
    const double half = paper.height() / 2;
    for (int i = 0; i < 2; ++i) {
        const std::size_t n = std::size_t(2 * page + i);
        if (n >= m_receipts.size())
            break;
        if (i == 1)
            drawCutLine(painter, paper, paper.top() + half);
        m_paper->showReceipt(m_receipts[n], m_payee);
        paintWindow(painter, QRectF(paper.left(), paper.top() + i * half, paper.width(), half), m_paper.get(),
            &codes, m_texts.get());
    }
    codes.paint(painter);
}

frmKvitAll::frmKvitAll(AppState& state, QWidget& owner, const QString& year, int month)
    : QDialog(&owner), m_state(state)
{
    setObjectName(QStringLiteral("frmKvitAll"));
    setWindowTitle(QStringLiteral("Квитанции всем абонентам"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The main window takes no input while this is open.
    setWindowModality(Qt::WindowModal);

    m_year = new QComboBox(this);
    m_year->setObjectName(QStringLiteral("CmbYear"));
    addHeldYears(*m_year, m_state.table.years());
    m_year->setCurrentIndex(qMax(0, m_year->findText(year)));
    m_month = new QComboBox(this);
    m_month->setObjectName(QStringLiteral("CmbMonth"));
    for (int m = 1; m <= 12; ++m)
        m_month->addItem(monthName(m));
    m_month->setCurrentIndex(month >= 1 && month <= 12 ? month - 1 : 0);

    SettingsStore& store = m_state.services.settings;
    m_chDue = new QCheckBox(QStringLiteral("Только с суммой к оплате"), this);
    m_chDue->setObjectName(QStringLiteral("ChDue"));
    m_chDue->setChecked(true);
    m_ch1 = new QCheckBox(QStringLiteral("2 экземпляра"), this);
    m_ch1->setObjectName(QStringLiteral("Ch1"));
    m_ch1->setChecked(
        store.value(settings::Main, QStringLiteral("Ch100"), QStringLiteral("0")).trimmed().toInt() == 1);
    m_txtOPL = new QLineEdit(this);
    m_txtOPL->setObjectName(QStringLiteral("txtOPL"));
    acceptOnlyStorableText(m_txtOPL);
    m_txtOPL->setText(store.value(settings::Main, QStringLiteral("txtOPL")));

    m_cmdPdf = new QPushButton(QStringLiteral("В PDF"), this);
    m_cmdPdf->setObjectName(QStringLiteral("CmdPdf"));
    m_cmdPdf->setDefault(true);
    m_cmdPrint = new QPushButton(QStringLiteral("Печать"), this);
    m_cmdPrint->setObjectName(QStringLiteral("CmdPrint"));
    m_cmdCancel = new QPushButton(QStringLiteral("Отмена"), this);
    m_cmdCancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(m_cmdPdf, &QPushButton::clicked, this, &frmKvitAll::CmdPdf_Click);
    connect(m_cmdPrint, &QPushButton::clicked, this, &frmKvitAll::CmdPrint_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Год:"), m_year);
    form->addRow(QStringLiteral("Месяц:"), m_month);
    form->addRow(QString(), m_chDue);
    form->addRow(QString(), m_ch1);
    form->addRow(QStringLiteral("Оплата до "), m_txtOPL);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cmdPdf);
    buttons->addWidget(m_cmdPrint);
    buttons->addWidget(m_cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    setTabOrder(m_year, m_month);
    setTabOrder(m_month, m_chDue);
    setTabOrder(m_chDue, m_ch1);
    setTabOrder(m_ch1, m_txtOPL);
    setTabOrder(m_txtOPL, m_cmdPdf);
    setTabOrder(m_cmdPdf, m_cmdPrint);
    setTabOrder(m_cmdPrint, m_cmdCancel);
}

void frmKvitAll::storeChoices()
{
    SettingsStore& store = m_state.services.settings;
    store.setValue(settings::Main, QStringLiteral("txtOPL"), m_txtOPL->text());
    store.setValue(settings::Main, QStringLiteral("Ch100"),
        m_ch1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

std::unique_ptr<ReceiptPages> frmKvitAll::pages()
{
    const int month = m_month->currentIndex() + 1;
    const QString year = m_year->currentText();
    std::optional<std::vector<Receipt>> receipts;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        receipts = monthReceipts(m_state.table, year.toStdString(), month, m_chDue->isChecked());
        QApplication::restoreOverrideCursor();
    }
    if (!receipts || receipts->empty()) {
        m_state.services.dialogs.message(
            { m_chDue->isChecked() ? QStringLiteral("За %1 %2 ни у одного абонента нет суммы к оплате.")
                                         .arg(monthName(month), year)
                                   : QStringLiteral("В базе нет абонентов."),
                QStringLiteral("Квитанции"), MessageIcon::Information, MessageButtons::Ok, Answer::Ok });
        return nullptr;
    }
    return std::make_unique<ReceiptPages>(
        std::move(*receipts), m_ch1->isChecked(), m_txtOPL->text(), readPayee(m_state.services.settings));
}

PrintJob frmKvitAll::job(ReceiptPages& layout) const
{
    const int month = m_month->currentIndex() + 1;
    return PrintJob{ PageOrientation::Portrait, layout.pageCount(),
        [&layout](QPainter& painter, const QRectF& paper, int page) {
            layout.draw(painter, paper, page);
            return true;
        },
        pdfFileName({ QStringLiteral("Квитанции"), monthName(month), m_year->currentText() }),
        QStringLiteral("Квитанции за %1 %2…").arg(monthName(month).toLower(), m_year->currentText()) };
}

void frmKvitAll::CmdPdf_Click()
{
    storeChoices();
    if (std::unique_ptr<ReceiptPages> layout = pages(); layout && savePdfDocument(m_state, job(*layout)))
        accept();
}

void frmKvitAll::CmdPrint_Click()
{
    storeChoices();
    if (std::unique_ptr<ReceiptPages> layout = pages(); layout && printDocument(m_state, job(*layout)))
        accept();
}
