#include "app/main_window.h"

#include "accounts/ledger_window.h"
#include "app/automatic_backup.h"
#include "app/backup.h"
#include "app/colour_window.h"
#include "app/payee_window.h"
#include "app/program.h"
#include "app/save_settings_window.h"
#include "app/window_place.h"
#include "database/database_file.h"
#include "documents/receipt_batch_window.h"
#include "documents/receipt_window.h"
#include "documents/sheet_printout.h"
#include "documents/sheets.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_places.h"
#include "platform/icons.h"
#include "platform/picture_buttons.h"
#include "platform/read_only_input.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "reports/about_window.h"
#include "reports/chart_window.h"
#include "reports/help_command.h"
#include "reports/log_window.h"
#include "reports/sheet_workbook.h"
#include "reports/summary_window.h"
#include "session/app_state.h"
#include "session/year_selector.h"
#include "sheet/check_window.h"
#include "sheet/readings_window.h"
#include "sheet/sheet.h"
#include "sheet/sheet_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The picture buttons in their order on the frame, with the hint Label1(i) of each.
constexpr std::array<PictureButton, 8> PictureButtons = { {
    { "Cmd6", "Сохранить ", Picture::Save },
    { "Command1", "Печать", Picture::Print },
    { "Cmd1", "Справочник", Picture::Directory },
    { "Cmd2", "Л. счет", Picture::Ledger },
    { "Cmd3", "Калькулятор", Picture::Calculator },
    { "Cmd4", "График", Picture::Chart },
    { "Command6", "Экспорт", Picture::Export },
    { "Cmd5", "Помощь", Picture::Help },
} };

constexpr int SaveButton = 0;
constexpr int PrintButton = 1;
constexpr int DirectoryButton = 2;
constexpr int LedgerButton = 3;
constexpr int CalculatorButton = 4;
constexpr int ChartButton = 5;
constexpr int ExportButton = 6;
constexpr int HelpButton = 7;

constexpr int TimerInterval = 60000;
constexpr int MinimumWidth = 1024;

// The window's place in the settings, as four numbers in pixels and whether it was maximised.
const QString PlaceLeft = QStringLiteral("Form1.Left");
const QString PlaceTop = QStringLiteral("Form1.Top");
const QString PlaceWidth = QStringLiteral("Form1.Width");
const QString PlaceHeight = QStringLiteral("Form1.Height");
const QString PlaceMaximized = QStringLiteral("Form1.Maximized");

const QStringList CopyToolCaptions = {
    QStringLiteral("Автозаполнение последн. показ. сч-ка"),
    QStringLiteral("Копировать мощн. ул. осв."),
    QStringLiteral("Копировать потери"),
    QStringLiteral("Копировать тариф"),
};

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QAction* addItem(QMenu* menu, const char* name, const QString& caption, const QKeySequence& keys = {})
{
    QAction* action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(keys);
    return action;
}

// A stored colour: its decimal text, or the default for an empty or unreadable one.
quint32 storedColour(const SettingsStore& store, const QString& key, quint32 defaultValue)
{
    const QString text = store.value(settings::Main, key, QString::number(defaultValue)).trimmed();
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (text.isEmpty() || !ok || value < 0 || value > 0xFFFFFF)
        return defaultValue;
    return quint32(value);
}

int storedInteger(const SettingsStore& store, const QString& key, int defaultValue)
{
    bool ok = false;
    const int value = store.value(settings::Main, key, QString::number(defaultValue)).trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

bool storedBoolean(const SettingsStore& store, const QString& key, bool defaultValue)
{
    const QString text = store.value(settings::Main, key).trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? number != 0 : defaultValue;
}

// The database file could not be written at the close of the program: a copy elsewhere is
// offered, then a close without saving. True when the window may close.
bool mayCloseUnwritten(AppState& state)
{
    // On the way to the directory the window simply stays. At a signal nobody may answer: the
    // end of the run keeps the table in an emergency copy.
    if (state.DirectoryOpening || state.endingOnSignal)
        return false;
    // No autosave tick starts another failing write while the questions are open.
    AppState::FileBusy busy(state);
    Dialogs& dialogs = state.services.dialogs;
    for (;;) {
        const Answer copy
            = dialogs.message({ QStringLiteral("Не удалось сохранить базу. Сохранить копию в другое место?"),
                QString(), MessageIcon::Question, MessageButtons::YesNo, Answer::Yes });
        if (state.endingOnSignal)
            return false;
        if (copy == Answer::Yes) {
            // A cancelled dialog or a copy that failed (it says so) comes back to the question.
            if (backup::makeBackup(state))
                return true;
            if (state.endingOnSignal)
                return false;
            continue;
        }
        const bool closeAnyway = dialogs.askYesNo(
            QStringLiteral("Закрыть программу без сохранения?"), QString(), MessageIcon::Question);
        return closeAnyway && !state.endingOnSignal;
    }
}

} // namespace

