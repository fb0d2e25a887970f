// A database file that cannot be written (a full disk, a folder made read-only, a file protected
// from writing) neither loses what was typed nor keeps the program from ending.

#include "app/main_window.h"
#include "database/database_file.h"
#include "support/app_fixture.h"
#include "text/cp1251.h"

#include <QAction>
#include <QDir>
#include <filesystem>

namespace {

const QString CopyQuestion = QStringLiteral("Не удалось сохранить базу. Сохранить копию в другое место?");
const QString CloseQuestion = QStringLiteral("Закрыть программу без сохранения?");

class FailingSave : public AppFixture
{
protected:
    FailingSave() : m_dataHome(qgetenv("XDG_DATA_HOME"))
    {
        // Emergency copies go to the test's own folder, never to the user's.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(folder.file("data")));
    }
    ~FailingSave() override
    {
        if (m_dataHome.isEmpty())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_dataHome);
    }

    // The database's temporary file cannot be made: every write of it fails.
    void blockWrites() const { std::filesystem::create_directory(databasePath() + ".tmp"); }

    // The bytes the table makes as a database file.
    std::string bytesOfTable()
    {
        const std::string path = folder.file("как в памяти.spb");
        EXPECT_TRUE(database::write(path, state.table));
        return readBytes(path);
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Message& m : dialogs.shown)
            result << m.text;
        return result;
    }

    QString shownPath() const { return QDir::toNativeSeparators(QString::fromStdString(databasePath())); }

private:
    QByteArray m_dataHome;
};

TEST_F(FailingSave, TheCloseOffersACopyElsewhereUntilOneIsWritten)
{
    writeDatabase({ { "1", "Иванов И. И." }, { "2", "Петров П. П." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string before = databaseBytes();
    state.table.set(2, fields::Address, "Садовая, 7"); // only in memory so far
    blockWrites();
    const std::string copy = folder.file("на флешке.spb");
    // The dialog cancelled, then a copy into a folder that is not there, then one that works.
    // Every box takes its answer from the queue, the error's OK first.
    dialogs.answers = { Answer::Ok, Answer::Yes, Answer::Yes, Answer::Ok, Answer::Yes };
    dialogs.fileNames = { std::nullopt, QString::fromStdString(folder.file("нет/копия.spb")),
        QString::fromStdString(copy) };

    EXPECT_TRUE(form->close());

    const QString failedCopy = "Не удалось записать резервную копию в файл "
        + QString::fromStdString(folder.file("нет/копия.spb"));
    EXPECT_EQ(
        texts(), QStringList({ "Ошибка сохранения", CopyQuestion, CopyQuestion, failedCopy, CopyQuestion }));
    const Message& question = dialogs.shown[1];
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.defaultAnswer, Answer::Yes);
    EXPECT_EQ(dialogs.fileRequests.size(), 3);
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(program->exitCode(), 0);
    EXPECT_EQ(readBytes(copy), bytesOfTable());
    EXPECT_NE(readBytes(copy).find(cp1251::encode("Садовая, 7")), std::string::npos);
    EXPECT_EQ(databaseBytes(), before);
}

TEST_F(FailingSave, WithoutACopyTheCloseAsksOnceMoreAndNoKeepsTheWindow)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string before = databaseBytes();
    blockWrites();

    dialogs.answers = { Answer::Ok, Answer::No, Answer::No };
    EXPECT_FALSE(form->close());
    EXPECT_EQ(texts(), QStringList({ "Ошибка сохранения", CopyQuestion, CloseQuestion }));
    EXPECT_EQ(dialogs.shown[2].buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialogs.shown[2].defaultAnswer, Answer::No);
    EXPECT_FALSE(program->ended());
    EXPECT_TRUE(form->isVisible());

    // Once the file can be written again, the close writes it and ends as always.
    std::filesystem::remove(databasePath() + ".tmp");
    dialogs.shown.clear();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_TRUE(program->ended());
    EXPECT_NE(databaseBytes(), before); // the sheet's month charges are in it now
}

TEST_F(FailingSave, CloseWithoutSavingEndsAndLeavesTheFile)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string before = databaseBytes();
    blockWrites();
    dialogs.answers = { Answer::Ok, Answer::No, Answer::Yes };
    EXPECT_TRUE(form->close());
    EXPECT_EQ(texts(), QStringList({ "Ошибка сохранения", CopyQuestion, CloseQuestion }));
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(databaseBytes(), before);
}

