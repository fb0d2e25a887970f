#pragma once

// The rows of the directory grid: model row r − 1 is record r of the record table, with its
// number and the five directory fields, and each row's background (normal, yellow for the chosen
// subscriber, light cyan for a find result).

#include <QAbstractTableModel>
#include <vector>

class RecordTable;

enum class RowMark : unsigned char { None, Selected, Found };

class DirectoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int ColumnCount = 6;

    explicit DirectoryModel(const RecordTable& table, QObject* parent = nullptr);

    // Takes the records 1 … recordCount afresh, every row unmarked.
    void reload();
    // The record's texts changed in the table.
    void recordChanged(int record);

    RowMark mark(int record) const;
    void setMark(int record, RowMark mark);
    // Every row marked so goes back to normal.
    void clearMarks(RowMark mark);
    // Marks many rows and repaints once.
    void markRecords(const std::vector<int>& records, RowMark mark);

    // The caption of the column with the blanks that set its first width: before the operator sets
    // the widths, each column is as wide as its padded caption.
    static QString paddedCaption(int column);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void repaintRows(int firstRecord, int lastRecord);

    const RecordTable& m_table;
    int m_rows = 0;
    std::vector<RowMark> m_marks; // by record number; element 0 unused
};
