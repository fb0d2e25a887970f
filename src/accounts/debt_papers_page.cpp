#include "accounts/debt_papers_page.h"

#include "accounts/claims_register.h"
#include "documents/amount_words.h"
#include "documents/document_output.h"
#include "documents/page_widgets.h"
#include "documents/payee_text.h"
#include "platform/hidden_while_open.h"
#include "platform/dialogs.h"
#include "platform/qr_code.h"
#include "platform/qr_code_view.h"
#include "session/app_state.h"

#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>

using namespace documents;

namespace {

// A portrait sheet as the statement's, in pixels: a wider margin on the left for the binder.
constexpr int PageWidth = 12000; // twips
constexpr int PageHeight = 16400;
constexpr int Left = 80;
constexpr int Width = 800 - Left - 56;
constexpr int Top = 48;
constexpr int RowHeight = 20;
constexpr int QrSide = 130;
// The months a sheet lists; older ones go together into the first line.
constexpr std::size_t MostMonths = 12;
const QString RegisterTitle = QStringLiteral("Реестр претензий");

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

QString rub(Currency amount)
{
    return fromStd(amountText(amount)) + QStringLiteral(" р.");
}

QString dateOf(penalty::Date date)
{
    return fromStd(penalty::dateText(date));
}

QString monthEnd(const DebtPaper& paper)
{
    return dateOf(penalty::lastDayOf({ paper.month.year, paper.month.month }));
}

// An amount is never parted at a line's end: "2 760,81 р." keeps its blanks unbreakable.
QString keptTogether(const QString& text)
{
    QString result = text;
    for (qsizetype i = 1; i + 1 < result.size(); ++i) {
        if (result[i] != QLatin1Char(' ') || !result[i - 1].isDigit())
            continue;
        const QChar next = result[i + 1];
        if (next.isDigit()
            || (next == QChar(0x0440) && i + 2 < result.size() && result[i + 2] == QLatin1Char('.')))
            result[i] = QChar(0x00A0);
    }
    return result;
}

bool withPenalties(const DebtPaper& paper)
{
    return paper.rule.enabled;
}

} // namespace

frmDebtPapers::frmDebtPapers(AppState& state, Kind kind, std::vector<DebtPaper> papers,
    std::vector<int> numbers, PayeeDetails payee, penalty::Date payBy, QString claimText, QWidget* parent)
    : SheetsPage(state, parent),
      m_kind(kind),
      m_papers(std::move(papers)),
      m_numbers(std::move(numbers)),
      m_registered(m_papers.size(), false),
      m_payee(std::move(payee)),
      m_payBy(payBy),
      m_claimText(std::move(claimText))
{
    setObjectName(kind == Kind::Notice ? QStringLiteral("frmNotices") : QStringLiteral("frmClaims"));
    makePaper(this, PageWidth, PageHeight);
    m_numbers.resize(m_papers.size(), 0);
    showSheet(1);
}

QString frmDebtPapers::frameCaption() const
{
    return m_kind == Kind::Notice ? QStringLiteral("Печать уведомлений о задолженности")
                                  : QStringLiteral("Печать претензий");
}

int frmDebtPapers::sheetCount() const
{
    return int(m_papers.size());
}

PageOrientation frmDebtPapers::orientation() const
{
    return PageOrientation::Portrait;
}

QString frmDebtPapers::pdfName() const
{
    if (m_papers.empty())
        return pdfFileName({ QStringLiteral("Уведомления") });
    const DebtPaper& first = m_papers.front();
    const QString month = fromStd(monthCaption({ first.month.year, first.month.month }));
    if (m_kind == Kind::Notice)
        return m_papers.size() == 1
            ? pdfFileName({ QStringLiteral("Уведомление"), fromStd(first.fullName), month })
            : pdfFileName({ QStringLiteral("Уведомления"), month });
    return m_papers.size() == 1 ? pdfFileName({ QStringLiteral("Претензия № %1").arg(m_numbers.front()),
               fromStd(first.fullName), dateOf(first.date) })
                                : pdfFileName({ QStringLiteral("Претензии"), dateOf(first.date) });
}

int frmDebtPapers::registeredCount() const
{
    return int(std::count(m_registered.begin(), m_registered.end(), true));
}

