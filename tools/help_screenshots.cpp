// Takes the pictures of the user's guide: starts the program on a prepared program folder (a demo
// database in it) and saves an image of every window it can reach, by the windows' and controls'
// names, into the pictures folder of the guide.
//   help_screenshots <program folder> <pictures folder>
// Run it through tools/help_screenshots.sh, which prepares the folder and a virtual screen. A
// window that cannot be reached (not built into this copy of the program) is reported and skipped.

#include "accounts/bank_import.h"
#include "app/main_window.h"
#include "app/program.h"
#include "database/database_file.h"
#include "demo_data.h"
#include "demo_statement.h"
#include "documents/payee_settings.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"
#include "text/cp1251.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <deque>
#include <functional>

namespace {

constexpr int Pause = 500; // ms for a window to open and lay itself out

class Photographer
{
public:
    Photographer(Program& program, QDir pictures) : m_program(program), m_pictures(std::move(pictures)) { }

    void add(std::function<void()> step) { m_steps.push_back(std::move(step)); }

    void run()
    {
        if (m_steps.empty()) {
            QCoreApplication::exit(m_taken > 0 ? 0 : 1);
            return;
        }
        auto step = std::move(m_steps.front());
        m_steps.pop_front();
        step();
        // Steps go on from a timer, so that a window that runs a loop of its own does not stop them.
        QTimer::singleShot(Pause, [this] { run(); });
    }

    Form1* main() const { return m_program.mainWindow(); }

    static QWidget* window(const char* name)
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name) && w->isVisible())
                return w;
        return nullptr;
    }

    void save(QWidget* w, const QString& file)
    {
        if (!w) {
            std::fprintf(stderr, "  %s: no window, skipped\n", qPrintable(file));
            return;
        }
        const QString path = m_pictures.filePath(file);
        if (w->grab().save(path)) {
            ++m_taken;
            std::printf("  %s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "  %s: cannot be written\n", qPrintable(path));
        }
    }

    void shoot(const char* windowName, const QString& file) { save(window(windowName), file); }

    static void close(const char* windowName)
    {
        if (QWidget* w = window(windowName))
            w->close();
    }

    static bool trigger(QWidget* owner, const char* actionName)
    {
        QAction* action = owner ? owner->findChild<QAction*>(QLatin1String(actionName)) : nullptr;
        if (!action) {
            std::fprintf(stderr, "  menu item %s: not found\n", actionName);
            return false;
        }
        action->trigger();
        return true;
    }

    static bool click(const char* windowName, const char* buttonName)
    {
        QWidget* w = window(windowName);
        auto* button = w ? w->findChild<QAbstractButton*>(QLatin1String(buttonName)) : nullptr;
        if (!button) {
            std::fprintf(stderr, "  button %s of %s: not found\n", buttonName, windowName);
            return false;
        }
        button->click();
        return true;
    }

    // A menu of the main window, opened under its title as the user sees it.
    void shootMenu(const char* menuName, const QString& file)
    {
        Form1* form = main();
        auto* menu = form ? form->findChild<QMenu*>(QLatin1String(menuName)) : nullptr;
        if (!menu) {
            std::fprintf(stderr, "  menu %s: not found\n", menuName);
            return;
        }
        menu->popup(form->mapToGlobal(QPoint(40, 40)));
        QTimer::singleShot(Pause / 2, [this, menu, file] {
            save(menu, file);
            menu->hide();
        });
    }

private:
    Program& m_program;
    QDir m_pictures;
    std::deque<std::function<void()>> m_steps;
    int m_taken = 0;
};