TEST_F(FailingSave, OnTheWayToTheDirectoryTheWindowJustStays)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    blockWrites();
    form->findChild<QAction*>(QStringLiteral("Mnu_Abonenty"))->trigger();
    EXPECT_EQ(texts(), QStringList({ "Ошибка сохранения" }));
    EXPECT_EQ(program->directoryWindow(), nullptr);
    EXPECT_FALSE(state.DirectoryOpening);
    EXPECT_FALSE(program->ended());
}

TEST_F(FailingSave, AProtectedDatabaseIsNamedAndKept)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string before = databaseBytes();
    std::filesystem::permissions(databasePath(), std::filesystem::perms(0444));
    form->SAVE();
    EXPECT_FALSE(state.WriteDatabase());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Файл базы защищён от записи: " + shownPath());
    EXPECT_EQ(dialogs.shown[0].title, "");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(databaseBytes(), before);
    EXPECT_EQ(std::filesystem::status(databasePath()).permissions(), std::filesystem::perms(0444));
}

TEST_F(FailingSave, ASignalKeepsTheTableInAnEmergencyCopyThatTheNextStartNames)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string before = databaseBytes();
    state.table.set(1, fields::Note, "оплатил наличными");
    std::filesystem::permissions(databasePath(), std::filesystem::perms(0444));

    program->terminate(); // what SIGTERM, SIGINT and SIGHUP do

    EXPECT_TRUE(program->ended());
    EXPECT_TRUE(dialogs.shown.isEmpty()) << "nobody may be there to answer";
    EXPECT_EQ(databaseBytes(), before);
    const std::string emergency = folder.file("data/tervolin/Tervolin2 2026-12-06 21-05-00.spb");
    EXPECT_EQ(readBytes(emergency), bytesOfTable());

    // The next start says where the copy is, once.
    program.reset();
    std::filesystem::permissions(databasePath(), std::filesystem::perms(0644));
    for (int run = 1; run <= 2; ++run) {
        // A new run has somebody at the screen again.
        ScriptedDialogs seen;
        AppState nextState({ seen, settings, clock, shell, printer }, state.programFolder);
        Program next(nextState);
        ASSERT_TRUE(next.start());
        if (run == 1) {
            ASSERT_EQ(seen.shown.size(), 1);
            EXPECT_TRUE(seen.shown[0].text.contains(QString::fromStdString(emergency)));
            EXPECT_EQ(seen.shown[0].title, "Аварийная копия базы");
            EXPECT_EQ(seen.shown[0].icon, MessageIcon::Information);
        } else {
            EXPECT_TRUE(seen.shown.isEmpty());
        }
    }
}

TEST_F(FailingSave, TwoEmergencyCopiesInOneSecondAreBothKept)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    ASSERT_NE(start(), nullptr);
    std::filesystem::permissions(databasePath(), std::filesystem::perms(0444));
    const std::string first = folder.file("data/tervolin/Tervolin2 2026-12-06 21-05-00.spb");
    std::filesystem::create_directories(folder.file("data/tervolin"));
    writeBytes(first, "прошлая копия");
    program->terminate();
    EXPECT_EQ(readBytes(first), "прошлая копия");
    EXPECT_EQ(readBytes(folder.file("data/tervolin/Tervolin2 2026-12-06 21-05-00 (2).spb")), bytesOfTable());
}

} // namespace
