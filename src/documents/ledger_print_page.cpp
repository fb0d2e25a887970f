#include "documents/ledger_print_page.h"

#include "documents/document_output.h"
#include "documents/page_widgets.h"
#include "session/app_state.h"
#include "platform/hidden_while_open.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QTableWidget>

using namespace documents;

namespace {

constexpr int PageWidth = 16725;
constexpr int PageHeight = 11625;

// The header's vertical rules, in twips: each column of the grid lies between two of them.
constexpr std::array<int, 13> RuleX
    = { 1020, 1470, 3690, 4830, 5970, 7170, 8430, 9630, 10650, 11490, 12390, 13470, 14550 };
constexpr int HeaderTop = 480;
constexpr int GroupBottom = 840;
constexpr int GridTop = 1290;
constexpr int GridHeight = 9480;
constexpr int RowHeight = 19;

int ruleX(int i)
{
    return px(RuleX[std::size_t(i)]);
}

const QColor Blue(0, 0, 255);
const QColor Red(255, 0, 0);

struct Caption
{
    int index; // Label1(index)
    const char* text;
    int firstRule; // between rules firstRule and lastRule
    int lastRule;
    bool group; // a group caption above its columns; otherwise a column's own, below the group
    bool spansHeader; // a column without a group: the whole header's height
    QColor colour;
};

const std::array<Caption, 15> Captions = { {
    { 12, "Фамилия И. О.", 1, 2, false, true, Qt::black },
    { 6, "Остаток на нач. мес., р.", 2, 4, true, false, Qt::black },
    { 2, "Недоплата", 2, 3, false, false, Blue },
    { 3, "Переплата", 3, 4, false, false, Red },
    { 4, "Начислены расходы в текущ. мес., р.", 4, 8, true, false, Blue },
    { 5, "За эл. эн.", 4, 5, false, false, Blue },
    { 7, "З. П. Эл-ку", 5, 6, false, false, Blue },
    { 8, "Прочее", 6, 7, false, false, Blue },
    { 9, "ИТОГО к оплате", 7, 8, false, false, Qt::black },
    { 10, "Приход в т. м., р.", 8, 10, true, false, Red },
    { 11, "Внесено", 8, 9, false, false, Red },
    { 13, "Прочее", 9, 10, false, false, Red },
    { 14, "Ос-ток на кон. мес., р.", 10, 12, true, false, Qt::black },
    { 15, "Недоплата", 10, 11, false, false, Blue },
    { 16, "Переплата", 11, 12, false, false, Red },
} };

const std::array<Qt::Alignment, 12> Alignments = [] {
    std::array<Qt::Alignment, 12> a;
    a.fill(Qt::AlignRight | Qt::AlignVCenter);
    a[0] = Qt::AlignCenter;
    a[1] = Qt::AlignLeft | Qt::AlignVCenter;
    return a;
}();

void setColour(QLabel* label, const QColor& colour)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

} // namespace

