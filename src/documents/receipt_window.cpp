#include "documents/receipt_window.h"

#include "documents/document_output.h"
#include "documents/page_widgets.h"
#include "documents/payee_settings.h"
#include "documents/payee_text.h"
#include "documents/payment_qr.h"
#include "documents/sheets.h"
#include "documents/statement_page.h"
#include "platform/dialogs.h"
#include "platform/qr_code.h"
#include "platform/qr_code_view.h"
#include "platform/settings_store.h"
#include "platform/text_input.h"
#include "session/app_state.h"
#include "sheet/sheet_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace documents;

namespace {

constexpr int PageWidth = 11100;
constexpr int HeightOneCopy = 9000;
constexpr int HeightTwoCopies = 16825;
constexpr int SecondCopyShift = 7800;

constexpr int CaptionLeft = 1680;
constexpr int CaptionWidth = 7200;
constexpr int NoteLeft = 6300; // loss percentage, tariff, network-service percentage
constexpr int ValueLeft = 9000;
constexpr int ValueWidth = 1125;
constexpr int LineHeight = 300;
constexpr int LineSpacing = 420;
constexpr int FirstLineTop = 840;
constexpr int PayByTop = 7260;
// The cut line runs midway between the first copy's last line and the second copy's heading.
constexpr int CutLineTop = 7920;
// The box around lines 1 … 14 and the rule between captions and amounts.
constexpr int BoxLeft = 1560;
constexpr int BoxRight = 10245;
constexpr int BoxTop = 780;
constexpr int ValueRule = 8940;
// The payment code, 30 mm square, at the right of the box, and the line under it.
constexpr int QrLeft = BoxRight + 120;
constexpr int QrSide = 1701;
constexpr int QrHintTop = BoxTop + QrSide + 60;
constexpr int QrHintHeight = 660;
constexpr int WidthWithQr = QrLeft + QrSide + 90;
// The payee's details in a column under the code (or in its place): a little wider than the code,
// which still fits the paper, and down to the pay-by line.
constexpr int PayeeWidth = 2200;
constexpr int PayeeTopWithQr = QrHintTop + QrHintHeight;
constexpr int PayeeBottom = PayByTop + 330;
constexpr int WidthWithPayee = QrLeft + PayeeWidth + 90;
// The heading: the month and the name, and under them the personal account and the plot.
constexpr int HeadingTop = 300;
constexpr int HeadingHeight = 270;
constexpr int AccountTop = 560;
constexpr int AccountHeight = 220;

int lineTop(int line)
{
    return FirstLineTop + LineSpacing * (line - 1);
}

// A line of the receipt: its caption pieces (caption labels of the first copy, side by side), its
// amount and how it is set.
struct ReceiptLine
{
    int line;
    std::array<int, 3> captions; // -1: no piece
    int value;
    bool bold;
};

const std::array<const char*, 21> CaptionTexts = {
    "Показания счетчика на конец месяца, кВт*Ч",
    "Показания счетчика на начало месяца, кВт*Ч",
    "Итого , кВт*Ч",
    "Уличное освещение, кВт*Ч",
    "Потери в трансформаторе, кВт*Ч",
    "Всего, кВт*Ч",
    "Оплата, Руб",
    "Обслуживание эл. сетей, Руб",
    "ИТОГО по электроэнергии, Руб",
    "Зарплата электрику, Руб",
    "Прочие начисления, Руб",
    "За предыдущие месяцы",
    " переплата",
    ", Руб",
    "Примечание: предоплата в МОСЭНЕРГОСБЫТе на данный месяц составляет:",
    "Руб",
    "Оплата до ",
    "За предыдущие месяцы",
    "недоплата",
    ", Руб",
    "ИТОГО  К ОПЛАТЕ, Руб",
};

const std::array<ReceiptLine, 15> Lines = { {
    { 1, { 0, -1, -1 }, CurrentReading, false },
    { 2, { 1, -1, -1 }, StartReading, false },
    { 3, { 2, -1, -1 }, Consumption, false },
    { 4, { 3, -1, -1 }, StreetLighting, false },
    { 5, { 4, -1, -1 }, Losses, false },
    { 6, { 5, -1, -1 }, EnergyToPay, false },
    { 7, { 6, -1, -1 }, EnergyMoney, false },
    { 8, { 7, -1, -1 }, ServiceMoney, false },
    { 9, { 8, -1, -1 }, EnergyTotal, false },
    { 10, { 9, -1, -1 }, ElectricianPay, false },
    { 11, { 10, -1, -1 }, OtherCharges, false },
    { 12, { 11, 12, 13 }, StartOverpayment, false },
    { 13, { 17, 18, 19 }, StartUnderpayment, false },
    { 14, { 20, -1, -1 }, TotalDue, true },
    { 15, { 14, -1, -1 }, Prepayment, false },
} };

// The second copy's caption labels: second[i] repeats caption i of the first copy.
constexpr std::array<int, 21> SecondCopyCaption
    = { 21, 22, 23, 24, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 26, 27, 25, 38, 39, 40, 41 };
constexpr int PayByCaption = 16;
constexpr int TotalCaption = 20;
constexpr std::array<int, 2> NoteCaptions = { 14, 15 };
// Groups of lines are set apart by a rule under their last line.
constexpr std::array<int, 5> GroupEnds = { 3, 6, 9, 11, 13 };

// "л/с 17, участок: ул. Садовая, 5": whose account this is, as the treasurer books it.
QString accountLine(const Receipt& receipt)
{
    if (receipt.number.empty())
        return QString();
    QString line = QStringLiteral("л/с ") + QString::fromStdString(receipt.number);
    if (receipt.address.find_first_not_of(' ') != std::string::npos)
        line += QStringLiteral(", участок: ") + QString::fromStdString(receipt.address);
    return line;
}

// Long details (a long name, a long purpose) take a smaller type rather than run past the column.
void fitPayeeText(QLabel* label, WrappedTextHeights& heights)
{
    for (double size = 7; size >= 5; size -= 0.5) {
        label->setFont(pageFont(size));
        if (heights.height(label->font(), label->width(), label->text()) <= label->height())
            return;
    }
}

} // namespace

