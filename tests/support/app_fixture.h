#pragma once

// A program folder of its own, the real settings store (in the test's own XDG_CONFIG_HOME),
// scripted dialogs, a fixed clock and a recording shell: what a window test needs around it.

#include "app/program.h"
#include "platform/clock.h"
#include "platform/printer.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"
#include "support/files.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class Form1;

class AppFixture : public ::testing::Test
{
protected:
    AppFixture();
    ~AppFixture() override;

    TempFolder folder;
    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock;
    RecordingShell shell;
    // Pages printed by the windows land in printed/ as PDF files.
    Printer printer;
    AppState state;
    std::unique_ptr<Program> program;

    std::string printedPage(int n) const;
    std::string databasePath() const { return folder.file("Tervolin2.spb"); }
    // A database of these records: each the texts of fields 1, 2, … (the rest empty).
    void writeDatabase(const std::vector<std::vector<std::string>>& records);
    // The demo generator's database of that many subscribers.
    void writeDemoDatabase(int subscribers);
    std::string databaseBytes() const { return readBytes(databasePath()); }

    // Starts the program on the folder; the main window, or null when the start ended the program.
    Form1* start();
    QString setting(const QString& key, const QString& section = settings::Main) const
    {
        return settings.value(section, key, QStringLiteral("<none>"));
    }
};
