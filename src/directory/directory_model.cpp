#include "directory/directory_model.h"

#include "database/record_table.h"
#include "platform/colours.h"

#include <QColor>

namespace {

struct ColumnHeader
{
    const char* caption;
    int blanksBefore;
    int blanksAfter;
};

// The number column's caption is at the left, the others are centred.
constexpr ColumnHeader Headers[DirectoryModel::ColumnCount] = {
    { "ID", 0, 2 },
    { "Фамилия И. О.", 15, 27 },
    { "Адрес", 9, 54 },
    { "Телефон", 8, 9 },
    { "Тип счетчика", 7, 6 },
    { "Примечание", 15, 12 },
};

// Yellow for the chosen subscriber, light cyan for the rows a find has marked.
const QColor SelectedColour = fromWindowsColour(0x00FFFF);
const QColor FoundColour = fromWindowsColour(0xFFFF80);

} // namespace

DirectoryModel::DirectoryModel(const RecordTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table)
{ }

void DirectoryModel::reload()
{
    beginResetModel();
    m_rows = m_table.recordCount();
    m_marks.assign(std::size_t(m_rows) + 1, RowMark::None);
    endResetModel();
}

void DirectoryModel::recordChanged(int record)
{
    if (record >= 1 && record <= m_rows)
        emit dataChanged(index(record - 1, 0), index(record - 1, ColumnCount - 1), { Qt::DisplayRole });
}

RowMark DirectoryModel::mark(int record) const
{
    if (record < 1 || record > m_rows)
        return RowMark::None;
    return m_marks[std::size_t(record)];
}

void DirectoryModel::setMark(int record, RowMark mark)
{
    if (record < 1 || record > m_rows || m_marks[std::size_t(record)] == mark)
        return;
    m_marks[std::size_t(record)] = mark;
    repaintRows(record, record);
}

void DirectoryModel::clearMarks(RowMark mark)
{
    int first = 0;
    int last = 0;
    for (int record = 1; record <= m_rows; ++record) {
        if (m_marks[std::size_t(record)] != mark)
            continue;
        m_marks[std::size_t(record)] = RowMark::None;
        if (first == 0)
            first = record;
        last = record;
    }
    if (first != 0)
        repaintRows(first, last);
}

void DirectoryModel::markRecords(const std::vector<int>& records, RowMark mark)
{
    if (records.empty())
        return;
    for (int record : records) {
        if (record >= 1 && record <= m_rows)
            m_marks[std::size_t(record)] = mark;
    }
    repaintRows(records.front(), records.back());
}

void DirectoryModel::repaintRows(int firstRecord, int lastRecord)
{
    emit dataChanged(
        index(firstRecord - 1, 0), index(lastRecord - 1, ColumnCount - 1), { Qt::BackgroundRole });
}

QString DirectoryModel::paddedCaption(int column)
{
    const ColumnHeader& header = Headers[column];
    return QString(header.blanksBefore, QLatin1Char(' ')) + QString::fromUtf8(header.caption)
        + QString(header.blanksAfter, QLatin1Char(' '));
}

int DirectoryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DirectoryModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DirectoryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows)
        return {};
    const int record = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const std::string_view text = m_table.field(record, fields::Number + index.column());
        if (role == Qt::ToolTipRole && text.empty())
            return {};
        return QString::fromUtf8(text.data(), qsizetype(text.size()));
    }
    case Qt::BackgroundRole:
        switch (m_marks[std::size_t(record)]) {
        case RowMark::Selected: return SelectedColour;
        case RowMark::Found: return FoundColour;
        case RowMark::None: return {};
        }
        return {};
    case Qt::ForegroundRole:
        // Marked rows are light: their text stays dark whatever the desktop's colours.
        if (m_marks[std::size_t(record)] != RowMark::None)
            return QColor(Qt::black);
        return {};
    case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
    }
}

QVariant DirectoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(Headers[section].caption);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue((section == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter);
    return {};
}