Form1::Form1(AppState& state, Program& program, QWidget* parent)
    : QMainWindow(parent), m_state(state), m_program(program)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(m_state.windowTitle(QStringLiteral("Терволин, оплата электричества")));
    setAttribute(Qt::WA_DeleteOnClose);

    // Narrower than the sheet needs, the window scrolls sideways rather than squeeze its captions.
    auto* scroller = new QScrollArea(this);
    scroller->setObjectName(QStringLiteral("sheetScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    // A click beside the sheet leaves the focus in its cell, as on the window's free area.
    scroller->setFocusPolicy(Qt::NoFocus);
    scroller->setMouseTracking(true);
    scroller->installEventFilter(this);
    setCentralWidget(scroller);
    auto* central = new QWidget(scroller);
    central->setObjectName(QStringLiteral("background"));
    central->setMouseTracking(true);
    central->installEventFilter(this);
    m_background = central;

    auto* top = new QHBoxLayout;
    // A click on a picture button takes the focus, so that the sheet's cell is left (and stored)
    // before the button acts: the ledger and the chart then read what was just typed.
    m_frame1 = new PictureButtonFrame(
        PictureButtons, QStringLiteral("Label1"), PictureButtonFrame::Focus::TakeOnClick, central);
    connectPictureButtons();
    top->addWidget(m_frame1);
    top->addSpacing(12);
    top->addWidget(buildCopyTools(), 0, Qt::AlignVCenter);
    top->addStretch(1);

    m_sheet = new SheetView(central);
    m_sheet->setMouseTracking(true);
    m_sheet->installEventFilter(this);
    connect(m_sheet, &SheetView::monthReleased, this, &Form1::onMonthReleased);
    connect(m_sheet, &SheetView::cellChanged, this, &Form1::onCellChanged);
    connect(m_sheet, &SheetView::cellFocusEntered, this, &Form1::onCellFocusEntered);
    connect(m_sheet, &SheetView::cellFocusLeft, this, &Form1::onCellFocusLeft);
    connect(m_sheet, &SheetView::cellMouseReleased, this, &Form1::onCellMouseReleased);
    if (m_state.archiveView()) {
        for (int m = 1; m <= sheet::Months; ++m) {
            for (int b = 0; b < sheet::ShownElements; ++b)
                refuseChanges(m_sheet->typed(m, b), [this] { m_state.refuseInArchive(); });
        }
    } else {
        // A closed month's cells are read-only: typing into one says why and how to open it.
        for (int m = 1; m <= sheet::Months; ++m) {
            for (int b = 0; b < sheet::ShownElements; ++b) {
                explainWhileReadOnly(m_sheet->typed(m, b), [this, m] {
                    if (const std::optional<int> year = shownHeldYear())
                        m_state.refuseInClosedMonth(*year, m);
                });
            }
        }
    }

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(8, 6, 8, 8);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addWidget(buildSelectors());
    // A taller window leaves the rows as they are: the room goes below the sheet.
    layout->addWidget(m_sheet);
    layout->addStretch(1);
    scroller->setWidget(central);
    setMinimumWidth(MinimumWidth);

    buildMenus();
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    m_state.notices.showIn(statusBar());

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(TimerInterval);
    connect(m_timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    m_timer2 = new QTimer(this);
    m_timer2->setObjectName(QStringLiteral("Timer2"));
    m_timer2->setInterval(TimerInterval);
    connect(m_timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);

    // Enabled once there is something to save; in an archive its click says why nothing is saved.
    button(SaveButton)->setEnabled(m_state.archiveView());
}

Form1::~Form1() = default;

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

void Form1::connectPictureButtons()
{
    connect(button(SaveButton), &QToolButton::clicked, this, &Form1::onSaveButton);
    connect(button(PrintButton), &QToolButton::clicked, this,
        [this] { printSheet(m_state, *this, *m_sheet, m_shownName, m_shownYear); });
    connect(button(CalculatorButton), &QToolButton::clicked, this, &Form1::onCalculator);
    connect(button(DirectoryButton), &QToolButton::clicked, this, &Form1::openDirectory);
    connect(button(LedgerButton), &QToolButton::clicked, this, [this] { openLedger(true); });
    connect(button(ChartButton), &QToolButton::clicked, this, &Form1::openChart);
    connect(
        button(ExportButton), &QToolButton::clicked, this, [this] { exportSheetWorkbook(m_state, shown()); });
    connect(button(HelpButton), &QToolButton::clicked, this, &Form1::openHelp);
}

QWidget* Form1::buildSelectors()
{
    auto* row = new QWidget(m_background);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);

    const auto label = [row](int index, const QString& text) {
        auto* l = new QLabel(text, row);
        l->setObjectName(QStringLiteral("lbl1_%1").arg(index));
        return l;
    };
    for (int i = 0; i < 2; ++i) {
        auto* combo = new QComboBox(row);
        combo->setObjectName(QStringLiteral("Cmb1_%1").arg(i));
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        connect(combo, &QComboBox::activated, this, &Form1::onSelectorChosen);
        m_cmb[i] = combo;
    }
    m_cmb[0]->setMinimumWidth(280);
    // The selector's width follows the window, not its longest name: measuring every name on the first
    // show costs as much as the names are long.
    m_cmb[0]->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cmb[0]->setMinimumContentsLength(24);
    m_cmb[1]->setMinimumWidth(80);
    m_lbSch = new QLabel(row);
    m_lbSch->setObjectName(QStringLiteral("LbSch"));

    layout->addWidget(label(19, QStringLiteral("Абонент ")));
    layout->addWidget(m_cmb[0], 3);
    layout->addSpacing(16);
    layout->addWidget(label(20, QStringLiteral("Год")));
    layout->addWidget(m_cmb[1]);
    layout->addSpacing(16);
    layout->addWidget(label(33, QStringLiteral("Счетчик: ")));
    layout->addWidget(m_lbSch, 2);
    return row;
}

QWidget* Form1::buildCopyTools()
{
    m_picButtons = new QWidget(m_background);
    m_picButtons->setObjectName(QStringLiteral("picButtons"));
    auto* grid = new QGridLayout(m_picButtons);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < 4; ++i) {
        auto* box = new QCheckBox(CopyToolCaptions[i], m_picButtons);
        box->setObjectName(QStringLiteral("Ch%1").arg(i + 1));
        m_ch[i] = box;
        grid->addWidget(box, i % 2, i / 2);
    }
    return m_picButtons;
}

