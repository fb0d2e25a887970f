#pragma once

// frmLog "Журнал изменений": every change the writes of the database made, one field a row, the
// newest first, narrowed by subscriber, year and month, a range of dates and what wrote; the rows
// shown print and go to a workbook. A journal that does not hold is shown up to where it breaks.

#include "reports/change_history.h"
#include "reports/report_window.h"

class QComboBox;
class QDateEdit;
class QLabel;

class frmLog : public ReportWindow
{
    Q_OBJECT
public:
    explicit frmLog(AppState& state, QWidget* parent = nullptr);

    // More rows than this make the grid slow to fill and the printout endless: the newest are
    // shown, and the window says how many the filters leave.
    static constexpr int MaxShownRows = 10000;

    QComboBox* subscriberSelector() const { return m_subscriber; }
    QComboBox* yearSelector() const { return m_year; }
    QComboBox* monthSelector() const { return m_month; }
    QComboBox* kindSelector() const { return m_kind; }
    QDateEdit* fromDate() const { return m_from; }
    QDateEdit* toDate() const { return m_to; }
    QLabel* noteLabel() const { return m_note; }
    QLabel* countLabel() const { return m_count; }

    // Fills the grid with the rows the filters leave.
    void refill();
    // Narrowed to one subscriber, by the name the database holds.
    void showSubscriber(const QString& fullName);

protected:
    QString fileName() const override;

private:
    void readJournal();
    void fillSelectors();
    history::Filter filter() const;
    std::string coverage(const history::Filter& filter) const;

    history::History m_history;
    QString m_readError;
    QLabel* m_note = nullptr;
    QLabel* m_count = nullptr;
    QComboBox* m_subscriber = nullptr;
    QComboBox* m_year = nullptr;
    QComboBox* m_month = nullptr;
    QComboBox* m_kind = nullptr;
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
};

// A subscriber's history: the journal narrowed to the record's name, in a window of its own over
// the window it was asked from.
void openSubscriberHistory(AppState& state, int record);
