// Every write of the database leaves an entry in the change journal beside it: who, when, what
// wrote, and each field with its old and new text, chained to the entries before.

#include "app/main_window.h"
#include "database/change_log.h"
#include "database/sha256.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"

#include <QTest>
#include <QToolButton>
#include <filesystem>

namespace {

using ChangeJournal = AppFixture;

TEST_F(ChangeJournal, ASaveRecordsEachFieldItChangedWithItsOldAndNewText)
{
    writeDatabase({ { "1", "Иванов И. И.", "уч. 1" } });
    settings.setValue(settings::Main, "Cmb1", "2026");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    SheetCell* cell = form->sheet()->typed(3, fields::CurrentReading);
    cell->setFocus();
    QTest::keyClicks(cell, "12400");
    QTest::keyClick(cell, Qt::Key_S, Qt::ControlModifier);

    const std::string journal = readBytes(folder.file("Tervolin2.log"));
    const changelog::Verification read = changelog::verify(journal, Sha256::of(databaseBytes()));
    ASSERT_EQ(read.status, changelog::Verification::Status::Sound);
    ASSERT_EQ(read.entries.size(), 1u);
    const changelog::Entry& entry = read.entries[0];
    EXPECT_EQ(entry.kind, "Сохранение");
    EXPECT_EQ(entry.time, "06.12.2026 21:05:00");
    EXPECT_FALSE(entry.user.empty());
    bool reading = false;
    for (const changelog::FieldChange& change : entry.changes) {
        EXPECT_EQ(change.record, 1);
        EXPECT_EQ(change.name, "Иванов И. И.");
        if (change.meaning == "Текущее показание") {
            reading = true;
            EXPECT_EQ(change.year, 2026);
            EXPECT_EQ(change.month, 3);
            EXPECT_EQ(change.before, "");
            EXPECT_EQ(change.after, "12400");
        }
    }
    EXPECT_TRUE(reading);

    // A second write follows the first in the chain, naming its own database.
    clock.set(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
    ASSERT_TRUE(state.WriteDatabase());
    const changelog::Verification again
        = changelog::verify(readBytes(folder.file("Tervolin2.log")), Sha256::of(databaseBytes()));
    EXPECT_EQ(again.status, changelog::Verification::Status::Sound);
    EXPECT_EQ(again.entries.size(), 2u);
    EXPECT_TRUE(again.entries[1].changes.empty());
}

TEST_F(ChangeJournal, WhatWroteIsNamedAndAFailedWriteLeavesNoEntry)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    ASSERT_NE(start(), nullptr);
    {
        AppState::Writing writing(
            state, QStringLiteral("Загрузка выписки банка"), QStringLiteral("выписка.txt"));
        state.table.set(1, fields::Address, "уч. 7");
        ASSERT_TRUE(state.WriteDatabase());
    }
    changelog::Verification read
        = changelog::verify(readBytes(folder.file("Tervolin2.log")), Sha256::of(databaseBytes()));
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].kind, "Загрузка выписки банка");
    EXPECT_EQ(read.entries[0].note, "выписка.txt");
    ASSERT_EQ(read.entries[0].changes.size(), 1u);
    EXPECT_EQ(read.entries[0].changes[0].meaning, "Адрес");
    EXPECT_EQ(read.entries[0].changes[0].after, "уч. 7");

    // The database cannot be written: the journal keeps no entry for a write that never happened.
    const std::string before = readBytes(folder.file("Tervolin2.log"));
    std::filesystem::create_directory(filePath(folder.file("Tervolin2.spb.commit")));
    state.table.set(1, fields::Address, "уч. 8");
    EXPECT_FALSE(state.WriteDatabase());
    EXPECT_EQ(readBytes(folder.file("Tervolin2.log")), before);
    EXPECT_EQ(state.table.field(1, fields::Address), "уч. 8");
}

TEST_F(ChangeJournal, ADatabaseChangedOutsideIsSaidOnceAndRecorded)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    ASSERT_NE(start(), nullptr);
    ASSERT_TRUE(state.WriteDatabase());
    program.reset();
    // Another program changes the file.
    writeDatabase({ { "1", "Иванов И. И.", "уч. 99" } });

    program = std::make_unique<Program>(state);
    ASSERT_NE(start(), nullptr);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "База изменена вне программы после 06.12.2026 21:05.");
    const changelog::Verification read
        = changelog::verify(readBytes(folder.file("Tervolin2.log")), Sha256::of(databaseBytes()));
    EXPECT_EQ(read.status, changelog::Verification::Status::Sound);
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[1].kind, "Изменение вне программы");

    // Said once: the next start finds the journal sound.
    program.reset();
    dialogs.shown.clear();
    program = std::make_unique<Program>(state);
    ASSERT_NE(start(), nullptr);
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

TEST_F(ChangeJournal, ABrokenJournalIsKeptAsideAndANewOneBegins)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    ASSERT_NE(start(), nullptr);
    state.table.set(1, fields::Address, "уч. 7");
    ASSERT_TRUE(state.WriteDatabase());
    program.reset();
    std::string journal = readBytes(folder.file("Tervolin2.log"));
    journal.replace(journal.find("уч. 7"), std::string("уч. 7").size(), "уч. 8");
    writeBytes(folder.file("Tervolin2.log"), journal);

    program = std::make_unique<Program>(state);
    ASSERT_NE(start(), nullptr);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_NE(dialogs.shown[0].text.indexOf("Журнал изменений нарушен: запись № 1"), -1)
        << dialogs.shown[0].text.toStdString();
    const std::string aside = folder.file("Tervolin2.log.нарушен-2026-12-06 21-05-00");
    EXPECT_EQ(readBytes(aside), journal);
    const changelog::Verification read
        = changelog::verify(readBytes(folder.file("Tervolin2.log")), Sha256::of(databaseBytes()));
    EXPECT_EQ(read.status, changelog::Verification::Status::Sound);
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].kind, "Журнал нарушен");
}

} // namespace
