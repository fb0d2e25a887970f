#include "app/program.h"

#include "accounts/side_files.h"
#include "app/automatic_backup.h"
#include "app/backup.h"
#include "app/main_window.h"
#include "database/data_folder.h"
#include "database/database_file.h"
#include "directory/directory_window.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/icons.h"
#include "platform/printer.h"
#include "platform/qt_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "platform/termination_signals.h"
#include "session/app_state.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

Program::Program(AppState& state, QObject* parent) : QObject(parent), m_state(state)
{ }

Program::~Program()
{
    delete m_directory;
    delete m_closedMain;
    delete m_main;
}

namespace {

std::filesystem::path fileSystemPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

// The folder that the database's real file is written in: every write puts a new file there in
// the old one's place.
QString realFolderOf(const QString& databasePath)
{
    const std::string real = files::realPath(QDir::fromNativeSeparators(databasePath).toStdString());
    return QDir::toNativeSeparators(QString::fromStdString(files::folderOf(real)));
}

void tellAboutTheDataFolder(AppState& state, const QString& folder, database::FolderProblem problem)
{
    QString text;
    switch (problem) {
    case database::FolderProblem::None: return;
    case database::FolderProblem::Missing: text = QStringLiteral("Папка данных %1 не найдена."); break;
    case database::FolderProblem::NotAFolder:
        text = QStringLiteral("Папка данных %1 не найдена: на её месте файл.");
        break;
    case database::FolderProblem::NoAccess:
        text = QStringLiteral("Нет доступа на запись к папке данных %1: файл базы в ней нельзя сохранить.");
        break;
    }
    state.services.dialogs.error(text.arg(folder), QStringLiteral("Ошибка запуска"));
}

// A database left in a program folder that cannot be written is not opened: without a word, the
// user would be asked to begin an empty database and think the old one lost.
void tellAboutAnIgnoredDatabase(AppState& state)
{
    if (database::ignoredDatabase(fileSystemPath(state.programFolder), fileSystemPath(state.dataFolder))
            .empty())
        return;
    state.services.dialogs.message(
        { QStringLiteral("В папку программы %1 нельзя записывать, поэтому лежащий в "
                         "ней файл базы Tervolin2.spb не открыт. База хранится в "
                         "папке %2: чтобы работать с прежней базой, скопируйте "
                         "туда её файлы.")
                .arg(QDir::toNativeSeparators(state.programFolder),
                    QDir::toNativeSeparators(state.dataFolder)),
            QStringLiteral("Папка данных"), MessageIcon::Exclamation });
}

} // namespace

bool Program::start()
{
    // An archive is only looked into: nothing is written beside it, not even a lock, and another
    // copy may look into it, or hold the working database, at the same time.
    if (m_state.archiveView())
        return showMainWindow();
    const QString path = QDir::toNativeSeparators(m_state.databaseFilePath());
    const auto refuse = [this] {
        m_lock.release();
        endProgram(1);
        return false;
    };
    // Without its folder (the user's data folder could not be made) there is nothing to lock.
    const QString folder = realFolderOf(path);
    const database::FolderProblem problem = database::folderProblem(fileSystemPath(folder));
    if (problem == database::FolderProblem::Missing || problem == database::FolderProblem::NotAFolder) {
        tellAboutTheDataFolder(m_state, folder, problem);
        return refuse();
    }
    // While another copy runs, this one says so and nothing else.
    if (!m_lock.acquire(path)) {
        m_state.services.dialogs.error(m_lock.refusal(), QStringLiteral("Ошибка запуска"));
        return refuse();
    }
    // Nothing typed could be kept.
    if (problem == database::FolderProblem::NoAccess) {
        tellAboutTheDataFolder(m_state, folder, problem);
        return refuse();
    }
    tellAboutAnIgnoredDatabase(m_state);
    // A write killed half-way leaves its temporary file; only the holder of the lock may clear it.
    database::removeStaleTemporary(path.toStdString());
    // A commit of the database with its side files that was stopped half-way is finished or dropped.
    ledger::recoverSideFiles(m_state);
    ledger::checkChangeJournal(m_state);
    m_state.readClosedMonths();
    backup::tellAboutEmergencyCopy(m_state);
    backup::tellAboutFailedAutomaticBackup(m_state);
    return showMainWindow();
}

bool Program::showMainWindow()
{
    auto* window = new Form1(m_state, *this);
    if (!window->Form_Load()) {
        delete window;
        endProgram(1);
        return false;
    }
    m_main = window;
    window->restorePlace();
    window->show();
    return true;
}

