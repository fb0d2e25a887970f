// Form1: the menu bar, the month documents' menu over a month's name, and the window's own keys.

#include "app/main_window.h"

#include "app/program.h"
#include "documents/receipt_window.h"
#include "documents/sheet_printout.h"
#include "documents/sheets.h"
#include "platform/clock.h"
#include "reports/log_window.h"
#include "reports/sheet_workbook.h"
#include "session/app_state.h"
#include "sheet/sheet_view.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& keys = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    return action;
}

} // namespace

void Form1::buildMenus()
{
    QMenuBar* bar = menuBar();

    QMenu* directory = bar->addMenu(QStringLiteral("&Справочник"));
    directory->setObjectName(QStringLiteral("Mnu_Spr"));
    connect(addItem(directory, "Mnu_Abonenty", QStringLiteral("&Абоненты"), Qt::CTRL | Qt::Key_D),
        &QAction::triggered, this, [this] { afterLeavingCell([this] { openDirectory(); }); });
    connect(addItem(directory, "Mnu_LicSchet", QStringLiteral("&Лицевой счет"), Qt::CTRL | Qt::Key_L),
        &QAction::triggered, this, [this] { afterLeavingCell([this] { openLedger(false); }); });

    QMenu* tools = bar->addMenu(QStringLiteral("&Инструменты"));
    tools->setObjectName(QStringLiteral("Menu_Tools"));
    connect(addItem(tools, "Menu_Tools_kalc", QStringLiteral("&Калькулятор")), &QAction::triggered, this,
        &Form1::onCalculator);
    connect(addItem(tools, "Menu_Tools_Gr1", QStringLiteral("&График")), &QAction::triggered, this,
        &Form1::openChart);
    connect(addItem(tools, "Menu_Tools_Export_Excel", QStringLiteral("&Экспорт таблицы в Excel")),
        &QAction::triggered, this, [this] { exportSheetWorkbook(m_state, shown()); });
    connect(addItem(tools, "Menu_Tools_Date", QStringLiteral("&Проставить дату (последнее число месяца)")),
        &QAction::triggered, this, &Form1::Menu_Tools_Date_Click);
    connect(addItem(tools, "Menu_Tools_PostChUlOsv",
                QStringLiteral("Поставить &часы и сутки уличного освещения")),
        &QAction::triggered, this, &Form1::Menu_Tools_PostChUlOsv_Click);
    connect(
        addItem(tools, "Menu_Tools_DelChUlOsv", QStringLiteral("&Очистить часы и сутки уличного освещения")),
        &QAction::triggered, this, &Form1::Menu_Tools_DelChUlOsv_Click);
    // The month of the receipts for everyone: the month of today when the sheet shows this year.
    connect(addItem(tools, "Menu_Tools_KvitAll", QStringLiteral("Квитанции &всем абонентам")),
        &QAction::triggered, this, [this] {
            const QDate today = m_state.services.clock.now().date();
            openReceiptsForAll(QString::number(today.year()) == m_shownYear ? today.month() : 1);
        });
    tools->addSeparator();
    connect(addItem(tools, "Menu_Tools_Check", QStringLiteral("П&роверка показаний")), &QAction::triggered,
        this, &Form1::openCheck);
    connect(
        addItem(tools, "Menu_Tools_Readings", QStringLiteral("Показания за &месяц…"), Qt::CTRL | Qt::Key_R),
        &QAction::triggered, this, [this] {
            const QWidget* cell = focusWidget();
            const auto* typed
                = cell && m_sheet->isAncestorOf(cell) ? qobject_cast<const SheetCell*>(cell) : nullptr;
            const QDate today = m_state.services.clock.now().date();
            const int month = typed                            ? typed->month()
                : QString::number(today.year()) == m_shownYear ? today.month()
                                                               : 1;
            afterLeavingCell([this, month] { openReadings(month); });
        });
    connect(addItem(tools, "Menu_Tools_Summary", QStringLiteral("&Сводка за месяц")), &QAction::triggered,
        this, &Form1::openSummary);
    connect(addItem(tools, "Menu_Tools_Log", QStringLiteral("&Журнал изменений")), &QAction::triggered, this,
        [this] { m_program.openOverMainWindow(new frmLog(m_state)); });
    connect(addItem(tools, "Menu_Tools_Close", QStringLiteral("&Закрыть месяц…")), &QAction::triggered, this,
        [this] { afterLeavingCell([this] { openMonthClosing(frmCloseMonth::Mode::Close); }); });
    connect(addItem(tools, "Menu_Tools_Reopen", QStringLiteral("Открыть месяц для &исправления…")),
        &QAction::triggered, this,
        [this] { afterLeavingCell([this] { openMonthClosing(frmCloseMonth::Mode::Reopen); }); });

    QMenu* tuning = bar->addMenu(QStringLiteral("&Настройки"));
    tuning->setObjectName(QStringLiteral("Menu_Tuns"));
    connect(addItem(tuning, "Menu_Tuns_Save", QStringLiteral("&Параметры сохранения")), &QAction::triggered,
        this, &Form1::openSaveSettings);
    connect(addItem(tuning, "Menu_Tuns_Coloor", QStringLiteral("&Цвет таблицы")), &QAction::triggered, this,
        &Form1::openColours);
    connect(addItem(tuning, "Menu_Tuns_Rekv", QStringLiteral("&Реквизиты получателя платежа")),
        &QAction::triggered, this, &Form1::openPayee);
    connect(addItem(tuning, "Menu_Tuns_RCopy", QStringLiteral("Резервное &копирование базы")),
        &QAction::triggered, this, &Form1::makeBackup);
    connect(addItem(tuning, "Menu_Tuns_Vost", QStringLiteral("&Восстановление базы из резервной копии")),
        &QAction::triggered, this, &Form1::restoreBackup);
    connect(addItem(tuning, "Menu_Tuns_Archive", QStringLiteral("Открыть &архив…")), &QAction::triggered,
        this, &Form1::openArchive);

    // The month documents: not in the menu bar, opened over a month's name.
    m_menuVedomost = new QMenu(QStringLiteral("&Сформировать ведомость "), this);
    m_menuVedomost->setObjectName(QStringLiteral("Menu_Vedomost"));
    connect(addItem(m_menuVedomost, "Vedomost", QStringLiteral("Сформировать &ведомость ")),
        &QAction::triggered, this,
        [this] { m_program.openOverMainWindow(statementFrame(m_state, shown())); });
    connect(addItem(m_menuVedomost, "Kvit", QStringLiteral("Сформировать &квитанцию")), &QAction::triggered,
        this, [this] { m_program.openOverMainWindow(receiptFrame(m_state, shown())); });
    connect(addItem(m_menuVedomost, "KvitAll", QStringLiteral("Квитанции всем &абонентам")),
        &QAction::triggered, this,
        [this] { openReceiptsForAll(documents::reportMonthNumber(m_state.ReportMonth)); });
    connect(addItem(m_menuVedomost, "Readings", QStringLiteral("Показания за &месяц…")), &QAction::triggered,
        this, [this] { openReadings(documents::reportMonthNumber(m_state.ReportMonth)); });

    QMenu* help = bar->addMenu(QStringLiteral("&Помощь"));
    help->setObjectName(QStringLiteral("Menu_Hlp"));
    connect(addItem(help, "Menu_Hlp_About", QStringLiteral("&О программе")), &QAction::triggered, this,
        &Form1::openAbout);
    connect(addItem(help, "Menu_Hlp_Hlp1", QStringLiteral("&?"), Qt::Key_F1), &QAction::triggered, this,
        &Form1::openHelp);

    // Saving and printing have no menu item: their keys belong to the window.
    const auto windowKeys = [this](const char* name, const QKeySequence& keys) {
        auto* action = new QAction(this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(keys);
        addAction(action);
        return action;
    };
    connect(windowKeys("Keys_Save", QKeySequence::Save), &QAction::triggered, this,
        [this] { afterLeavingCell([this] { onSaveButton(); }); });
    connect(windowKeys("Keys_Print", QKeySequence::Print), &QAction::triggered, this, [this] {
        afterLeavingCell([this] { printSheet(m_state, *this, *m_sheet, m_shownName, m_shownYear); });
    });
}

void Form1::afterLeavingCell(const std::function<void()>& action)
{
    // A picture button's click takes the focus from the sheet's cell first, which copies and stores
    // what was typed there; a key or a menu item leaves the cell in the same way, and the focus comes
    // back to it while the window stays.
    QPointer<QWidget> cell = focusWidget();
    if (cell && m_sheet->isAncestorOf(cell))
        centralWidget()->setFocus(Qt::ShortcutFocusReason);
    else
        cell = nullptr;
    action();
    if (cell && cell->isVisible())
        cell->setFocus(Qt::ShortcutFocusReason);
}

void Form1::onMonthReleased(MonthLabel* label, Qt::MouseButton button, QPoint globalPosition)
{
    m_state.ReportMonthName = label->text();
    m_state.ReportMonth = label->index();
    if (button == Qt::RightButton)
        m_menuVedomost->popup(globalPosition);
}