ReceiptPaper::ReceiptPaper(QWidget* parent) : PreviewPage(parent)
{
    makePaper(this, PageWidth, HeightOneCopy);
    buildCopy(0);
    buildCopy(1);
    m_cutLine = pageRule(
        this, QStringLiteral("Line5"), QPoint(0, px(CutLineTop)), QPoint(px(PageWidth) - 1, px(CutLineTop)));
    m_secondCopy.append(m_cutLine);
    connect(m_txtOPL[0], &QLineEdit::textChanged, m_txtOPL[1], &QLineEdit::setText);
    setTwoCopies(false);
}

QString ReceiptPaper::frameCaption() const
{
    return QStringLiteral("Квитанция");
}

frmKvit::frmKvit(AppState& state, const ShownSheet& shown, MDIfrmPrint& frame)
    : ReceiptPaper(&frame),
      m_state(state),
      m_sheet(shown.view),
      m_subscriber(shown.subscriber),
      m_frame(frame)
{
    setObjectName(QStringLiteral("frmKvit"));
    m_ch1 = new QCheckBox(QStringLiteral("2 экземпляра"), this);
    m_ch1->setObjectName(QStringLiteral("Ch1"));
    m_ch1->setGeometry(px(6300), px(7290), px(2100), px(360));
    connect(m_ch1, &QCheckBox::toggled, this, &frmKvit::COPIREN);
    m_command1 = new QPushButton(QStringLiteral("Печать "), this);
    m_command1->setObjectName(QStringLiteral("Command1"));
    m_command1->setGeometry(px(8700), px(7230), px(1545), px(420));
    connect(m_command1, &QPushButton::clicked, this, &frmKvit::Command1_Click);

    setTabOrder(payBy(0), m_ch1);
    setTabOrder(m_ch1, m_command1);
}

