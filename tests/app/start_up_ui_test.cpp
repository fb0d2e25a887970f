// What the user is told when the database cannot be opened, and that nothing is touched then.

#include "app/main_window.h"
#include "platform/instance_lock.h"
#include "support/app_fixture.h"

#include <QComboBox>
#include <QDir>
#include <filesystem>

namespace {

class StartUp : public AppFixture
{
protected:
    QString shownPath() const { return QDir::toNativeSeparators(QString::fromStdString(databasePath())); }
    const QString openFailure = QStringLiteral("Ошибка при открытии файла базы Tervolin2.spb");
};

TEST_F(StartUp, AnEmptyFileIsReportedTwiceAndKept)
{
    writeBytes(databasePath(), "");
    EXPECT_EQ(start(), nullptr);
    EXPECT_TRUE(program->ended());
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].text, "ФАЙЛ БАЗЫ   " + shownPath() + "   ПУСТОЙ!");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка загрузки");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(dialogs.shown[1].text, openFailure);
    EXPECT_EQ(dialogs.shown[1].title, "");
    EXPECT_EQ(databaseBytes(), "");
}

TEST_F(StartUp, ABadLineIsNamedByItsNumber)
{
    writeBytes(databasePath(), databaseLine({ "1", "Иванов" }) + std::string(2127, '|') + "\r\n");
    const std::string before = databaseBytes();
    EXPECT_EQ(start(), nullptr);
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].text, "Строка № 2   файла " + shownPath() + "  Содержит ошибку!");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка формата файла");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(dialogs.shown[1].text, openFailure);
    EXPECT_EQ(databaseBytes(), before);
}

TEST_F(StartUp, TooManyLinesEndTheProgramWithTheOpenFailure)
{
    std::string lines;
    for (int i = 0; i < 3002; ++i)
        lines += std::string(2128, '|') + "\r\n";
    writeBytes(databasePath(), lines);
    EXPECT_EQ(start(), nullptr);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, openFailure);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::None);
}

TEST_F(StartUp, AMissingFileAnsweredNoCreatesNothing)
{
    dialogs.answers = { Answer::No };
    EXPECT_EQ(start(), nullptr);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Файл базы Tervolin2.spb не найден, хотите создать новый?");
    EXPECT_EQ(dialogs.shown[0].title, "Создать новый файл базы?");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_FALSE(std::filesystem::exists(databasePath()));
}

TEST_F(StartUp, AMissingFileAnsweredYesStartsWithOneEmptyRecord)
{
    dialogs.answers = { Answer::Yes };
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(databaseBytes(), std::string(2128, '|') + "\r\n");
    EXPECT_EQ(state.table.recordCount(), 1);
    EXPECT_EQ(form->subscriberSelector()->count(), 1);
    EXPECT_EQ(form->subscriberSelector()->currentText(), "");
}

TEST_F(StartUp, ADatabaseBegunAfter2027HoldsTheEightYearsUpToThisOne)
{
    clock.set(QDateTime(QDate(2031, 3, 2), QTime(9, 0)));
    dialogs.answers = { Answer::Yes };
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(databaseBytes(), std::string(2127, '|') + "2024|\r\n");
    EXPECT_EQ(state.table.years().first(), 2024);
    EXPECT_EQ(form->yearSelector()->itemText(0), "2024");
    EXPECT_EQ(form->yearSelector()->itemText(7), "2031");
}

TEST_F(StartUp, ASecondCopyOnTheSameDatabaseTouchesNothing)
{
    writeDatabase({ { "5", " Иванов " } });
    const std::string before = databaseBytes();
    InstanceLock other;
    ASSERT_TRUE(other.acquire(shownPath()));
    EXPECT_EQ(start(), nullptr);
    EXPECT_TRUE(program->ended());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Файл базы " + shownPath() + " уже открыт другой копией программы.");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка запуска");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(databaseBytes(), before);

    other.release();
    Program again(state);
    EXPECT_TRUE(again.start());
}

TEST_F(StartUp, ALockThatCannotBeTakenRefusesTheStart)
{
    writeDatabase({ { "1", "Иванов" } });
    const std::string before = databaseBytes();
    // Even the superuser cannot open a folder as the lock file.
    std::filesystem::create_directory(databasePath() + ".lock");
    EXPECT_EQ(start(), nullptr);
    EXPECT_TRUE(program->ended());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Файл базы " + shownPath() + " уже открыт другой копией программы.");
    EXPECT_EQ(databaseBytes(), before);
}

TEST_F(StartUp, AWriteKilledHalfWayLeavesNoTemporaryFileForTheNextRun)
{
    writeDatabase({ { "1", "Иванов" } });
    const std::string temporary = databasePath() + ".tmp";
    writeBytes(temporary, "половина записи");
    // While another copy holds the database, its write may be running: the file stays.
    {
        InstanceLock other;
        ASSERT_TRUE(other.acquire(shownPath()));
        Program second(state);
        EXPECT_FALSE(second.start());
        EXPECT_TRUE(std::filesystem::exists(temporary));
    }
    ASSERT_NE(start(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(temporary));
}

} // namespace