bool Form1::Form_Load()
{
    m_state.FieldsPerRecord = fields::PerRecord;
    m_state.DirectoryOpening = false;
    SheetReady = false;

    if (!OPFILE1())
        return false;
    SetComboHeight(m_cmb[0], 400);
    addHeldYears(*m_cmb[1], m_state.table.years());

    readStoredSettings();
    updateAutosaveTimer();

    const RecordTable& table = m_state.table;
    const std::string shownName = m_cmb[0]->currentText().toStdString();
    if (sheet::findRecord(table, shownName, 0) == 0)
        m_cmb[0]->setEditText(QString());

    SettingsStore& store = m_state.services.settings;
    for (int i = 0; i < 4; ++i)
        m_ch[i]->setChecked(storedInteger(store, QStringLiteral("Form1.Ch%1").arg(i + 1), 0) == 1);
    m_state.LedgerMonthIndex = 0;

    if (m_cmb[0]->currentText().trimmed().isEmpty())
        m_cmb[0]->setEditText(fromStd(table.field(1, fields::FullName)));
    if (m_cmb[1]->currentText().trimmed().isEmpty())
        m_cmb[1]->setEditText(QString::number(table.years().first()));

    ApplyTableColours();
    ZAPOLNIT();
    SheetReady = true;
    VICHISLIT();
    return true;
}