Form1* Program::mainWindow() const
{
    return m_main;
}

void Program::openOverMainWindow(QWidget* window)
{
    window->setAttribute(Qt::WA_DeleteOnClose);
    if (m_main)
        m_main->hide();
    connect(window, &QObject::destroyed, this, [this] {
        if (m_main && !m_ended) {
            m_main->restorePlace();
            m_main->show();
        }
    });
    window->show();
}

void Program::mainWindowClosed(bool directoryOpening)
{
    if (!directoryOpening) {
        endProgram(0);
        return;
    }
    // The closed main window is done with: its sheet must never be stored again over a table that
    // the directory may change.
    m_closedMain = m_main;
    m_main = nullptr;
    openDirectory();
}

frmSpr* Program::directoryWindow() const
{
    return m_directory;
}

void Program::openDirectory()
{
    auto* directory = new frmSpr(m_state);
    m_directory = directory;
    connect(directory, &frmSpr::closed, this, &Program::directoryClosed);
    directory->show();
}

void Program::directoryClosed()
{
    // Every change of the directory is already in the file; at the end of the run there is no
    // main window to load.
    if (m_terminating || m_ended)
        return;
    showMainWindow();
}

void Program::endProgram(int exitCode)
{
    m_ended = true;
    m_exitCode = exitCode;
    QCoreApplication::exit(exitCode);
}

void Program::terminate()
{
    if (m_terminating || m_ended)
        return;
    // From here on no box waits for an answer that may never come, and a failing write asks
    // nothing: the table then goes to an emergency copy.
    m_state.endingOnSignal = true;
    m_state.services.dialogs.answerUnattended();
    // A box waiting for an answer is closed first (its default answer), and the close of the
    // windows comes once the code that asked has finished with the answer.
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->close();
        QTimer::singleShot(0, this, &Program::terminate);
        return;
    }
    m_terminating = true;
    const QList<QWidget*> windows = QApplication::topLevelWidgets();
    for (QWidget* window : windows) {
        if (window != m_main && window->isVisible())
            window->close();
    }
    if (m_main) {
        m_state.DirectoryOpening = false;
        m_main->close();
    }
    m_terminating = false;
    if (m_ended)
        return;
    // The main window refused to close, or a window's write failed on the way: what the table
    // holds is not in the database file. The run ends all the same, the table kept elsewhere.
    if (!m_state.archiveView() && (m_main || m_state.lastWriteFailed()))
        backup::writeEmergencyCopy(m_state);
    endProgram(m_exitCode);
}

std::optional<QString> archiveArgument(const QStringList& arguments)
{
    const QString option = QStringLiteral("--archive");
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == option)
            return i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (arguments[i].startsWith(option + QLatin1Char('=')))
            return arguments[i].mid(option.size() + 1);
    }
    return std::nullopt;
}

int runTervolin(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tervolin"));
    QCoreApplication::setApplicationName(QStringLiteral("tervolin"));
    // No display name: Qt would add it to every window's title, and the titles name the program
    // where they mean to ("Терволин, оплата электричества").
    QApplication::setWindowIcon(programIcon());
    QApplication::setQuitOnLastWindowClosed(false);
    // The standard dialogs (files, colours) speak Russian like the rest of the program.
    QTranslator qtTranslation;
    if (qtTranslation.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslation);
    if (QFontDatabase::families().contains(QStringLiteral("DejaVu Sans"))) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(9);
        QApplication::setFont(font);
    }

    QtDialogs dialogs;
    SettingsStore settings;
    SystemClock clock;
    DesktopShell shell;
    Printer printer;
    AppState state({ dialogs, settings, clock, shell, printer }, QCoreApplication::applicationDirPath());
    if (const std::optional<QString> archive = archiveArgument(QCoreApplication::arguments())) {
        if (archive->isEmpty()) {
            dialogs.error(
                QStringLiteral("Не указан файл архива: tervolin --archive <файл>"), QStringLiteral("Архив"));
            return 1;
        }
        state.viewArchive(*archive);
    } else {
        // Finding the data folder tries a file in the program folder, which may be the archive's.
        const std::filesystem::path dataFolder = database::chooseDataFolder(
            QFile::encodeName(state.programFolder).toStdString(), database::userDataFolder());
        state.dataFolder = QFile::decodeName(dataFolder.string().c_str());
    }
    Program program(state);
    TerminationSignals terminationSignals;
    QObject::connect(
        &terminationSignals, &TerminationSignals::terminationRequested, &program, &Program::terminate);

    if (!program.start())
        return program.exitCode();
    const int code = app.exec();
    settings.sync();
    return code;
}