void frmDebtPapers::showSheet(int sheet)
{
    if (sheet < 1 || sheet > sheetCount())
        return;
    m_shown = sheet;
    // A sheet of its own every time: the texts differ in length from one debtor to the next.
    delete m_sheet;
    m_qr = nullptr;
    m_sheet = new QWidget(this);
    m_sheet->setObjectName(QStringLiteral("picSheet"));
    m_sheet->setGeometry(rect());
    const DebtPaper& paper = m_papers[std::size_t(sheet - 1)];
    if (m_kind == Kind::Notice)
        buildNotice(paper);
    else
        buildClaim(paper, m_numbers[std::size_t(sheet - 1)]);
    m_sheet->show();
}

int frmDebtPapers::addText(const QString& name, const QString& text, int top, int left, int width,
    const QFont& font, Qt::Alignment alignment)
{
    auto* label = new QLabel(keptTogether(text), m_sheet);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(alignment);
    const int height = label->heightForWidth(width);
    label->setGeometry(left, top, width, qMax(height, label->fontMetrics().height()));
    return top + label->height();
}

int frmDebtPapers::addAddresses(const DebtPaper& paper, int top)
{
    // The partnership on the left, the subscriber on the right, as a letter is addressed.
    const int half = Width / 2 - 10;
    int left = top;
    if (!m_payee.name.empty()) {
        left
            = addText(QStringLiteral("lblFrom"), fromStd(m_payee.name), left, Left, half, pageFont(10, true));
        QString tax;
        if (!m_payee.payeeInn.empty())
            tax = QStringLiteral("ИНН ") + fromStd(m_payee.payeeInn);
        if (!m_payee.kpp.empty())
            tax += QStringLiteral(", КПП ") + fromStd(m_payee.kpp);
        if (!tax.isEmpty())
            left = addText(QStringLiteral("lblFromTax"), tax, left, Left, half, pageFont(9));
    }
    QString to = QStringLiteral("Кому: ") + fromStd(paper.fullName);
    if (!paper.address.empty())
        to += QStringLiteral("\nАдрес: ") + fromStd(paper.address);
    if (!paper.number.empty())
        to += QStringLiteral("\nЛицевой счёт № ") + fromStd(paper.number);
    const int right = addText(QStringLiteral("lblTo"), to, top, Left + Width - half, half, pageFont(10));
    return qMax(left, right);
}

int frmDebtPapers::addMonths(const DebtPaper& paper, int top)
{
    const bool penalties = withPenalties(paper);
    const std::vector<PaperRow> rows = paperRows(paper, MostMonths);
    const std::vector<int> widths
        = penalties ? std::vector<int>{ 270, 130, 130, Width - 530 } : std::vector<int>{ 330, Width - 330 };
    const int header = 34;
    const int height = header + RowHeight * int(rows.size() + 1) + 1;
    QTableWidget* grid = pageGrid(m_sheet, QRect(Left, top, Width + 1, height), widths, RowHeight);
    grid->setObjectName(QStringLiteral("gMonths"));
    grid->horizontalHeader()->setFixedHeight(header);
    grid->horizontalHeader()->setFont(pageFont(9, true));
    grid->setFont(pageFont(10));
    QStringList headings = { QStringLiteral("Месяц"), QStringLiteral("Долг, р.") };
    if (penalties)
        headings << QStringLiteral("Дней\nпросрочки")
                 << QStringLiteral("Пени на %1, р.").arg(dateOf(paper.date));
    grid->setHorizontalHeaderLabels(headings);
    grid->setRowCount(int(rows.size()) + 1);
    const auto put = [grid](int r, int c, const QString& text, bool right, bool bold) {
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        if (bold)
            item->setFont(pageFont(10, true));
        grid->setItem(r, c, item);
    };
    for (int r = 0; r < int(rows.size()); ++r) {
        const PaperRow& row = rows[std::size_t(r)];
        put(r, 0, fromStd(row.caption), false, false);
        put(r, 1, fromStd(amountText(row.debt)), true, false);
        if (penalties) {
            put(r, 2, row.days > 0 ? QString::number(row.days) : QString(), true, false);
            put(r, 3, row.days > 0 ? fromStd(amountText(row.penalty)) : QString(), true, false);
        }
    }
    const int total = int(rows.size());
    put(total, 0, QStringLiteral("Итого"), false, true);
    put(total, 1, fromStd(amountText(paper.debt.total)), true, true);
    if (penalties)
        put(total, 3, fromStd(amountText(paper.penalties.total)), true, true);
    return top + height;
}

