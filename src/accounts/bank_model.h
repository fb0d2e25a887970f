#pragma once

// The grid of the bank statement import as a Qt model: one row per incoming payment, with its
// mark, the subscriber and the month it goes to (both chosen from lists), and a note on how it was
// matched or why not.

#include "accounts/bank_import.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <functional>
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
    // A row may be checked when it has a sound sum, a subscriber (or its parts) and a month, and is
    // not in the journal already.
    bool canCheck(int row) const;
    // A row the treasurer may still change: a sound sum, not in the journal.
    bool isOpen(int row) const;

    // Asked before a payment above bank::LargeSum is checked; no answer is a no.
    void setConfirmLarge(std::function<bool(int row)> confirm) { m_confirmLarge = std::move(confirm); }

    // Choosing a subscriber or a month for a row checks it, when it may be; "— не заносить —"
    // unchecks it. A subscriber chosen takes the place of the parts of a split.
    void setRecord(int row, int record);
    void setMonth(int row, const bank::YearMonth& month);
    void setChecked(int row, bool checked);
    // Divides the row's sum between subscribers and checks it; nothing changes, and the reason is
    // given, when the parts are no division of the sum.
    QString setParts(int row, const std::vector<bank::Part>& parts);
    const std::vector<bank::Part>& parts(int row) const { return m_rows[std::size_t(row)].parts; }

    // The checked rows and what each adds to the ledger: a split row one posting per part.
    std::vector<int> checkedRows() const;
    std::vector<bank::Posting> postings(int row) const;

    // The cell's whole text (as the core keeps it); the grid shows its beginning, the tooltip all.
    QString cellText(int row, int column) const;
    // The text a grid cell shows: a statement's line may be megabytes long.
    static constexpr int ShownCharacters = 200;

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
        std::vector<bank::Part> parts;
        bool checked = false;
        bool largeConfirmed = false;
    };
    void rowChanged(int row);
    // Checks the row when it may be checked and, for a large sum, the treasurer agrees.
    void check(int row, bool wanted);

    std::vector<Row> m_rows;
    QStringList m_subscriberChoices;
    fields::YearWindow m_years;
    QStringList m_monthChoices;
    std::function<bool(int row)> m_confirmLarge;
};
