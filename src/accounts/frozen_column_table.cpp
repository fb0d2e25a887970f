#include "accounts/frozen_column_table.h"

#include <QHeaderView>
#include <QScrollBar>

FrozenColumnTable::FrozenColumnTable(QWidget* parent) : QTableView(parent)
{ }

void FrozenColumnTable::freezeFirstColumn(QHeaderView* header)
{
    m_frozen = new QTableView(this);
    m_frozen->setObjectName(objectName() + QStringLiteral("Frozen"));
    m_frozen->setHorizontalHeader(header);
    m_frozen->setModel(model());
    m_frozen->setSelectionModel(selectionModel());
    m_frozen->setSelectionMode(selectionMode());
    m_frozen->setSelectionBehavior(selectionBehavior());
    m_frozen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_frozen->setWordWrap(wordWrap());
    // The focus stays with the grid and its editor; the overlay only shows.
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->setFrameShape(QFrame::NoFrame);
    m_frozen->verticalHeader()->hide();
    m_frozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollMode(verticalScrollMode());
    hideOtherColumns();
    connect(model(), &QAbstractItemModel::modelReset, this, &FrozenColumnTable::hideOtherColumns);

    connect(horizontalHeader(), &QHeaderView::sectionResized, this, [this](int column, int, int size) {
        if (column == 0) {
            m_frozen->setColumnWidth(0, size);
            placeFrozen();
        }
    });
    // Both scroll together, whether the grid's bar moves or the wheel turns over the names.
    connect(
        verticalScrollBar(), &QScrollBar::valueChanged, m_frozen->verticalScrollBar(), &QScrollBar::setValue);
    connect(
        m_frozen->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(), &QScrollBar::setValue);

    viewport()->stackUnder(m_frozen);
    placeFrozen();
    m_frozen->show();
}

void FrozenColumnTable::hideOtherColumns()
{
    for (int c = 1; c < model()->columnCount(); ++c)
        m_frozen->setColumnHidden(c, true);
    m_frozen->setColumnWidth(0, columnWidth(0));
}

void FrozenColumnTable::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    const int sideways = horizontalScrollBar()->value();
    QTableView::scrollTo(index, hint);
    if (!m_frozen || !index.isValid())
        return;
    if (index.column() == 0) {
        horizontalScrollBar()->setValue(sideways);
        return;
    }
    const int hidden = columnWidth(0) - visualRect(index).left();
    if (hidden > 0)
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - hidden);
}

void FrozenColumnTable::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    placeFrozen();
}

void FrozenColumnTable::updateGeometries()
{
    QTableView::updateGeometries();
    placeFrozen();
}

void FrozenColumnTable::placeFrozen()
{
    if (!m_frozen)
        return;
    // Rows as high as the grid's, which it sets after the overlay exists.
    const int rowHeight = verticalHeader()->defaultSectionSize();
    if (m_frozen->verticalHeader()->defaultSectionSize() != rowHeight) {
        m_frozen->verticalHeader()->setMinimumSectionSize(verticalHeader()->minimumSectionSize());
        m_frozen->verticalHeader()->setDefaultSectionSize(rowHeight);
    }
    const int left = frameWidth() + (verticalHeader()->isVisible() ? verticalHeader()->width() : 0);
    m_frozen->setGeometry(
        left, frameWidth(), columnWidth(0), viewport()->height() + horizontalHeader()->height());
    m_frozen->verticalScrollBar()->setValue(verticalScrollBar()->value());
}
