#pragma once

// The grids of the ledger and of the carry-over window as Qt models: one row per subscriber.

#include "accounts/ledger.h"

#include <QAbstractTableModel>
#include <vector>

class LedgerModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    ledger::Grid& grid() { return m_grid; }
    const ledger::Grid& grid() const { return m_grid; }

    // A new month: rows and found marks are laid out afresh.
    template <typename Fill> void refill(Fill&& fill)
    {
        beginResetModel();
        fill(m_grid);
        m_found.assign(m_grid.rows.size(), 0);
        endResetModel();
    }
    // The cells changed in place (a computation).
    void cellsChanged();
    void setCellText(int row, int column, std::string text);
    QString cellText(int row, int column) const;

    // Rows painted as found; the marks of an earlier find go first.
    void markFound(const std::vector<int>& rows);
    void clearFound();
    bool isFound(int row) const;
    // A closed month's amounts are shown in the closed colour.
    void setClosed(bool closed);
    bool isClosed() const { return m_closed; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    ledger::Grid m_grid;
    std::vector<char> m_found;
    bool m_closed = false;
};

class CarryOverModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<ledger::CarryOverRow> rows);
    const std::vector<ledger::CarryOverRow>& rows() const { return m_rows; }
    void setCellText(int row, int column, std::string text);
    QString cellText(int row, int column) const;
    // Empties columns 1 and 2; true when any of them held something.
    bool clearBalances();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<ledger::CarryOverRow> m_rows;
};