void ReceiptPaper::buildCopy(int copy)
{
    const int dy = copy * SecondCopyShift;
    QList<QWidget*> made;
    const auto keep = [&](QWidget* w) {
        made.append(w);
        return w;
    };
    const auto captionIndex
        = [copy](int first) { return copy == 0 ? first : SecondCopyCaption[std::size_t(first)]; };
    const auto valueIndex
        = [copy](int first) { return copy == 0 ? first : SecondCopyValue[std::size_t(first)]; };
    const QString suffix = QStringLiteral("_%1").arg(copy);

    m_date[copy] = pageLabel(this, QStringLiteral("LblDate") + suffix, QString(),
        QRect(1920, HeadingTop + dy, 3600, HeadingHeight), Qt::AlignLeft | Qt::AlignVCenter, true);
    m_name[copy] = pageLabel(this, QStringLiteral("lblFio") + suffix, QString(),
        QRect(5640, HeadingTop + dy, 4605, HeadingHeight), Qt::AlignLeft | Qt::AlignVCenter, true);
    m_account[copy] = pageLabel(this, QStringLiteral("lblLS") + suffix, QString(),
        QRect(5640, AccountTop + dy, 4605, AccountHeight), Qt::AlignLeft | Qt::AlignVCenter);
    m_account[copy]->setFont(pageFont(8));
    keep(m_date[copy]);
    keep(m_name[copy]);
    keep(m_account[copy]);

    for (const ReceiptLine& line : Lines) {
        const int top = lineTop(line.line) + dy;
        int left = CaptionLeft;
        for (int piece : line.captions) {
            if (piece < 0)
                continue;
            const QString text = QString::fromUtf8(CaptionTexts[std::size_t(piece)]);
            // The balance lines name the overpayment and the underpayment in bold.
            const bool strong = line.bold || piece == 12 || piece == 18;
            const int index = captionIndex(piece);
            QLabel* label = pageLabel(this, QStringLiteral("lbl_%1").arg(index), text,
                QRect(left, top, CaptionWidth, LineHeight), Qt::AlignLeft | Qt::AlignVCenter, strong);
            const int advance = QFontMetrics(label->font()).horizontalAdvance(text) * 15;
            label->resize(px(advance) + 2, label->height());
            // "недоплата" has no blank of its own in front.
            left += advance + (piece == 17 ? QFontMetrics(label->font()).horizontalAdvance(' ') * 15 : 0);
            m_captions[std::size_t(index)] = label;
            keep(label);
        }
        const int index = valueIndex(line.value);
        const bool strongValue = line.bold || line.value == EnergyTotal;
        m_values[std::size_t(index)] = pageLabel(this, QStringLiteral("lbl1_%1").arg(index), QString(),
            QRect(ValueLeft, top, ValueWidth, LineHeight), Qt::AlignRight | Qt::AlignVCenter, strongValue);
        keep(m_values[std::size_t(index)]);
    }
    // "Руб" after the prepayment, which stands outside the box.
    const int rub = captionIndex(15);
    m_captions[std::size_t(rub)]
        = pageLabel(this, QStringLiteral("lbl_%1").arg(rub), QString::fromUtf8(CaptionTexts[15]),
            QRect(ValueLeft + ValueWidth + 60, lineTop(15) + dy, 600, LineHeight));
    keep(m_captions[std::size_t(rub)]);

    const auto note = [&](const QString& name, int line) {
        return pageLabel(
            this, name + suffix, QString(), QRect(NoteLeft, lineTop(line) + dy, 2500, LineHeight));
    };
    m_losses[copy] = note(QStringLiteral("lblPot"), 5);
    m_tariff[copy] = note(QStringLiteral("lblTar"), 7);
    m_service[copy] = note(QStringLiteral("lblSB"), 8);
    keep(m_losses[copy]);
    keep(m_tariff[copy]);
    keep(m_service[copy]);

    const int payBy = captionIndex(PayByCaption);
    QLabel* payByCaption = pageLabel(this, QStringLiteral("lbl_%1").arg(payBy),
        QString::fromUtf8(CaptionTexts[16]), QRect(CaptionLeft, PayByTop + dy, 1100, 330));
    payByCaption->resize(QFontMetrics(payByCaption->font()).horizontalAdvance(payByCaption->text()) + 2,
        payByCaption->height());
    m_captions[std::size_t(payBy)] = payByCaption;
    keep(payByCaption);
    auto* box = new QLineEdit(this);
    box->setObjectName(QStringLiteral("txtOPL_%1").arg(copy));
    box->setGeometry(
        payByCaption->x() + payByCaption->width() + 4, px(PayByTop + dy) - 2, px(2400), px(360) + 2);
    acceptOnlyStorableText(box);
    if (copy == 1) {
        // The second copy's date follows the first's.
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
    }
    m_txtOPL[copy] = box;
    keep(box);

    // Line1: the box around the lines; Line2: the rule before the amounts and under each group.
    const int boxBottom = lineTop(14) + LineHeight + 60;
    const auto rule = [&](const QString& name, int index, int x1, int y1, int x2, int y2) {
        keep(pageRule(this, QStringLiteral("%1_%2").arg(name).arg(index), QPoint(px(x1), px(y1 + dy)),
            QPoint(px(x2), px(y2 + dy))));
    };
    const int line1 = copy * 4;
    rule(QStringLiteral("Line1"), line1, BoxLeft, BoxTop, BoxRight, BoxTop);
    rule(QStringLiteral("Line1"), line1 + 1, BoxLeft, boxBottom, BoxRight, boxBottom);
    rule(QStringLiteral("Line1"), line1 + 2, BoxLeft, BoxTop, BoxLeft, boxBottom);
    rule(QStringLiteral("Line1"), line1 + 3, BoxRight, BoxTop, BoxRight, boxBottom);
    const int line2 = copy * 17;
    rule(QStringLiteral("Line2"), line2, ValueRule, BoxTop, ValueRule, boxBottom);
    for (int i = 0; i < int(GroupEnds.size()); ++i) {
        const int y = lineTop(GroupEnds[std::size_t(i)]) + 360;
        rule(QStringLiteral("Line2"), line2 + 1 + i, BoxLeft, y, BoxRight, y);
    }

    m_qr[copy] = new QrCodeView(this);
    m_qr[copy]->setObjectName(QStringLiteral("QrCode_%1").arg(copy));
    m_qr[copy]->setGeometry(px(QrLeft), px(BoxTop + dy), px(QrSide), px(QrSide));
    m_qrHint[copy] = pageLabel(this, QStringLiteral("lblQr_%1").arg(copy),
        QStringLiteral("Отсканируйте QR-код в приложении банка для оплаты"),
        QRect(QrLeft, QrHintTop + dy, QrSide, QrHintHeight), Qt::AlignHCenter | Qt::AlignTop);
    m_qrHint[copy]->setFont(pageFont(7));
    m_qrHint[copy]->setWordWrap(true);
    m_payeeText[copy] = pageLabel(this, QStringLiteral("lblPayee_%1").arg(copy), QString(),
        QRect(QrLeft, PayeeTopWithQr + dy, PayeeWidth, PayeeBottom - PayeeTopWithQr),
        Qt::AlignLeft | Qt::AlignTop);
    m_payeeText[copy]->setFont(pageFont(7));
    m_payeeText[copy]->setWordWrap(true);

    if (copy == 1) {
        for (QWidget* w : made) {
            if (w == m_captions[std::size_t(SecondCopyCaption[NoteCaptions[0]])]
                || w == m_captions[std::size_t(SecondCopyCaption[NoteCaptions[1]])]
                || w == m_values[std::size_t(SecondCopyValue[Prepayment])])
                m_secondNote.append(w);
            else
                m_secondCopy.append(w);
        }
    }
}

