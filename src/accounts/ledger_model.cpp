#include "accounts/ledger_model.h"

#include "platform/colours.h"

#include <QColor>

namespace {

// Light cyan, the colour of found rows.
constexpr quint32 FoundColour = 0xFFFF80;

QString fromStd(const std::string& text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

void LedgerModel::cellsChanged()
{
    if (!m_grid.rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ledger::Columns - 1));
}

void LedgerModel::setCellText(int row, int column, std::string text)
{
    ledger::setCell(m_grid, row, column, std::move(text));
    emit dataChanged(index(row, column), index(row, column));
}

QString LedgerModel::cellText(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= ledger::Columns)
        return {};
    return fromStd(m_grid.rows[std::size_t(row)][std::size_t(column)]);
}

void LedgerModel::markFound(const std::vector<int>& rows)
{
    clearFound();
    for (int row : rows) {
        m_found[std::size_t(row)] = 1;
        emit dataChanged(index(row, 0), index(row, ledger::Columns - 1), { Qt::BackgroundRole });
    }
}

void LedgerModel::clearFound()
{
    for (std::size_t row = 0; row < m_found.size(); ++row) {
        if (m_found[row]) {
            m_found[row] = 0;
            emit dataChanged(
                index(int(row), 0), index(int(row), ledger::Columns - 1), { Qt::BackgroundRole });
        }
    }
}

void LedgerModel::setClosed(bool closed)
{
    if (closed == m_closed)
        return;
    m_closed = closed;
    if (!m_grid.rows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ledger::Columns - 1), { Qt::BackgroundRole });
}

bool LedgerModel::isFound(int row) const
{
    return row >= 0 && std::size_t(row) < m_found.size() && m_found[std::size_t(row)];
}

int LedgerModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_grid.rows.size());
}

int LedgerModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ledger::Columns;
}

QVariant LedgerModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row();
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole: return cellText(row, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(
            Qt::AlignVCenter | (column == ledger::NameColumn ? Qt::AlignLeft : Qt::AlignRight));
    case Qt::BackgroundRole:
        if (column <= ledger::EndOverpayment && isFound(row))
            return fromWindowsColour(FoundColour);
        if (m_closed && column != ledger::NameColumn)
            return fromWindowsColour(ClosedMonthColour);
        return {};
    case Qt::ForegroundRole:
        if (column == ledger::SupplierSum && m_grid.supplierSumNegative[std::size_t(row)])
            return QColor(Qt::red);
        return {};
    default: return {};
    }
}

void CarryOverModel::setRows(std::vector<ledger::CarryOverRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void CarryOverModel::setCellText(int row, int column, std::string text)
{
    ledger::CarryOverRow& r = m_rows[std::size_t(row)];
    (column == 1 ? r.underpayment : r.overpayment) = std::move(text);
    emit dataChanged(index(row, column), index(row, column));
}

QString CarryOverModel::cellText(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    const ledger::CarryOverRow& r = m_rows[std::size_t(row)];
    switch (column) {
    case 0: return fromStd(r.subscriber);
    case 1: return fromStd(r.underpayment);
    case 2: return fromStd(r.overpayment);
    default: return {};
    }
}

bool CarryOverModel::clearBalances()
{
    bool changed = false;
    for (ledger::CarryOverRow& r : m_rows) {
        changed = changed || !r.underpayment.empty() || !r.overpayment.empty();
        r.underpayment.clear();
        r.overpayment.clear();
    }
    if (!m_rows.empty())
        emit dataChanged(index(0, 1), index(rowCount() - 1, 2));
    return changed;
}

int CarryOverModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CarryOverModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant CarryOverModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter | (index.column() == 0 ? Qt::AlignLeft : Qt::AlignRight));
    return {};
}