int frmDebtPapers::addPenalty(const DebtPaper& paper, int top, bool notice)
{
    if (!withPenalties(paper))
        return top;
    QString text
        = QStringLiteral("Пени на %1 (%2): %3")
              .arg(dateOf(paper.date), fromStd(penalty::ruleText(paper.rule)), rub(paper.penalties.total));
    text += notice ? QStringLiteral(" — в сумму задолженности и QR-кода не включены.")
                   : QStringLiteral(" — в сумму задолженности не включены.");
    return addText(QStringLiteral("lblPenalty"), text, top, Left, Width, pageFont(10, true));
}

int frmDebtPapers::addPayee(const DebtPaper& paper, int top, bool withCode)
{
    const std::vector<PayeeLine> lines = payeeLines(m_payee, noticePurpose(paper));
    if (lines.empty())
        return addText(QStringLiteral("lblNoPayee"),
            QStringLiteral("Реквизиты для оплаты можно узнать у казначея товарищества."), top, Left, Width,
            pageFont(10));
    const std::string payload = withCode ? noticePayload(m_payee, paper) : std::string();
    const std::optional<QrCode> code = payload.empty() ? std::nullopt : encodeQr(payload);
    const int textWidth = code ? Width - QrSide - 20 : Width;
    int y = addText(QStringLiteral("lblPayeeCaption"), QStringLiteral("Реквизиты для оплаты:"), top, Left,
        textWidth, pageFont(10, true));
    QString text;
    for (const PayeeLine& line : lines)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + fromStd(line.caption) + QLatin1Char(' ')
            + fromStd(line.value);
    text += QStringLiteral("\nСумма: ") + rub(paper.debt.total);
    y = addText(QStringLiteral("lblPayee"), text, y + 2, Left, textWidth, pageFont(9));
    if (!code)
        return y;
    m_qr = new QrCodeView(m_sheet);
    m_qr->setObjectName(QStringLiteral("QrCode"));
    m_qr->setGeometry(Left + Width - QrSide, top, QrSide, QrSide);
    m_qr->setCode(code);
    const int hint = addText(QStringLiteral("lblQr"),
        QStringLiteral("Отсканируйте QR-код в приложении банка: в нём вся сумма долга"), top + QrSide + 2,
        Left + Width - QrSide - 10, QrSide + 20, pageFont(7), Qt::AlignHCenter | Qt::AlignTop);
    return qMax(y, hint);
}

void frmDebtPapers::addSignature(const QString& who, int top)
{
    addText(QStringLiteral("lblSign"),
        who + QStringLiteral("  ____________________  /  ____________________  /"), top, Left, Width,
        pageFont(10));
}

void frmDebtPapers::buildNotice(const DebtPaper& paper)
{
    int y = addAddresses(paper, Top);
    y = addText(QStringLiteral("lblTitle"), QStringLiteral("УВЕДОМЛЕНИЕ"), y + 36, Left, Width,
        pageFont(14, true), Qt::AlignHCenter | Qt::AlignTop);
    y = addText(QStringLiteral("lblSubtitle"), QStringLiteral("о задолженности за электроэнергию"), y, Left,
        Width, pageFont(11, true), Qt::AlignHCenter | Qt::AlignTop);
    y = addText(QStringLiteral("lblDate"), QStringLiteral("от ") + dateOf(paper.date), y + 4, Left, Width,
        pageFont(10), Qt::AlignHCenter | Qt::AlignTop);
    y = addText(QStringLiteral("lblDear"), QStringLiteral("Уважаемый(-ая) %1!").arg(fromStd(paper.fullName)),
        y + 20, Left, Width, pageFont(10, true), Qt::AlignHCenter | Qt::AlignTop);
    const QString account = paper.number.empty()
        ? QString()
        : QStringLiteral(" по Вашему лицевому счёту № ") + fromStd(paper.number);
    y = addText(QStringLiteral("lblText"),
        QStringLiteral("Сообщаем, что на %1%2 числится задолженность за электроэнергию в размере %3 (%4), "
                       "в том числе по месяцам:")
            .arg(monthEnd(paper), account, rub(paper.debt.total), fromStd(roublesInWords(paper.debt.total))),
        y + 12, Left, Width, pageFont(10));
    y = addMonths(paper, y + 10);
    y = addPenalty(paper, y + 8, true);
    y = addText(QStringLiteral("lblPayBy"),
        QStringLiteral("Просим погасить задолженность до %1.").arg(dateOf(m_payBy)), y + 12, Left, Width,
        pageFont(11, true));
    y = addPayee(paper, y + 16, true);
    y = addText(QStringLiteral("lblPaid"),
        QStringLiteral("Если задолженность уже погашена, просим не принимать это уведомление во внимание."),
        y + 16, Left, Width, pageFont(9));
    addSignature(QStringLiteral("Казначей"), y + 36);
}