void frmKvit::Form_Load()
{
    m_state.PreviewMode = 3;
    m_frame.hideToolbar();
    m_state.ReportMonth = reportMonthNumber(m_state.ReportMonth);
    SettingsStore& store = m_state.services.settings;
    payBy(0)->setText(store.value(settings::Main, QStringLiteral("txtOPL")));
    m_ch1->setChecked(
        store.value(settings::Main, QStringLiteral("Ch100"), QStringLiteral("0")).trimmed().toInt() == 1);

    const int m = m_state.ReportMonth;
    std::optional<MonthCells> cells;
    if (m >= 1 && m <= 12) {
        cells.emplace();
        for (int b = 0; b < 9; ++b)
            cells->typed[std::size_t(b)] = m_sheet.typed(m, b)->text().toStdString();
        for (int c = 0; c < 8; ++c)
            cells->computed[std::size_t(c)] = m_sheet.computed(m, c)->text().toStdString();
    }
    const ReceiptRequest request{ m_state.ReportYear.toStdString(), m_state.ReportMonthName.toStdString(), m,
        m_subscriber.toStdString() };
    m_receipt = makeReceipt(m_state.table, request, cells);
    m_state.LedgerBase = m_receipt.ledgerBase;
    showReceipt(m_receipt, readPayee(m_state.services.settings));

    Dialogs& dialogs = m_state.services.dialogs;
    if (m_receipt.currentReadingMissing)
        dialogs.error(QStringLiteral("Поле (показания счетчика на конец месяца) не заполнено!"),
            QStringLiteral("Ошибка ввода"));
    if (m_receipt.startReadingMissing)
        dialogs.error(QStringLiteral("Поле (показания счетчика на начало месяца) не заполнено!"),
            QStringLiteral("Ошибка ввода"));
    COPIREN();
}

