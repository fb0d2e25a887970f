#include "sheet/readings_model.h"

#include "platform/colours.h"

#include <QBrush>
#include <QColor>
#include <QFont>

namespace {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

const QColor WarningColour(0xFF, 0xD2, 0x9B);
const QColor FilledInColour(0x70, 0x70, 0x70);

} // namespace

ReadingsModel::ReadingsModel(RecordTable& table, bool readOnly, QObject* parent)
    : QAbstractTableModel(parent), m_table(table), m_readOnly(readOnly)
{ }

void ReadingsModel::show(int year, int month, std::vector<int> order, bool closed)
{
    beginResetModel();
    m_closed = closed;
    m_year = year;
    m_month = month;
    m_order = std::move(order);
    m_rows.assign(m_order.size(), std::nullopt);
    endResetModel();
}

int ReadingsModel::rowOf(int record) const
{
    for (std::size_t row = 0; row < m_order.size(); ++row) {
        if (m_order[row] == record)
            return int(row);
    }
    return -1;
}

const readings::RowView& ReadingsModel::view(int row) const
{
    // A row is read when it is first shown: opening the month on three thousand subscribers reads
    // only the screenful.
    std::optional<readings::RowView>& cached = m_rows[std::size_t(row)];
    if (!cached)
        cached = readings::viewRow(m_table, record(row), m_year, m_month);
    return *cached;
}

bool ReadingsModel::store(int row, const std::string& date, const std::string& current)
{
    if (m_readOnly || m_closed || row < 0 || row >= rowCount())
        return false;
    if (beforeStore)
        beforeStore(record(row));
    if (!readings::storeRow(m_table, record(row), m_year, m_month, date, current))
        return false;
    m_rows[std::size_t(row)] = readings::viewRow(m_table, record(row), m_year, m_month);
    emit dataChanged(index(row, 0), index(row, Columns - 1));
    emit stored(record(row));
    return true;
}

bool ReadingsModel::moveRow(int row, int delta)
{
    const int to = row + delta;
    if (row < 0 || to < 0 || row >= rowCount() || to >= rowCount())
        return false;
    beginMoveRows({}, row, row, {}, delta > 0 ? to + 1 : to);
    std::swap(m_order[std::size_t(row)], m_order[std::size_t(to)]);
    std::swap(m_rows[std::size_t(row)], m_rows[std::size_t(to)]);
    endMoveRows();
    return true;
}

void ReadingsModel::refresh()
{
    beginResetModel();
    m_rows.assign(m_order.size(), std::nullopt);
    endResetModel();
}

int ReadingsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int ReadingsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Columns;
}

QVariant ReadingsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int rec = record(index.row());
    if (role == Qt::DisplayRole || role == Qt::EditRole) {
        switch (index.column()) {
        case Number: return fromStd(m_table.field(rec, fields::Number));
        case Name: return fromStd(m_table.field(rec, fields::FullName));
        case Address: return fromStd(m_table.field(rec, fields::Address));
        default: break;
        }
        const readings::RowView& row = view(index.row());
        switch (index.column()) {
        case Date: return fromStd(row.date);
        case Previous: return fromStd(row.previous);
        case Current: return fromStd(row.current);
        case Consumption: return fromStd(row.consumption);
        case Energy: return fromStd(row.energy);
        case Remark: return fromStd(row.remark);
        default: return {};
        }
    }
    if (role == Qt::BackgroundRole) {
        if (!view(index.row()).remark.empty())
            return QBrush(WarningColour);
        if (m_closed)
            return QBrush(fromWindowsColour(ClosedMonthColour));
        return {};
    }
    if (role == Qt::ForegroundRole && index.column() == Previous && view(index.row()).previousFilledIn)
        return QBrush(FilledInColour);
    if (role == Qt::ToolTipRole && index.column() == Previous && view(index.row()).previousFilledIn)
        return QStringLiteral("Из показания предыдущего месяца");
    if (role == Qt::TextAlignmentRole) {
        if (index.column() == Name || index.column() == Address || index.column() == Remark)
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        return int(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant ReadingsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const QStringList Captions
        = { QStringLiteral("№"), QStringLiteral("Фамилия И. О."), QStringLiteral("Адрес"),
              QStringLiteral("Дата"), QStringLiteral("Предыдущее"), QStringLiteral("Текущее"),
              QStringLiteral("Расход"), QStringLiteral("кВт·ч"), QStringLiteral("Замечание") };
    return section >= 0 && section < Captions.size() ? Captions[section] : QVariant();
}

Qt::ItemFlags ReadingsModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (!m_readOnly && !m_closed && (index.column() == Date || index.column() == Current))
        f |= Qt::ItemIsEditable;
    return f;
}

bool ReadingsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable))
        return false;
    const readings::RowView& row = view(index.row());
    const std::string text = value.toString().toStdString();
    // Nothing typed over the cell's own text: nothing to store.
    if ((index.column() == Date ? row.date : row.current) == text)
        return false;
    if (index.column() == Date)
        return store(index.row(), text, row.current);
    return store(index.row(), row.date, text);
}
