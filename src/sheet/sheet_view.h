#pragma once

// The yearly sheet on the main window: column captions, the twelve month rows of typed cells
// (txt1 … txt12, elements 0 … 8 shown and 9 hidden) and computed cells (txtR1 … txtR12), the
// totals row txtR13, the month names lbl1(101 … 112) on their row bands Shape1(0 … 11).

#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QWidget>
#include <array>

class QGridLayout;

// A typed cell of the sheet. It reports what happens to it; the main window decides what follows.
class SheetCell : public QLineEdit
{
    Q_OBJECT
public:
    SheetCell(int month, int element, QWidget* parent);
    int month() const { return m_month; }
    int element() const { return m_element; }

signals:
    void focusEntered(SheetCell* cell);
    // The focus went to another control of the window: the cell has been left.
    void focusLeft(SheetCell* cell);
    // Another window or a menu took the focus; the cell still holds it within its window.
    void focusSuspended(SheetCell* cell);
    void keyDown(SheetCell* cell, int key);
    void mouseReleased(SheetCell* cell, Qt::MouseButton button);

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_month;
    int m_element;
};

// A month name at the left of its row: bold while the mouse is over it, and it reports releases
// of the mouse buttons (the right one opens the month's documents).
class MonthLabel : public QLabel
{
    Q_OBJECT
public:
    MonthLabel(int index, const QString& caption, QWidget* parent);
    int index() const { return m_index; }
    void setBold(bool bold);

signals:
    void released(MonthLabel* label, Qt::MouseButton button, QPoint globalPosition);

protected:
    void enterEvent(QEnterEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int m_index;
};

class SheetView : public QWidget
{
    Q_OBJECT
public:
    explicit SheetView(QWidget* parent = nullptr);

    // Month m = 1 … 12, element b = 0 … 9.
    SheetCell* typed(int m, int b) const { return m_typed[m - 1][b]; }
    // Row 1 … 12 for the months, 13 for the year totals; element c = 0 … 7.
    QLineEdit* computed(int row, int c) const { return m_computed[row - 1][c]; }
    MonthLabel* monthLabel(int m) const { return m_monthLabels[m - 1]; }
    QWidget* band(int index) const { return m_bands[index]; }

    // Empties elements 0 … 8 of the typed cells and every computed cell; the hidden cells keep
    // their texts. Like setShownTexts, it reports no cellChanged: the fill computes the sheet once
    // when it is complete.
    void clear();
    // The texts of elements 0 … 8, with the separators corrected as if typed.
    void setShownTexts(const sheet::SheetTexts& texts);
    sheet::SheetTexts texts() const;
    // The computed cells and the hidden month charges, written only where they change.
    void showComputed(const sheet::SheetComputation& computation);

    void applyColours(quint32 odd, quint32 even);
    // The background of a typed cell as it is when the cell is not focused.
    void paintCell(SheetCell* cell, quint32 colour);
    quint32 rowColour(int m) const;
    // Months whose typed cells are read-only and shown in the closed colour (closed[m - 1]).
    void setClosedMonths(const std::array<bool, sheet::Months>& closed);
    bool isClosedMonth(int m) const { return m_closed[std::size_t(m - 1)]; }
    void unboldMonths();

signals:
    // A typed cell's text changed, by the user or the program; its separators are already right.
    void cellChanged(SheetCell* cell);
    void cellFocusEntered(SheetCell* cell);
    void cellFocusLeft(SheetCell* cell);
    void cellKeyDown(SheetCell* cell, int key);
    void cellMouseReleased(SheetCell* cell, Qt::MouseButton button);
    void monthReleased(MonthLabel* label, Qt::MouseButton button, QPoint globalPosition);

private:
    void buildCaptions(QGridLayout* grid);
    void moveFocus(SheetCell* cell, int key);
    void onTextChanged(SheetCell* cell, const QString& text);
    void onFocusChanged(QWidget* old, QWidget* now);

    std::array<std::array<SheetCell*, sheet::TypedElements>, sheet::Months> m_typed{};
    std::array<std::array<QLineEdit*, sheet::ComputedElements>, sheet::Months + 1> m_computed{};
    std::array<MonthLabel*, sheet::Months> m_monthLabels{};
    std::array<QWidget*, sheet::Months> m_bands{};
    quint32 m_odd = 0;
    quint32 m_even = 0;
    std::array<bool, sheet::Months> m_closed{};
    bool m_filling = false;
    QPointer<SheetCell> m_suspended;
};

// The sheet as the main window shows it: whose it is, which year, its cells and its last
// calculation. The documents and the export read it; they never reach the main window itself.
struct ShownSheet
{
    const SheetView& view;
    QString subscriber;
    QString year;
    const sheet::SheetComputation& computation;
};
