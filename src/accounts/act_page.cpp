#include "accounts/act_page.h"

#include "documents/document_output.h"
#include "documents/page_widgets.h"
#include "platform/clock.h"
#include "session/app_state.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>

using namespace documents;

namespace {

// Twips, on an A4 portrait sheet.
constexpr int PageWidth = 11906;
constexpr int PageHeight = 16838;
constexpr int Left = 900;
constexpr int Right = 11000;
constexpr int GridTop = 2850;
constexpr int RowTwips = 285;
constexpr int HeaderTwips = 600;
// Rows of a sheet: room under the last of them for the closing balance and the signatures.
constexpr int RowsPerSheet = 36;

constexpr std::array<int, ledger::ActColumns> ColumnTwips
    = { 1350, 900, 900, 800, 1100, 1000, 900, 1100, 1000, 1050 };

std::vector<int> columnWidths()
{
    std::vector<int> widths;
    for (int w : ColumnTwips)
        widths.push_back(px(w));
    return widths;
}

QString fromStd(const std::string& text)
{
    return QString::fromStdString(text);
}

QLabel* wrapped(QWidget* page, const QString& name, QRect twips, double points, bool bold = false,
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop)
{
    QLabel* label = pageLabel(page, name, QString(), twips, alignment, bold);
    label->setFont(pageFont(points, bold));
    label->setWordWrap(true);
    return label;
}

} // namespace

frmActPrint::frmActPrint(AppState& state, ledger::Act act, std::string partnership, QWidget* parent)
    : SheetsPage(state, parent), m_act(std::move(act)), m_table(ledger::actTable(m_act))
{
    setObjectName(QStringLiteral("frmActPrint"));
    makePaper(this, PageWidth, PageHeight);
    m_date = state.services.clock.now().date().toString(QStringLiteral("dd.MM.yyyy"));

    const int width = Right - Left;
    m_partnership = wrapped(this, QStringLiteral("lblPartnership"), QRect(Left, 500, width, 300), 10, true,
        Qt::AlignHCenter | Qt::AlignTop);
    m_partnership->setText(fromStd(partnership));
    m_sheet = pageLabel(this, QStringLiteral("Label1"), QString(), QRect(Right - 2000, 250, 2000, 240),
        Qt::AlignRight | Qt::AlignVCenter);
    QLabel* title = wrapped(this, QStringLiteral("lblTitle"), QRect(Left, 850, width, 360), 13, true,
        Qt::AlignHCenter | Qt::AlignTop);
    title->setText(QStringLiteral("АКТ СВЕРКИ РАСЧЁТОВ"));
    QLabel* period = wrapped(this, QStringLiteral("lblPeriod"), QRect(Left, 1230, width, 300), 10, false,
        Qt::AlignHCenter | Qt::AlignTop);
    period->setText(
        QStringLiteral("за электроэнергию за период с %1 по %2")
            .arg(fromStd(ledger::monthStartDate(m_act.from)), fromStd(ledger::monthEndDate(m_act.to))));

    m_subscriber = wrapped(this, QStringLiteral("lblFio"), QRect(Left, 1700, width, 480), 10);
    QString who
        = QStringLiteral("Абонент: %1, лицевой счёт № %2").arg(fromStd(m_act.name), fromStd(m_act.number));
    if (m_act.address.find_first_not_of(' ') != std::string::npos)
        who += QStringLiteral(", участок: ") + fromStd(m_act.address);
    m_subscriber->setText(who);
    m_opening = wrapped(this, QStringLiteral("lblOpening"), QRect(Left, 2200, width, 520), 10);
    m_opening->setText(fromStd(ledger::balanceSentence(m_act.opening, ledger::monthStartDate(m_act.from)))
        + QLatin1Char('.'));

    m_grid = pageGrid(
        this, QRect(px(Left), px(GridTop), px(width), px(HeaderTwips)), columnWidths(), px(RowTwips));
    m_grid->setFont(pageFont(8));
    m_grid->setHorizontalHeaderLabels(
        { QStringLiteral("Месяц"), QStringLiteral("Показ.\nна начало"), QStringLiteral("Показ.\nна конец"),
            QStringLiteral("кВт·ч"), QStringLiteral("За эл. эн.,\nр."), QStringLiteral("ЗП\nэлектрику, р."),
            QStringLiteral("Прочие\nначисл., р."), QStringLiteral("Оплачено,\nр."),
            QStringLiteral("Дата\nоплаты"), QStringLiteral("Остаток на\nконец мес., р.") });
    m_grid->horizontalHeader()->setFont(pageFont(7.5));
    m_grid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    m_grid->horizontalHeader()->setFixedHeight(px(HeaderTwips));

    m_legend = wrapped(this, QStringLiteral("lblLegend"), QRect(Left, 0, width, 260), 7.5);
    m_legend->setText(
        QStringLiteral("Остаток: задолженность абонента — без знака, переплата — со знаком «минус». "
                       "Даты оплаты — по выписке банка."));
    m_closing = wrapped(this, QStringLiteral("lblClosing"), QRect(Left, 0, width, 520), 10, true);
    m_closing->setText(
        fromStd(ledger::balanceSentence(m_act.closing, ledger::monthEndDate(m_act.to))) + QLatin1Char('.'));

    // Signatures: the treasurer for the partnership at the left, the subscriber at the right.
    const int half = width / 2;
    const auto signature = [&](const QString& name, int left, const QString& who, const QString& nameLine) {
        QLabel* caption = wrapped(this, name, QRect(left, 0, half - 300, 900), 10);
        caption->setText(who + QStringLiteral("\n\n______________ / ") + nameLine + QStringLiteral(" /"));
        m_signatures << caption;
    };
    signature(QStringLiteral("lblTreasurer"), Left, QStringLiteral("От товарищества\nказначей"),
        QStringLiteral("______________"));
    signature(
        QStringLiteral("lblMember"), Left + half + 300, QStringLiteral("Абонент\n"), fromStd(m_act.name));
    QLabel* date = wrapped(this, QStringLiteral("lblDate"), QRect(Left, 0, width, 260), 9);
    date->setText(QStringLiteral("Дата составления: ") + m_date);
    m_signatures << date;

    for (int start = 0; start < int(m_table.rows.size()); start += RowsPerSheet)
        m_sheetStarts.push_back(start);
    showSheet(1);
}