void frmDebtPapers::buildClaim(const DebtPaper& paper, int number)
{
    int y = addAddresses(paper, Top);
    y = addText(QStringLiteral("lblTitle"), QStringLiteral("ПРЕТЕНЗИЯ № %1").arg(number), y + 36, Left, Width,
        pageFont(14, true), Qt::AlignHCenter | Qt::AlignTop);
    y = addText(QStringLiteral("lblSubtitle"), QStringLiteral("о погашении задолженности за электроэнергию"),
        y, Left, Width, pageFont(11, true), Qt::AlignHCenter | Qt::AlignTop);
    y = addText(QStringLiteral("lblDate"), QStringLiteral("от ") + dateOf(paper.date), y + 4, Left, Width,
        pageFont(10), Qt::AlignHCenter | Qt::AlignTop);
    y = addText(QStringLiteral("lblText"),
        fromStd(filledTemplate(m_claimText.toStdString(), claimFacts(paper, number))), y + 20, Left, Width,
        pageFont(10));
    y = addText(QStringLiteral("lblMonthsCaption"),
        QStringLiteral("Расчёт задолженности на %1:").arg(monthEnd(paper)), y + 14, Left, Width,
        pageFont(10, true));
    y = addMonths(paper, y + 4);
    y = addPenalty(paper, y + 8, false);
    y = addPayee(paper, y + 14, false);
    addSignature(QStringLiteral("Председатель правления"), y + 40);
}

void frmDebtPapers::registerClaims(const std::vector<int>& sheets)
{
    if (m_kind != Kind::Claim || m_state.archiveView())
        return;
    std::vector<int> fresh;
    for (int sheet : sheets) {
        if (sheet >= 1 && sheet <= sheetCount() && !m_registered[std::size_t(sheet - 1)])
            fresh.push_back(sheet);
    }
    if (fresh.empty())
        return;
    const std::string database = m_state.databaseFile();
    const QString path = QString::fromStdString(claims::filePath(database));
    claims::ReadResult read = claims::read(database, m_state.table);
    if (read.status == claims::ReadResult::Status::Failed) {
        m_state.services.dialogs.error(
            QStringLiteral("Не удалось прочитать реестр претензий %1. Претензии в него не внесены.")
                .arg(path),
            RegisterTitle);
        return;
    }
    for (int sheet : fresh) {
        const DebtPaper& paper = m_papers[std::size_t(sheet - 1)];
        read.claims.claims.push_back({ m_numbers[std::size_t(sheet - 1)], paper.date, paper.record,
            paper.fullName, paper.debt.total });
    }
    if (!claims::write(database, read.claims)) {
        m_state.services.dialogs.error(
            QStringLiteral("Не удалось записать реестр претензий %1. Претензии в него не внесены.").arg(path),
            RegisterTitle);
        return;
    }
    for (int sheet : fresh)
        m_registered[std::size_t(sheet - 1)] = true;
    emit claimsRegistered();
}

void frmDebtPapers::printSheet()
{
    const int sheet = m_shown;
    if (printShownSheet(m_state, *this))
        registerClaims({ sheet });
}

void frmDebtPapers::savePdf()
{
    const int sheet = m_shown;
    if (saveShownSheetPdf(m_state, *this))
        registerClaims({ sheet });
}

namespace {

std::vector<int> everySheet(int count)
{
    std::vector<int> sheets;
    for (int n = 1; n <= count; ++n)
        sheets.push_back(n);
    return sheets;
}

} // namespace

void frmDebtPapers::printAll()
{
    if (printAllSheets(m_state, *this))
        registerClaims(everySheet(sheetCount()));
}

void frmDebtPapers::savePdfAll()
{
    if (saveAllSheetsPdf(m_state, *this))
        registerClaims(everySheet(sheetCount()));
}

MDIfrmPrint* openDebtPapers(AppState& state, QWidget* from, frmDebtPapers* page)
{
    auto* frame = new MDIfrmPrint(state);
    frame->setPage(page);
    hideWhileOpen(from, frame);
    frame->show();
    return frame;
}