frmPrint1::frmPrint1(AppState& state, const LedgerSums& sums, QWidget* parent)
    : SheetsPage(state, parent), m_sums(sums)
{
    setObjectName(QStringLiteral("frmPrint1"));
    makePaper(this, PageWidth, PageHeight);
    m_date = pageLabel(this, QStringLiteral("LblDate"), QString(), QRect(1020, 120, 6000, 330),
        Qt::AlignLeft | Qt::AlignVCenter, true);
    m_sheet = pageLabel(this, QStringLiteral("Label1_0"), QStringLiteral("Лист 1"),
        QRect(12550, 120, 2000, 330), Qt::AlignRight | Qt::AlignVCenter);

    const int top = px(HeaderTop);
    const int middle = px(GroupBottom);
    const int bottom = px(GridTop);
    const QFont captionFont = pageFont(8);
    for (const Caption& c : Captions) {
        const int left = ruleX(c.firstRule);
        const int right = ruleX(c.lastRule);
        const int captionTop = c.group || c.spansHeader ? top : middle;
        const int captionBottom = c.group ? middle : bottom;
        auto* label = new QLabel(QString::fromUtf8(c.text), this);
        label->setObjectName(QStringLiteral("Label1_%1").arg(c.index));
        label->setGeometry(left + 2, captionTop + 1, right - left - 3, captionBottom - captionTop - 1);
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        label->setFont(captionFont);
        m_captions[std::size_t(c.index - 2)] = label;
    }
    screenColours();

    // Rules: across the top, under the group captions, and down between the columns; a column
    // inside a group starts below the group's caption.
    int rule = 0;
    const auto name = [&rule] { return QStringLiteral("Line1_%1").arg(rule++); };
    pageRule(this, name(), QPoint(ruleX(0), top), QPoint(ruleX(12), top));
    for (const Caption& c : Captions) {
        if (c.group)
            pageRule(this, name(), QPoint(ruleX(c.firstRule), middle), QPoint(ruleX(c.lastRule), middle));
    }
    const std::array<bool, 13> insideGroup
        = { false, false, false, true, false, true, true, true, false, true, false, true, false };
    for (int i = 0; i < int(RuleX.size()); ++i)
        pageRule(this, name(), QPoint(ruleX(i), insideGroup[std::size_t(i)] ? middle : top),
            QPoint(ruleX(i), bottom));

    // Each column exactly as wide as the space between its two rules.
    std::vector<int> widths;
    for (int i = 0; i + 1 < int(RuleX.size()); ++i)
        widths.push_back(ruleX(i + 1) - ruleX(i));
    const int gridHeight = LedgerRowsPerSheet * RowHeight + 1;
    m_grid
        = pageGrid(this, QRect(ruleX(0), bottom, ruleX(12) - ruleX(0) + 1, qMax(gridHeight, px(GridHeight))),
            widths, RowHeight);
    m_grid->horizontalHeader()->hide();
}

QString frmPrint1::frameCaption() const
{
    return QStringLiteral("Печать лицевого счета");
}

void frmPrint1::Form_Load()
{
    m_state.PreviewMode = 1;
    m_date->setText(m_state.PrintYear + QStringLiteral("   ") + m_state.PrintMonth);
    showSheet(1);
}

int frmPrint1::sheetCount() const
{
    return ledgerSheetCount(m_state.table);
}

void frmPrint1::showSheet(int sheet)
{
    m_sheet->setText(QStringLiteral("Лист %1").arg(sheet));
    fillGrid(m_grid, ledgerRows(m_state.table, m_state.LedgerBase, m_sums, sheet), Alignments);
}

void frmPrint1::paperLook(bool on)
{
    if (on)
        paperColours();
    else
        screenColours();
}

void frmPrint1::paperColours()
{
    const QColor ink = palette().color(QPalette::ButtonText);
    for (QLabel* label : m_captions)
        setColour(label, ink);
}

void frmPrint1::screenColours()
{
    for (const Caption& c : Captions)
        setColour(m_captions[std::size_t(c.index - 2)], c.colour);
}

PageOrientation frmPrint1::orientation() const
{
    return PageOrientation::Landscape;
}

QString frmPrint1::pdfName() const
{
    return pdfFileName({ QStringLiteral("Лицевой счет"), m_state.PrintMonth, m_state.PrintYear });
}

MDIfrmPrint* openLedgerPrint(AppState& state, QWidget* ledgerWindow, const LedgerPrintRequest& request)
{
    state.PrintYear = request.year;
    state.PrintMonth = request.month;
    state.LedgerBase = request.ledgerBase;
    auto* frame = new MDIfrmPrint(state);
    auto* page = new frmPrint1(state, request.sums);
    page->Form_Load();
    frame->setPage(page);
    hideWhileOpen(ledgerWindow, frame);
    frame->show();
    return frame;
}