void Form1::readStoredSettings()
{
    const SettingsStore& store = m_state.services.settings;
    m_state.RowColourOdd = storedColour(store, QStringLiteral("Color1"), colours::DefaultOdd);
    m_state.RowColourEven = storedColour(store, QStringLiteral("Color2"), colours::DefaultEven);
    m_state.FocusColour = storedColour(store, QStringLiteral("Color3"), colours::DefaultFocus);

    m_cmb[0]->setEditText(store.value(
        settings::Main, QStringLiteral("Cmb0"), fromStd(m_state.table.field(1, fields::FullName))));
    const QString year
        = store.value(settings::Main, QStringLiteral("Cmb1"), QString::number(m_state.table.years().first()));
    m_cmb[1]->setEditText(heldYearNear(year));

    m_state.AutosaveEnabled = storedInteger(store, QStringLiteral("flSave"), 1);
    m_state.EnterMovesDown = storedBoolean(store, QStringLiteral("flPls"), true);
}

bool Form1::OPFILE1()
{
    using Status = database::LoadResult::Status;
    AppState::FileBusy busy(m_state);
    Dialogs& dialogs = m_state.services.dialogs;
    const QString openFailure = QStringLiteral("Ошибка при открытии файла базы Tervolin2.spb");

    for (;;) {
        const QString path = QDir::toNativeSeparators(m_state.databaseFilePath());
        m_state.DatabasePath = path;
        const std::string filePath = path.toStdString();
        const database::LoadResult result = database::load(filePath, m_state.table);
        switch (result.status) {
        case Status::Loaded: fillSubscriberSelector(); return true;
        case Status::NotFound: {
            // An archive is looked into as it is; a new empty file in its place would be none.
            if (m_state.archiveView()) {
                dialogs.error(QStringLiteral("Архив %1 не найден.").arg(path), QStringLiteral("Архив"));
                return false;
            }
            const Answer answer = dialogs.message(
                { QStringLiteral("Файл базы Tervolin2.spb не найден, хотите создать новый?"),
                    QStringLiteral("Создать новый файл базы?"), MessageIcon::Exclamation,
                    MessageButtons::YesNo, Answer::Yes });
            if (answer != Answer::Yes)
                return false;
            // A database begun after 2027 holds the eight years up to this one.
            const fields::YearWindow years
                = database::yearsForNewDatabase(m_state.services.clock.now().date().year());
            if (!database::create(filePath, m_state.table, years)) {
                // A folder the program cannot write to would ask the same question forever.
                dialogs.message({ QStringLiteral("Ошибка сохранения"), QString(), MessageIcon::None });
                return false;
            }
            continue; // and load the new file from the start
        }
        case Status::Empty:
            dialogs.error(
                QStringLiteral("ФАЙЛ БАЗЫ   %1   ПУСТОЙ!").arg(path), QStringLiteral("Ошибка загрузки"));
            dialogs.message({ openFailure, QString(), MessageIcon::None });
            return false;
        case Status::BadLine:
            dialogs.error(
                QStringLiteral("Строка № %1   файла %2  Содержит ошибку!").arg(result.line).arg(path),
                QStringLiteral("Ошибка формата файла"));
            dialogs.message({ openFailure, QString(), MessageIcon::None });
            return false;
        case Status::TooManyLines:
        case Status::OpenFailed: dialogs.message({ openFailure, QString(), MessageIcon::None }); return false;
        }
    }
}

void Form1::fillSubscriberSelector()
{
    // All names in one insertion: item by item, the selector's completion works through every item
    // again on each insert, which a very long name turns into minutes.
    QStringList names;
    names.reserve(m_state.table.recordCount());
    for (int row = 1; row <= m_state.table.recordCount(); ++row)
        names << fromStd(m_state.table.field(row, fields::FullName));
    m_cmb[0]->clear();
    m_cmb[0]->addItems(names);
}

void Form1::SetComboHeight(QComboBox* combo, int height)
{
    // The drop-down list shows as many entries as fit into the height.
    const int rowHeight = qMax(1,
        combo->view()->sizeHintForRow(0) > 0 ? combo->view()->sizeHintForRow(0)
                                             : combo->fontMetrics().height() + 4);
    combo->setMaxVisibleItems(qMax(1, height / rowHeight));
}

void Form1::CLEAR1()
{
    m_lbSch->clear();
    m_sheet->clear();
}

