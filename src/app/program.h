#pragma once

// The program's run: one copy per database (and any number looking into archives), the main
// window and the windows it hands over to, and the end of the run.

#include "platform/instance_lock.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <optional>

class AppState;
class Form1;
class frmSpr;
class QWidget;

class Program : public QObject
{
    Q_OBJECT
public:
    explicit Program(AppState& state, QObject* parent = nullptr);
    ~Program() override;

    // Takes the database for this run and opens the main window; an archive is opened without
    // being taken. False when the program must end at once (another copy holds the database, the
    // lock cannot be taken, or the database could not be loaded).
    bool start();

    // A new main window, which loads the database file afresh. False when the load failed; the
    // program has then been ended.
    bool showMainWindow();
    Form1* mainWindow() const;

    // A working window opened from the main window (ledger, chart, documents): the main window is
    // hidden while it is open and shown again once it has closed.
    void openOverMainWindow(QWidget* window);

    // Called by the main window once its close has stored and written everything. When it closed
    // to open the directory, the directory takes over.
    void mainWindowClosed(bool directoryOpening);
    // The directory while it is open.
    frmSpr* directoryWindow() const;

    // Ends the run at once, without any window's close handling.
    void endProgram(int exitCode);
    bool ended() const { return m_ended; }
    int exitCode() const { return m_exitCode; }

    // Log-out, shutdown or Ctrl+C: the windows close as their close boxes would, so that what was
    // typed is stored and written, and the run ends. When the database cannot be written, the
    // table goes to an emergency copy (named at the next start) and the run ends all the same.
    void terminate();

private:
    void openDirectory();
    void directoryClosed();

    AppState& m_state;
    InstanceLock m_lock;
    QPointer<Form1> m_main;
    QPointer<Form1> m_closedMain; // closed for the directory, not yet deleted
    QPointer<frmSpr> m_directory;
    bool m_ended = false;
    int m_exitCode = 0;
    bool m_terminating = false;
};

// The archive a run is to look into: the path after "--archive" (or "--archive=PATH"), empty
// when the option has none; nothing when the run is on the working database.
std::optional<QString> archiveArgument(const QStringList& arguments);

// The whole program: what main() runs; "tervolin --archive PATH" looks into an archive read-only.
int runTervolin(int argc, char** argv);