void chooseInCombo(QWidget* window, const char* comboName, int index)
{
    auto* combo = window ? window->findChild<QComboBox*>(QLatin1String(comboName)) : nullptr;
    if (!combo || index >= combo->count())
        return;
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tervolin"));
    QCoreApplication::setApplicationName(QStringLiteral("tervolin"));
    QApplication::setQuitOnLastWindowClosed(false);
    if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans"))) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(9);
        QApplication::setFont(font);
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <program folder> <pictures folder>\n", argv[0]);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    QDir pictures(QString::fromLocal8Bit(argv[2]));
    if (!pictures.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "%s: cannot be made\n", argv[2]);
        return 1;
    }

    // Every question is answered with its default and every file dialog cancelled, so nothing
    // waits for a person; nothing is handed to the desktop.
    ScriptedDialogs dialogs;
    SettingsStore settings;
    SystemClock clock;
    RecordingShell shell;
    Printer printer = Printer::none();
    AppState state({ dialogs, settings, clock, shell, printer }, folder);

    // The sheet opens on the third subscriber's last full year.
    RecordTable table;
    const std::string databasePath = QFile::encodeName(state.databaseFilePath()).toStdString();
    if (database::load(databasePath, table).status != database::LoadResult::Status::Loaded) {
        std::fprintf(stderr, "%s: no database to show\n", qPrintable(state.databaseFilePath()));
        return 1;
    }
    const std::string_view name = table.field(std::min(3, table.recordCount()), fields::FullName);
    settings.setValue(
        settings::Main, QStringLiteral("Cmb0"), QString::fromUtf8(name.data(), qsizetype(name.size())));
    settings.setValue(settings::Main, QStringLiteral("Cmb1"), QStringLiteral("2025"));
    settings.setValue(settings::Main, QStringLiteral("Form1.Ch1"), QStringLiteral("1"));

    Program program(state);
    if (!program.start())
        return 1;

    Photographer p(program, pictures);
    using P = Photographer;

    // The main window and its menus.
    p.add([&] {
        if (Form1* form = p.main())
            form->resize(1320, 760);
    });
    p.add([&] { p.save(p.main(), QStringLiteral("main_window.png")); });
    p.add([&] { p.shootMenu("Mnu_Spr", QStringLiteral("menu_directory.png")); });
    p.add([&] { p.shootMenu("Menu_Tools", QStringLiteral("menu_tools.png")); });
    p.add([&] { p.shootMenu("Menu_Tuns", QStringLiteral("menu_settings.png")); });
    p.add([&] { p.shootMenu("Menu_Hlp", QStringLiteral("menu_help.png")); });
    p.add([&] { p.shootMenu("Menu_Vedomost", QStringLiteral("menu_month.png")); });

    // Settings and about.
    p.add([&] { P::trigger(p.main(), "Menu_Tuns_Save"); });
    p.add([&] {
        p.shoot("frmTunSave", QStringLiteral("save_settings.png"));
        P::close("frmTunSave");
    });
    p.add([&] { P::trigger(p.main(), "Menu_Tuns_Coloor"); });
    p.add([&] {
        p.shoot("frmColor", QStringLiteral("colours.png"));
        P::close("frmColor");
    });
    p.add([&] { P::trigger(p.main(), "Menu_Tuns_Rekv"); });
    p.add([&] {
        // An association's details as a treasurer would type them.
        const documents::PayeeDetails payee = demoPayee();
        const std::pair<const char*, const std::string&> typed[] = { { "txtName", payee.name },
            { "txtAcc", payee.personalAcc }, { "txtBank", payee.bankName }, { "txtBIC", payee.bic },
            { "txtKS", payee.correspAcc }, { "txtINN", payee.payeeInn }, { "txtKPP", payee.kpp } };
        if (QWidget* w = P::window("frmRekv"))
            for (const auto& [box, text] : typed)
                if (auto* edit = w->findChild<QLineEdit*>(QLatin1String(box)))
                    edit->setText(QString::fromStdString(text));
        p.shoot("frmRekv", QStringLiteral("payee.png"));
        P::close("frmRekv");
    });
    p.add([&] { P::trigger(p.main(), "Menu_Hlp_About"); });
    p.add([&] {
        p.shoot("frmAbout", QStringLiteral("about.png"));
        P::close("frmAbout");
    });

    // The chart: one subscriber in two years, and a neighbour beside them.
    p.add([&] { P::trigger(p.main(), "Menu_Tools_Gr1"); });
    p.add([&] {
        QWidget* chart = P::window("frmGr1");
        for (const auto& [subscriber, year] : { std::pair{ 5, 5 }, { 5, 4 }, { 2, 5 } }) {
            chooseInCombo(chart, "Cmb1_0", subscriber);
            chooseInCombo(chart, "Cmb1_1", year);
            if (chart)
                P::click("frmGr1", "CmdDraw");
        }
    });
    p.add([&] {
        p.shoot("frmGr1", QStringLiteral("chart.png"));
        P::close("frmGr1");
    });

    // The month's documents, as a right click on "Ноябрь" on the sheet offers them.
    const auto chooseMonth = [&] {
        state.ReportMonthName = QStringLiteral("Ноябрь");
        state.ReportMonth = 111;
    };
    p.add([&] {
        chooseMonth();
        P::trigger(p.main(), "Vedomost");
    });
    p.add([&] {
        p.shoot("MDIfrmPrint", QStringLiteral("statement.png"));
        P::close("MDIfrmPrint");
    });
    p.add([&] {
        // The receipt with its payment code: the association's details stored.
        documents::storePayee(state.services.settings, demoPayee());
        chooseMonth();
        P::trigger(p.main(), "Kvit");
    });
    p.add([&] {
        p.shoot("MDIfrmPrint", QStringLiteral("receipt.png"));
        P::close("MDIfrmPrint");
    });
    p.add([&] {
        chooseMonth();
        P::trigger(p.main(), "KvitAll");
    });
    p.add([&] {
        p.shoot("frmKvitAll", QStringLiteral("receipts_all.png"));
        P::close("frmKvitAll");
        // The demo bank statement is for an account of its own: the import takes it from there.
        documents::storePayee(state.services.settings, documents::PayeeDetails{});
    });

    // The readings check, with three slips of the kind it is there for typed into 2025.
    p.add([&] {
        RecordTable& t = state.table;
        const auto cell = [](int m, int b) { return fields::monthBase(5, m) + b; };
        if (t.recordCount() >= 12) {
            const std::string previous(t.field(5, cell(3, fields::PreviousReading)));
            t.set(5, cell(3, fields::CurrentReading), std::to_string(std::stol(previous) - 12));
            t.set(8, cell(7, fields::CurrentReading), "");
            t.set(12, cell(10, fields::Tariff), "");
        }
        P::trigger(p.main(), "Menu_Tools_Check");
    });
    p.add([&] { p.shoot("frmCheck", QStringLiteral("check.png")); });
    p.add([&] { P::click("frmCheck", "CmdPrint"); });
    p.add([&] {
        p.shoot("MDIfrmPrint", QStringLiteral("check_print.png"));
        P::close("MDIfrmPrint");
    });
    p.add([&] { P::close("frmCheck"); });

    // The month's summary, with the supplier's figures of the month typed in.
    p.add([&] { P::trigger(p.main(), "Menu_Tools_Summary"); });
    p.add([&] {
        QWidget* summary = P::window("frmSummary");
        for (const auto& [box, figure] :
            { std::pair{ "txtSupplierKwh", "16900" }, { "txtSupplierBill", "132000" } }) {
            if (auto* edit = summary ? summary->findChild<QLineEdit*>(QLatin1String(box)) : nullptr) {
                edit->setText(QString::fromLatin1(figure));
                emit edit->editingFinished();
            }
        }
    });
    p.add([&] { p.shoot("frmSummary", QStringLiteral("summary.png")); });
    p.add([&] { P::click("frmSummary", "CmdPrint"); });
    p.add([&] {
        p.shoot("MDIfrmPrint", QStringLiteral("summary_print.png"));
        P::close("MDIfrmPrint");
    });
    p.add([&] { P::close("frmSummary"); });

    // The personal accounts and the windows they open.
    p.add([&] { P::trigger(p.main(), "Mnu_LicSchet"); });
    p.add([&] { p.shoot("frmRedLS", QStringLiteral("ledger.png")); });
    QSize ledgerSize;
    p.add([&] {
        // A narrow ledger scrolled to its last columns: the names stay.
        if (QWidget* ledger = P::window("frmRedLS")) {
            ledgerSize = ledger->size();
            ledger->resize(760, ledger->height());
            QTimer::singleShot(Pause / 2, ledger, [ledger] {
                if (auto* grid = ledger->findChild<QAbstractScrollArea*>(QStringLiteral("g")))
                    grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
            });
        }
    });
    p.add([&] { p.shoot("frmRedLS", QStringLiteral("ledger_scrolled.png")); });
    p.add([&] {
        if (QWidget* ledger = P::window("frmRedLS"))
            ledger->resize(ledgerSize);
    });
    p.add([&] { P::click("frmRedLS", "Command2"); });
    p.add([&] {
        p.shoot("frmTunLs", QStringLiteral("ledger_settings.png"));
        P::close("frmTunLs");
    });
    p.add([&] { P::click("frmRedLS", "Cmd5"); });
    p.add([&] {
        p.shoot("frmHlp1", QStringLiteral("ledger_keys.png"));
        P::close("frmHlp1");
    });
    p.add([&] { P::click("frmRedLS", "Command3"); });
    p.add([&] {
        p.shoot("MDIfrmPrint", QStringLiteral("ledger_print.png"));
        P::close("MDIfrmPrint");
    });
    p.add([&] {
        // February's statement of the bank, one payment of which went in from an earlier one.
        DemoStatementOptions options;
        options.payments = 14;
        options.month = 2;
        const std::string text = demoStatement(state.table, options);
        const QString statementPath = QDir(folder).filePath(QStringLiteral("выписка.txt"));
        const std::string path = QFile::encodeName(statementPath).toStdString();
        database::writeFile(path, cp1251::encode(text));
        bank::ReadResult read = bank::readStatementFile(path);
        const bank::Import import
            = bank::prepareImport(read.statement, state.table, {}, read.statement.account);
        for (std::size_t i = 3; i < import.payments.size(); ++i) {
            const bank::Payment& earlier = import.payments[i];
            if (!earlier.matched)
                continue;
            bank::Journal journal;
            journal.add({ earlier.key, earlier.record, earlier.month->year, earlier.month->month,
                "28.01.2026", bank::journalText(state.table.field(earlier.record, fields::FullName)) });
            bank::writeJournal(bank::journalPath(databasePath), journal);
            break;
        }
        dialogs.fileNames.push_back(statementPath);
        P::click("frmRedLS", "CmdBank");
    });
    p.add([&] {
        p.shoot("frmBank", QStringLiteral("bank.png"));
        P::close("frmBank");
    });
    p.add([&] {
        // On to December, where the carry-over to the next year is offered.
        int months = 0;
        while (months < 11 && P::click("frmRedLS", "CmdRight"))
            ++months;
    });
    p.add([&] { P::click("frmRedLS", "CmdDebtors"); });
    p.add([&] { p.shoot("frmDebtors", QStringLiteral("debtors.png")); });
    p.add([&] { P::click("frmDebtors", "CmdPrint"); });
    p.add([&] {
        p.shoot("MDIfrmPrint", QStringLiteral("debtors_print.png"));
        P::close("MDIfrmPrint");
    });
    p.add([&] { P::close("frmDebtors"); });
    p.add([&] { P::click("frmRedLS", "CmdPerenos"); });
    p.add([&] {
        p.shoot("frmPerenos", QStringLiteral("carry_over.png"));
        P::close("frmPerenos");
    });
    p.add([&] { P::close("frmRedLS"); });

    // The directory: the main window closes while it is open and comes back when it closes.
    p.add([&] { P::trigger(p.main(), "Mnu_Abonenty"); });
    p.add([&] { p.shoot("frmSpr", QStringLiteral("directory.png")); });
    p.add([&] { P::click("frmSpr", "Cmd1"); });
    p.add([&] {
        p.shoot("frmAdd", QStringLiteral("directory_add.png"));
        P::close("frmAdd");
    });
    p.add([&] {
        QWidget* directory = P::window("frmSpr");
        auto* grid = directory ? directory->findChild<QAbstractItemView*>(QStringLiteral("g")) : nullptr;
        if (grid && grid->model() && grid->model()->rowCount() > 2) {
            const QModelIndex index = grid->model()->index(2, 1);
            grid->setCurrentIndex(index);
            emit grid->clicked(index);
            P::click("frmSpr", "Cmd2");
        }
    });
    p.add([&] {
        p.shoot("frmRedakt", QStringLiteral("directory_edit.png"));
        P::close("frmRedakt");
    });
    p.add([&] { P::close("frmSpr"); });

    // The end: the main window closes as the close box would.
    p.add([&] {
        if (Form1* form = p.main())
            form->close();
    });

    QTimer::singleShot(Pause, [&] { p.run(); });
    const int code = app.exec();
    settings.sync();
    return code;
}
