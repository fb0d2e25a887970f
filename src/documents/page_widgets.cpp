#include "documents/page_widgets.h"

#include <QFontDatabase>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>

namespace documents {

QFont pageFont(double pointSize, bool bold)
{
    static const QString family = [] {
        for (const QString& name :
            { QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans Condensed") }) {
            if (QFontDatabase::families().contains(name))
                return name;
        }
        return QFont().family();
    }();
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

void makePaper(QWidget* page, int widthTwips, int heightTwips)
{
    page->setFixedSize(px(widthTwips), px(heightTwips));
    page->setAutoFillBackground(true);
    // Set outright: inside the frame's dark scroll area the page would otherwise take the area's
    // background role, and light text with it.
    page->setBackgroundRole(QPalette::Window);
    page->setForegroundRole(QPalette::WindowText);
    QPalette palette = page->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    page->setPalette(palette);
    page->setFont(pageFont());
}

QLabel* pageLabel(QWidget* parent, const QString& name, const QString& text, QRect twips,
    Qt::Alignment alignment, bool bold)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
    label->setAlignment(alignment);
    if (bold)
        label->setFont(pageFont(parent->font().pointSizeF(), true));
    return label;
}

QFrame* pageRule(QWidget* parent, const QString& name, QPoint from, QPoint to)
{
    auto* rule = new QFrame(parent);
    rule->setObjectName(name);
    const bool horizontal = from.y() == to.y();
    rule->setFrameShape(horizontal ? QFrame::HLine : QFrame::VLine);
    rule->setFrameShadow(QFrame::Plain);
    rule->setLineWidth(1);
    // The frame draws its line in the middle of a three-pixel strip.
    if (horizontal)
        rule->setGeometry(from.x(), from.y() - 1, to.x() - from.x() + 1, 3);
    else
        rule->setGeometry(from.x() - 1, from.y(), 3, to.y() - from.y() + 1);
    return rule;
}

QTableWidget* pageGrid(QWidget* parent, QRect geometry, const std::vector<int>& columnWidths, int rowHeight)
{
    auto* grid = new QTableWidget(0, int(columnWidths.size()), parent);
    grid->setObjectName(QStringLiteral("g"));
    grid->setGeometry(geometry);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionMode(QAbstractItemView::NoSelection);
    grid->setFocusPolicy(Qt::NoFocus);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid->verticalHeader()->setMinimumSectionSize(1);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setMinimumSectionSize(0);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->setFrameShape(QFrame::NoFrame);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    palette.setColor(QPalette::Text, Qt::black);
    grid->setPalette(palette);
    grid->setGridStyle(Qt::SolidLine);
    for (int c = 0; c < int(columnWidths.size()); ++c)
        grid->setColumnWidth(c, columnWidths[std::size_t(c)]);
    return grid;
}

} // namespace documents