void Form1::ZAPOLNIT()
{
    CLEAR1();
    m_shownName = m_cmb[0]->currentText();
    m_shownYear = m_cmb[1]->currentText();
    const std::string name = m_shownName.toStdString();
    const std::string year = m_shownYear.toStdString();
    CurrentRecord = sheet::findRecord(m_state.table, name, CurrentRecord);
    m_lbSch->setText(fromStd(m_state.table.field(CurrentRecord, fields::MeterType)));
    if (const auto texts = sheet::readYear(m_state.table, CurrentRecord, year))
        m_sheet->setShownTexts(*texts);
    showClosedMonths();
}

void Form1::SAVE()
{
    button(SaveButton)->setEnabled(true);
    // Into the year the sheet was filled from: a year typed into the selector and not chosen must
    // not receive the twelve months of another year.
    sheet::storeYear(m_state.table, CurrentRecord, m_shownYear.toStdString(), m_sheet->texts());
}

void Form1::VICHISLIT()
{
    // Writing the hidden month charges raises their change handling; that inner run would compute
    // the same texts again, so it is left out.
    if (!SheetReady || m_computing)
        return;
    m_computing = true;
    m_computation = sheet::computeSheet(m_sheet->texts());
    m_sheet->showComputed(m_computation);
    m_computing = false;
}

ShownSheet Form1::shown() const
{
    return ShownSheet{ *m_sheet, m_shownName, m_shownYear, m_computation };
}

void Form1::ApplyTableColours()
{
    m_sheet->applyColours(m_state.RowColourOdd, m_state.RowColourEven);
}

void Form1::updateAutosaveTimer()
{
    // An archive is never written, so there is nothing to save every two minutes.
    if (m_state.AutosaveEnabled != 0 && !m_state.archiveView()) {
        if (!m_timer2->isActive())
            m_timer2->start();
    } else {
        m_timer2->stop();
    }
}

void Form1::Timer2_Timer()
{
    m_timer1->start();
    m_timer2->stop();
}

void Form1::Timer1_Timer()
{
    // Only once the sheet has been stored since the window opened is there anything to write.
    if (button(SaveButton)->isEnabled()) {
        AppState::Writing writing(m_state, QStringLiteral("Автосохранение"));
        m_state.WriteDatabase();
    }
    m_timer1->stop();
    updateAutosaveTimer();
}

void Form1::onSaveButton()
{
    if (m_state.refuseInArchive())
        return;
    SAVE();
    m_state.WriteDatabase();
}

void Form1::onCalculator()
{
    startCalculator(m_state.services.shell, m_state.services.dialogs);
}

void Form1::openLedger(bool writeFirst)
{
    // The ledger shows every subscriber's month charge as stored: the sheet's own first.
    SAVE();
    if (writeFirst)
        m_state.WriteDatabase();
    auto* ledger = new frmRedLS(m_state, m_cmb[1]->currentText());
    ledger->Form_Load();
    m_program.openOverMainWindow(ledger);
}

void Form1::onSelectorChosen()
{
    ZAPOLNIT();
    VICHISLIT();
}

void Form1::onMonthReleased(MonthLabel* label, Qt::MouseButton button, QPoint globalPosition)
{
    m_state.ReportMonthName = label->text();
    m_state.ReportMonth = label->index();
    if (button == Qt::RightButton)
        m_menuVedomost->popup(globalPosition);
}

void Form1::onCellChanged(SheetCell*)
{
    VICHISLIT();
}

void Form1::onCellFocusEntered(SheetCell* cell)
{
    m_sheet->paintCell(cell, m_state.FocusColour);
}

void Form1::openDirectory()
{
    // The close stores the sheet and writes the file; the directory then takes over.
    m_state.DirectoryOpening = true;
    close();
}

void Form1::openReceiptsForAll(int month)
{
    // The receipts are worked out from the records: the sheet's last typing goes there first.
    SAVE();
    auto* window = new frmKvitAll(m_state, *this, m_shownYear, month);
    window->show();
}

void Form1::openSaveSettings()
{
    if (m_state.refuseInArchive())
        return;
    auto* window = new frmTunSave(m_state, *this);
    window->show();
}

void Form1::openColours()
{
    if (m_state.refuseInArchive())
        return;
    auto* window = new frmColor(m_state, *this);
    window->show();
}

void Form1::openPayee()
{
    if (m_state.refuseInArchive())
        return;
    auto* window = new frmRekv(m_state, this);
    window->show();
}

void Form1::openChart()
{
    m_program.openOverMainWindow(new frmGr1(m_state, m_cmb[0]->currentText(), m_cmb[1]->currentText()));
}