void ReceiptPaper::showReceipt(const Receipt& receipt, const PayeeDetails& payee)
{
    const std::string payload = paymentPayload(payee,
        PaymentFacts{ receipt.values[TotalDue], receipt.number, receipt.name, receipt.month, receipt.year });
    const std::optional<QrCode> code = payload.empty() ? std::nullopt : encodeQr(payload);
    m_hasCode = code.has_value();
    for (QrCodeView* view : m_qr)
        view->setCode(code);
    const std::vector<std::string> payeeLines = payeeTextLines(documents::payeeLines(payee,
        PaymentFacts{ receipt.values[TotalDue], receipt.number, receipt.name, receipt.month, receipt.year }));
    m_hasPayeeText = !payeeLines.empty();
    QStringList payeeText;
    for (const std::string& line : payeeLines)
        payeeText << QString::fromStdString(line);
    const int payeeTop = m_hasCode ? PayeeTopWithQr : BoxTop;
    const QString joined = payeeText.join(QLatin1Char('\n'));
    for (int copy = 0; copy < 2; ++copy) {
        QLabel* label = m_payeeText[std::size_t(copy)];
        label->setGeometry(
            px(QrLeft), px(payeeTop + copy * SecondCopyShift), px(PayeeWidth), px(PayeeBottom - payeeTop));
        label->setText(joined);
    }
    // Both copies alike: the type is found once, and only when the text has room to run over.
    if (m_hasPayeeText) {
        fitPayeeText(m_payeeText[0], m_payeeHeights);
        m_payeeText[1]->setFont(m_payeeText[0]->font());
    }
    setFixedWidth(px(m_hasPayeeText ? WidthWithPayee : m_hasCode ? WidthWithQr : PageWidth));
    // The cut line runs across the page; beside a code it starts nearer the box, so that the page
    // still fits the paper at its full size.
    const int cutLeft = m_hasCode ? px(BoxLeft) - 24 : 0;
    m_cutLine->setGeometry(cutLeft, m_cutLine->y(), width() - cutLeft, m_cutLine->height());
    showCodes();

    const auto text = [](const std::string& s) { return QString::fromStdString(s); };
    for (int copy = 0; copy < 2; ++copy) {
        m_date[copy]->setText(text(receipt.date));
        m_name[copy]->setText(text(receipt.name));
        m_account[copy]->setText(accountLine(receipt));
        m_losses[copy]->setText(text(receipt.lossesPercent));
        m_tariff[copy]->setText(text(receipt.tariff));
        m_service[copy]->setText(text(receipt.servicePercent));
    }
    for (int i = 0; i < ReceiptValueCount; ++i) {
        const std::string& value = i == TotalDue ? receipt.totalText : receipt.values[std::size_t(i)];
        m_values[std::size_t(i)]->setText(text(value));
        m_values[std::size_t(SecondCopyValue[std::size_t(i)])]->setText(text(value));
    }
    // The last line says an overpayment in words of its own rather than as a total below zero; the
    // captions are sized again only when the words change.
    const QString total
        = text(receipt.totalCaption.empty() ? CaptionTexts[TotalCaption] : receipt.totalCaption);
    if (total != m_totalCaption) {
        m_totalCaption = total;
        for (int index : { TotalCaption, SecondCopyCaption[TotalCaption] }) {
            QLabel* caption = m_captions[std::size_t(index)];
            caption->setText(total);
            caption->resize(QFontMetrics(caption->font()).horizontalAdvance(total) + 2, caption->height());
        }
    }
}