QString frmActPrint::frameCaption() const
{
    return QStringLiteral("Акт сверки расчётов");
}

int frmActPrint::sheetCount() const
{
    return int(m_sheetStarts.size()) > 1 ? int(m_sheetStarts.size()) : 0;
}

void frmActPrint::showSheet(int sheet)
{
    const int sheets = int(m_sheetStarts.size());
    sheet = std::clamp(sheet, 1, std::max(1, sheets));
    m_sheet->setText(sheets > 1 ? QStringLiteral("Лист %1 из %2").arg(sheet).arg(sheets) : QString());
    const int first = sheets == 0 ? 0 : m_sheetStarts[std::size_t(sheet - 1)];
    const int end = sheet < sheets ? m_sheetStarts[std::size_t(sheet)] : int(m_table.rows.size());

    m_grid->setUpdatesEnabled(false);
    m_grid->setRowCount(0);
    m_grid->setRowCount(end - first);
    int height = px(HeaderTwips);
    QFont bold = pageFont(8, true);
    for (int r = first; r < end; ++r) {
        const int row = r - first;
        for (int c = 0; c < ledger::ActColumns; ++c) {
            auto* item = new QTableWidgetItem(fromStd(m_table.rows[std::size_t(r)][std::size_t(c)]));
            item->setTextAlignment(
                c == 0 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignRight | Qt::AlignVCenter);
            if (m_table.emphasised[std::size_t(r)])
                item->setFont(bold);
            m_grid->setItem(row, c, item);
        }
        const int lines = m_table.lines[std::size_t(r)];
        const int rowHeight = px(RowTwips) + (lines - 1) * (QFontMetrics(m_grid->font()).height() + 1);
        m_grid->setRowHeight(row, rowHeight);
        height += rowHeight;
    }
    m_grid->setUpdatesEnabled(true);
    m_grid->setFixedHeight(height + 1);
    // Later sheets have no opening balance: the table moves up into its place.
    m_grid->move(m_grid->x(), sheet == 1 ? px(GridTop) : m_opening->y());

    // The first sheet opens with the balance, the last one closes with it and the signatures.
    const bool last = sheet >= sheets;
    m_opening->setVisible(sheet == 1);
    int y = m_grid->y() + m_grid->height() + px(80);
    m_legend->move(m_legend->x(), y);
    m_legend->setVisible(last);
    y += px(360);
    m_closing->move(m_closing->x(), y);
    m_closing->setVisible(last);
    y += px(700);
    for (QWidget* w : m_signatures) {
        w->move(w->x(), w == m_signatures.back() ? y + px(1000) : y);
        w->setVisible(last);
    }
}

QString frmActPrint::pdfName() const
{
    return pdfFileName(
        { QStringLiteral("Акт сверки"), fromStd(m_act.name), fromStd(ledger::monthCaption(m_act.from)),
            QStringLiteral("–"), fromStd(ledger::monthCaption(m_act.to)) });
}
