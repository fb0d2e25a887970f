#pragma once

// The preview of readings brought in from a file or from the clipboard (frmReadingsImport): every
// line with the subscriber it matched, the reading, the value it would replace and the check's
// remark. Only the lines the treasurer leaves checked go back to the readings window.

#include <QString>
#include <string>
#include <vector>

class AppState;
class QWidget;

namespace readings {
struct Taken
{
    int record = 0;
    std::string reading;
    std::string date;
};
} // namespace readings

// Shows the file dialog, reads, previews; the checked lines, or empty when cancelled or refused.
std::vector<readings::Taken> importReadingsFromFile(AppState& state, QWidget* parent, int year, int month);
// The same for text pasted from the clipboard (one reading per line).
std::vector<readings::Taken> importReadingsFromText(
    AppState& state, QWidget* parent, int year, int month, const QString& text);

// The preview itself, for the two functions above and for the tests that drive it.
#include "sheet/readings_import.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QTableWidget;

class frmReadingsImport : public QDialog
{
    Q_OBJECT

public:
    // `origin`: the file's name or "Буфер обмена", for the title line.
    frmReadingsImport(AppState& state, readings::Source source, int year, int month, const QString& origin,
        QWidget* parent = nullptr);

    const std::vector<readings::Line>& lines() const { return m_lines; }
    // The lines checked now, as the readings window takes them.
    std::vector<readings::Taken> taken() const;

private:
    void buildColumnChoice(QWidget* box);
    void columnsChosen();
    void rematch();
    void fillGrid();
    void lineChecked(int row, int column);

    AppState& m_state;
    readings::Source m_source;
    readings::Columns m_columns;
    int m_year;
    int m_month;
    std::vector<readings::Line> m_lines;
    QTableWidget* m_grid = nullptr;
    QLabel* m_summary = nullptr;
    QComboBox* m_number = nullptr;
    QComboBox* m_name = nullptr;
    QComboBox* m_reading = nullptr;
    QComboBox* m_date = nullptr;
    bool m_filling = false;
};
