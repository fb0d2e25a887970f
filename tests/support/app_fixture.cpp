#include "support/app_fixture.h"

#include "app/main_window.h"
#include "database/database_file.h"
#include "demo_data.h"

#include <QApplication>
#include <QPointer>
#include <QSettings>
#include <QWidget>
#include <cstdio>

AppFixture::AppFixture()
    : clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5))),
      printer(Printer::intoFolder(QString::fromStdString(folder.file("printed")))),
      state({ dialogs, settings, clock, shell, printer }, QString::fromStdString(folder.path().string()))
{
    // Tests of one run share the settings file: each starts from an empty store.
    QSettings(
        QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("tervolin"), QStringLiteral("tervolin"))
        .clear();
    program = std::make_unique<Program>(state);
}

AppFixture::~AppFixture()
{
    program.reset();
    // The windows that the program opens over the main window (the readings check, the ledger, the
    // chart) end with the run's process, not with the program object: here they go with the test,
    // while the state and the folder they use are still there. Left open, they would take events in
    // the next test over a state that is gone.
    QList<QPointer<QWidget>> left;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->parentWidget() && window->isVisible())
            left.append(window);
    }
    // One window may take others with it.
    for (const QPointer<QWidget>& window : left)
        delete window.data();
}

std::string AppFixture::printedPage(int n) const
{
    char name[32];
    std::snprintf(name, sizeof name, "printed/page-%03d.pdf", n);
    return folder.file(name);
}

void AppFixture::writeDatabase(const std::vector<std::vector<std::string>>& records)
{
    std::string bytes;
    for (const auto& record : records)
        bytes += databaseLine(record);
    writeBytes(databasePath(), bytes);
}

void AppFixture::writeDemoDatabase(int subscribers)
{
    RecordTable table;
    DemoOptions options;
    options.subscribers = subscribers;
    fillDemoTable(table, options);
    database::write(databasePath(), table);
}

Form1* AppFixture::start()
{
    if (!program->start())
        return nullptr;
    return program->mainWindow();
}
