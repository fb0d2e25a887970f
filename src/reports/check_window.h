#pragma once

// frmCheck "Проверка показаний": the findings of the readings check for a year, all months or one,
// with the count of each kind above the grid. A double click (or Enter) on a finding closes the
// window and shows that subscriber's month on the main sheet.

#include "reports/report_window.h"
#include "sheet/reading_check.h"

#include <array>

class QComboBox;
class QLabel;

class frmCheck : public ReportWindow
{
    Q_OBJECT
public:
    // Opens on the year shown on the main sheet, all months.
    frmCheck(AppState& state, const QString& year, QWidget* parent = nullptr);

    QComboBox* yearSelector() const { return m_year; }
    QComboBox* monthSelector() const { return m_month; }
    QLabel* countLabel(int kind) const { return m_counts[std::size_t(kind)]; }
    QLabel* totalLabel() const { return m_total; }
    const sheet::ReadingCheck& findings() const { return m_check; }

    // Checks the chosen year and months again.
    void Check();
    // The finding in grid row r: the window closes and the sheet shows its month.
    void jumpTo(int row);

signals:
    void showOnSheet(int record, const QString& year, int month);

protected:
    QString fileName() const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString yearText() const;
    QString monthText() const;

    QComboBox* m_year = nullptr;
    QComboBox* m_month = nullptr;
    std::array<QLabel*, sheet::FindingKinds> m_counts{};
    QLabel* m_total = nullptr;
    sheet::ReadingCheck m_check;
};