void Form1::openCheck()
{
    // The check reads the table: the sheet's own months first.
    SAVE();
    auto* check = new frmCheck(m_state, m_shownYear);
    connect(check, &frmCheck::showOnSheet, this, &Form1::showOnSheet);
    m_program.openOverMainWindow(check);
}

void Form1::openReadings(int month)
{
    // The window stores into the records: the sheet's own months go there first, and the sheet
    // shows what the window stored once it has closed.
    SAVE();
    const int year = shownHeldYear().value_or(m_state.table.years().nearest(m_shownYear.toInt()));
    auto* window = new frmReadings(m_state, year, month);
    connect(window, &frmReadings::closed, this, [this] {
        ZAPOLNIT();
        VICHISLIT();
    });
    m_program.openOverMainWindow(window);
}

void Form1::openSummary()
{
    SAVE();
    m_program.openOverMainWindow(new frmSummary(m_state, m_shownYear));
}

void Form1::showOnSheet(int record, const QString& year, int month)
{
    // The selector lists the records in their order.
    if (record < 1 || record > m_cmb[0]->count() || month < 1 || month > 12)
        return;
    m_cmb[0]->setCurrentIndex(record - 1);
    m_cmb[1]->setCurrentIndex(m_cmb[1]->findText(year));
    ZAPOLNIT();
    VICHISLIT();
    show();
    raise();
    activateWindow();
    m_sheet->typed(month, fields::CurrentReading)->setFocus(Qt::OtherFocusReason);
}

void Form1::openAbout()
{
    auto* window = new frmAbout(*this);
    window->show();
}

void Form1::openHelp()
{
    help::openHelp(m_state);
}

void Form1::makeBackup()
{
    if (m_state.refuseInArchive())
        return;
    backup::makeBackup(m_state);
}

void Form1::restoreBackup()
{
    if (m_state.refuseInArchive())
        return;
    if (!backup::restoreBackup(m_state))
        return;
    // The program ends without this window's close, which would write the old table over the
    // restored file.
    m_timer1->stop();
    m_timer2->stop();
    m_program.endProgram(0);
}

void Form1::openArchive()
{
    Dialogs& dialogs = m_state.services.dialogs;
    SettingsStore& store = m_state.services.settings;
    // The archives are made beside the database: there first, until the user has gone elsewhere.
    QString folder = places::folder(store, places::Kind::Archive);
    if (folder.isEmpty())
        folder = QFileInfo(m_state.databaseFilePath()).absolutePath();
    const std::optional<QString> chosen
        = dialogs.openFileName({ QStringLiteral("Архивы базы (*.spb)|*.spb|Все файлы(*.*)|*.*|"),
            QStringLiteral("*.spb"), QString(), folder });
    if (!chosen)
        return;
    places::remember(store, places::Kind::Archive, *chosen);
    // The other copy reads the settings file: it comes up with the colours and places set here.
    store.sync();
    const QString path = QDir::toNativeSeparators(*chosen);
    if (!m_state.services.shell.startThisProgram({ QStringLiteral("--archive"), path }))
        dialogs.message({ QStringLiteral("Не удалось запустить программу для просмотра архива %1.").arg(path),
            QStringLiteral("Архив"), MessageIcon::Exclamation });
}

