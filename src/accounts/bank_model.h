#pragma once

// The grid of the bank statement import as a Qt model: one row per incoming payment, with its
// mark, the subscriber and the month it goes to (both chosen from lists), and a note on how it was
// matched or why not.

#include "accounts/bank_import.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

class BankModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { Mark, Date, Sum, Payer, Purpose, Subscriber, Month, Note, ColumnCount };

    // The payments, the directory's names ("1. Иванов И. И." …, record i at i − 1) and the years the
    // database holds.
    BankModel(std::vector<bank::Payment> payments, QStringList subscribers, fields::YearWindow years,
        QObject* parent = nullptr);

    // The subscriber list: "— не заносить —" first (choice 0), then record i as choice i.
    const QStringList& subscriberChoices() const { return m_subscriberChoices; }
    // "Январь 2020" … "Декабрь 2027" over the years held: the choice is the month's place in time
    // order, −1 for a month of a year not held (a payment taken in before the years moved on).
    const QStringList& monthChoices() const { return m_monthChoices; }
    int monthChoice(const bank::YearMonth& month) const;

    const bank::Payment& payment(int row) const { return m_rows[std::size_t(row)].payment; }
    int record(int row) const { return m_rows[std::size_t(row)].record; }
    std::optional<bank::YearMonth> month(int row) const { return m_rows[std::size_t(row)].month; }
    bool isChecked(int row) const { return m_rows[std::size_t(row)].checked; }
    // A row may be checked when it has a sound sum, a subscriber and a month, and is not in the
    // journal already.
    bool canCheck(int row) const;

    // Choosing a subscriber or a month for a row checks it, when it may be; "— не заносить —"
    // unchecks it.
    void setRecord(int row, int record);
    void setMonth(int row, const bank::YearMonth& month);
    void setChecked(int row, bool checked);

    // The checked rows and what each adds to the ledger.
    std::vector<int> checkedRows() const;
    bank::Posting posting(int row) const;

    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

signals:
    void marksChanged();

private:
    struct Row
    {
        bank::Payment payment;
        int record = 0;
        std::optional<bank::YearMonth> month;
        bool checked = false;
    };
    void rowChanged(int row);

    std::vector<Row> m_rows;
    QStringList m_subscriberChoices;
    fields::YearWindow m_years;
    QStringList m_monthChoices;
};
