#pragma once

// The rows of the "Показания за месяц" grid: one per subscriber in the order shown, each read from
// the record table when the grid first asks for it, and stored back the moment a cell is typed.

#include "sheet/readings.h"

#include <QAbstractTableModel>
#include <functional>
#include <optional>
#include <vector>

class ReadingsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Number = 0, Name, Address, Date, Previous, Current, Consumption, Energy, Remark, Columns };

    ReadingsModel(RecordTable& table, bool readOnly, QObject* parent = nullptr);

    // The month and the order of the rows (record numbers). A closed month is shown in the closed
    // colour and takes nothing.
    void show(int year, int month, std::vector<int> order, bool closed = false);
    bool isClosed() const { return m_closed; }
    int year() const { return m_year; }
    int month() const { return m_month; }
    const std::vector<int>& order() const { return m_order; }
    int record(int row) const { return m_order[std::size_t(row)]; }
    int rowOf(int record) const;
    const readings::RowView& view(int row) const;

    // Stores the date and reading of a row's month and shows the row again; false for a year the
    // table does not hold.
    bool store(int row, const std::string& date, const std::string& current);
    // Moves a row one place up or down in the order; false at the ends.
    bool moveRow(int row, int delta);
    // Called with the record before a row's month is stored into it.
    std::function<void(int record)> beforeStore;
    // The rows read again from the table.
    void refresh();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    // A row's month went into the record table.
    void stored(int record);

private:
    RecordTable& m_table;
    bool m_readOnly;
    bool m_closed = false;
    int m_year = 0;
    int m_month = 0;
    std::vector<int> m_order;
    mutable std::vector<std::optional<readings::RowView>> m_rows;
};