QToolButton* Form1::button(int i) const
{
    return m_frame1->button(i);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // The mouse over the window's free area: no hints, no month in bold.
    if (event->type() == QEvent::MouseMove
        && (watched == centralWidget() || watched == m_background || watched == m_sheet)) {
        m_frame1->hideHints();
        m_sheet->unboldMonths();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Form1::restorePlace()
{
    const SettingsStore& store = m_state.services.settings;
    const auto number
        = [&store](const QString& key) { return store.value(settings::Main, key).toStdString(); };
    const std::optional<windowplace::Rect> remembered = windowplace::fromTexts(
        number(PlaceLeft), number(PlaceTop), number(PlaceWidth), number(PlaceHeight));
    // The main screen first: a place on none of them goes to its middle.
    std::vector<windowplace::Rect> screens;
    QList<QScreen*> all = QGuiApplication::screens();
    all.removeOne(QGuiApplication::primaryScreen());
    all.prepend(QGuiApplication::primaryScreen());
    for (const QScreen* screen : all) {
        if (!screen)
            continue;
        const QRect free = screen->availableGeometry();
        screens.push_back({ free.x(), free.y(), free.width(), free.height() });
    }
    // By default the whole sheet shows without scrolling, no wider than it needs (the scroller on
    // its own would ask for far less).
    const QSize content(m_background->minimumSizeHint().width(), m_background->sizeHint().height());
    const int bars = menuBar()->sizeHint().height() + statusBar()->sizeHint().height();
    QSize wanted = QSize(content.width(), content.height() + bars).expandedTo(minimumSize());
    // On a screen narrower than the sheet the window scrolls sideways, and the scroll bar takes
    // room of its own below the year's totals.
    if (!screens.empty() && wanted.width() > screens.front().width) {
        if (const auto* scroller = qobject_cast<QScrollArea*>(centralWidget()))
            wanted.rheight() += scroller->horizontalScrollBar()->sizeHint().height();
    }
    const windowplace::Rect place
        = windowplace::choosePlace(remembered, screens, wanted.width(), wanted.height());
    setGeometry(place.x, place.y, place.width, place.height);
    if (remembered && storedInteger(store, PlaceMaximized, 0) == 1)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void Form1::storePlace()
{
    // A window never shown has no place of its own yet.
    if (!testAttribute(Qt::WA_WState_Created))
        return;
    const QRect place = isMaximized() || isMinimized() ? normalGeometry() : geometry();
    if (place.isEmpty())
        return;
    SettingsStore& store = m_state.services.settings;
    store.setValue(settings::Main, PlaceLeft, QString::number(place.x()));
    store.setValue(settings::Main, PlaceTop, QString::number(place.y()));
    store.setValue(settings::Main, PlaceWidth, QString::number(place.width()));
    store.setValue(settings::Main, PlaceHeight, QString::number(place.height()));
    store.setValue(settings::Main, PlaceMaximized, isMaximized() ? QStringLiteral("1") : QStringLiteral("0"));
}

QString Form1::heldYearNear(const QString& year) const
{
    // A year the database has moved past (or a later one, stored while an archive was open) gives
    // the nearest one held; a text that is no year stays as it is.
    const std::optional<int> stored = fields::parseYear(year.toStdString());
    return stored ? QString::number(m_state.table.years().nearest(*stored)) : year;
}

void Form1::showEvent(QShowEvent* event)
{
    // Back from the ledger whose carry-over opened a new year: the selector lists the years held
    // now, and a sheet of a year that left the database is filled again.
    const QString first = QString::number(m_state.table.years().first());
    if (SheetReady && m_cmb[1]->count() > 0 && m_cmb[1]->itemText(0) != first) {
        const QString shown = heldYearNear(m_cmb[1]->currentText());
        m_cmb[1]->clear();
        addHeldYears(*m_cmb[1], m_state.table.years());
        m_cmb[1]->setEditText(shown);
        ZAPOLNIT();
        VICHISLIT();
    }
    QMainWindow::showEvent(event);
}

void Form1::hideEvent(QHideEvent* event)
{
    // Hidden for the ledger or the chart, or closed: shown again, it comes back to this place.
    if (!event->spontaneous())
        storePlace();
    QMainWindow::hideEvent(event);
}

void Form1::storeSettings()
{
    SettingsStore& store = m_state.services.settings;
    storePlace();
    store.setValue(settings::Main, QStringLiteral("Cmb0"), m_cmb[0]->currentText());
    store.setValue(settings::Main, QStringLiteral("Cmb1"), m_cmb[1]->currentText());
    for (int i = 0; i < 4; ++i)
        store.setValue(
            settings::Main, QStringLiteral("Form1.Ch%1").arg(i + 1), m_ch[i]->isChecked() ? "1" : "0");
    store.sync();
}

void Form1::closeEvent(QCloseEvent* event)
{
    storeSettings();
    // An archive has nothing to store or write: the window simply closes.
    if (!m_state.archiveView()) {
        SAVE();
        if (!m_state.WriteDatabase() && !mayCloseUnwritten(m_state)) {
            // What was typed is only in memory: the window stays, so nothing is lost.
            m_state.DirectoryOpening = false;
            event->ignore();
            return;
        }
        backup::automaticBackup(m_state, backup::Reason::Close);
    }
    event->accept();
    m_timer1->stop();
    m_timer2->stop();
    m_program.mainWindowClosed(m_state.DirectoryOpening);
}
