#pragma once

// The main window Form1: the subscriber and year selectors, the yearly sheet of the chosen
// subscriber, the picture buttons and menus that lead to the other windows, and the autosave.

#include "accounts/month_closing_window.h"
#include "sheet/sheet_calculation.h"

#include <QMainWindow>
#include <array>
#include <functional>
#include <vector>

class AppState;
class Program;
class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class PictureButtonFrame;
class QLabel;
class QMenu;
class QTimer;
class QToolButton;
class SheetCell;
class SheetView;
struct ShownSheet;
class MonthLabel;
namespace sheet {
struct CellEdit;
}

class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    Form1(AppState& state, Program& program, QWidget* parent = nullptr);
    ~Form1() override;

    // The load of the window, in its fixed order. False when the database could not be loaded and
    // the program must end (the messages have been shown).
    bool Form_Load();

    bool OPFILE1();
    void CLEAR1();
    void ZAPOLNIT();
    void SAVE();
    void VICHISLIT();
    void ApplyTableColours();
    void SetComboHeight(QComboBox* combo, int height);

    // The sheet's commands of the "Инструменты" menu: month-end dates, street-lighting hours and
    // days filled in or cleared.
    void Menu_Tools_Date_Click();
    void Menu_Tools_PostChUlOsv_Click();
    void Menu_Tools_DelChUlOsv_Click();
    // The quick copy: the value into element b of month m of the chosen year of every record.
    void FineCopy(const QString& value, int m, int b);

    // A finding of the readings check: that subscriber and year on the sheet, the focus in the
    // month's "Текущее".
    void showOnSheet(int record, const QString& year, int month);

    // Autosave: Timer2 and Timer1 alternate, so the file is written every two minutes at most.
    void Timer1_Timer();
    void Timer2_Timer();
    // Timer2 follows AutosaveEnabled at once.
    void updateAutosaveTimer();

    int CurrentRecord = 0;
    bool SheetReady = false;
    // The subscriber name and year text the sheet was last filled with; the selectors' texts may
    // have been typed over since without being chosen.
    const QString& shownSubscriber() const { return m_shownName; }
    const QString& shownYear() const { return m_shownYear; }
    // The last calculation: SheetInputs and SheetResults, as the export reads them.
    const sheet::SheetComputation& lastComputation() const { return m_computation; }

    // Puts the window where it was last hidden or closed (settings "Nastr"), or in the middle of the
    // main screen when that place is on none of the screens now.
    void restorePlace();

    SheetView* sheet() const { return m_sheet; }
    ShownSheet shown() const;
    QComboBox* subscriberSelector() const { return m_cmb[0]; }
    QComboBox* yearSelector() const { return m_cmb[1]; }
    QCheckBox* copyTool(int i) const { return m_ch[i - 1]; } // Ch1 … Ch4
    QTimer* timer1() const { return m_timer1; }
    QTimer* timer2() const { return m_timer2; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenus();
    void afterLeavingCell(const std::function<void()>& action);
    void connectPictureButtons();
    QToolButton* button(int i) const;
    QWidget* buildSelectors();
    QWidget* buildCopyTools();
    void onSelectorChosen();
    void onMonthReleased(MonthLabel* label, Qt::MouseButton button, QPoint globalPosition);
    void onCellChanged(SheetCell* cell);
    void onCellFocusEntered(SheetCell* cell);
    void onCellFocusLeft(SheetCell* cell);
    void onCellMouseReleased(SheetCell* cell, Qt::MouseButton button);
    // The edits of open months go into the cells; false when some fell in a closed month.
    bool setCells(const std::vector<sheet::CellEdit>& edits);
    // The shown year's closed months read-only, in the closed colour.
    void showClosedMonths();
    void openMonthClosing(frmCloseMonth::Mode mode);
    // The menu's sheet commands fill the open months of the year: false, said, when every one
    // is closed.
    bool anyMonthOpen();
    bool yearIsOneOfTheEight();
    // The shown year, when the table holds it.
    std::optional<int> shownHeldYear() const;
    QString heldYearNear(const QString& year) const;
    void onSaveButton();
    void onCalculator();
    void openDirectory();
    void openLedger(bool writeFirst);
    void openSaveSettings();
    void openReceiptsForAll(int month);
    void openColours();
    void openPayee();
    void openChart();
    void openCheck();
    void openSummary();
    // "Показания за месяц": the month's readings of every subscriber, on the shown year.
    void openReadings(int month);
    void openAbout();
    void openHelp();
    void makeBackup();
    void restoreBackup();
    // "Открыть архив…": another copy of the program looks into the archive chosen, read-only.
    void openArchive();
    void fillSubscriberSelector();
    void readStoredSettings();
    void storeSettings();
    void storePlace();

    AppState& m_state;
    Program& m_program;

    SheetView* m_sheet = nullptr;
    std::array<QComboBox*, 2> m_cmb{};
    QLabel* m_lbSch = nullptr;
    QWidget* m_background = nullptr;
    PictureButtonFrame* m_frame1 = nullptr;
    QWidget* m_picButtons = nullptr;
    std::array<QCheckBox*, 4> m_ch{};
    QMenu* m_menuVedomost = nullptr;
    QTimer* m_timer1 = nullptr;
    QTimer* m_timer2 = nullptr;
    sheet::SheetComputation m_computation;
    QString m_shownName;
    QString m_shownYear;
    bool m_computing = false;
};