void ReceiptPaper::setTwoCopies(bool two)
{
    m_twoCopies = two;
    setFixedHeight(px(two ? HeightTwoCopies : HeightOneCopy));
    for (QWidget* w : m_secondCopy)
        w->setVisible(two);
    for (QWidget* w : m_secondNote)
        w->hide();
    showCodes();
}

void ReceiptPaper::showCodes()
{
    for (int copy = 0; copy < 2; ++copy) {
        const bool shown = m_hasCode && (copy == 0 || m_twoCopies);
        m_qr[std::size_t(copy)]->setVisible(shown);
        m_qrHint[std::size_t(copy)]->setVisible(shown);
        m_payeeText[std::size_t(copy)]->setVisible(m_hasPayeeText && (copy == 0 || m_twoCopies));
    }
}

void ReceiptPaper::setPaperLook(bool on)
{
    for (QLineEdit* box : m_txtOPL)
        box->setFrame(!on);
    const bool payByShown = !on || !m_txtOPL[0]->text().isEmpty();
    m_captions[PayByCaption]->setVisible(payByShown);
    m_captions[std::size_t(SecondCopyCaption[PayByCaption])]->setVisible(payByShown && m_twoCopies);
}

void frmKvit::COPIREN()
{
    setTwoCopies(m_ch1->isChecked());
}

void frmKvit::printLook(bool on)
{
    m_command1->setVisible(!on);
    m_ch1->setVisible(!on);
    setPaperLook(on);
}

void frmKvit::Command1_Click()
{
    printLook(true);
    COPIREN();
    const bool printed = PrintWindowImage(this, PageOrientation::Portrait, m_state,
        pdfFileName(
            { QStringLiteral("Квитанция"), m_subscriber, m_state.ReportMonthName, m_state.ReportYear }));
    if (!printed) {
        // Nothing went to paper: the receipt stays open as it was, to be printed again.
        printLook(false);
        COPIREN();
        return;
    }
    m_frame.close();
    m_state.ReportMonth = 0;
}

void frmKvit::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_state.PreviewMode = 0;
    m_state.ReportMonthName.clear();
    m_state.ReportYear.clear();
    SettingsStore& store = m_state.services.settings;
    store.setValue(settings::Main, QStringLiteral("txtOPL"), payBy(0)->text());
    store.setValue(settings::Main, QStringLiteral("Ch100"),
        m_ch1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}

MDIfrmPrint* receiptFrame(AppState& state, const ShownSheet& shown)
{
    state.ReportYear = shown.year;
    auto* frame = new MDIfrmPrint(state);
    auto* receipt = new frmKvit(state, shown, *frame);
    receipt->Form_Load();
    frame->setPage(receipt);
    return frame;
}

MDIfrmPrint* statementFrame(AppState& state, const ShownSheet& shown)
{
    state.ReportYear = shown.year;
    auto* frame = new MDIfrmPrint(state);
    auto* statement = new frmPrint2(state, frame);
    statement->Form_Load();
    frame->setPage(statement);
    return frame;
}
