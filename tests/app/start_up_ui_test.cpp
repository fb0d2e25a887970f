// What the user is told when the database cannot be opened, and that nothing is touched then.

#include "app/main_window.h"
#include "platform/instance_lock.h"
#include "support/app_fixture.h"

#include <QComboBox>
#include <QDir>
#include <filesystem>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

class StartUp : public AppFixture
{
protected:
    QString shownPath() const { return QDir::toNativeSeparators(QString::fromStdString(databasePath())); }
    const QString openFailure = QStringLiteral("Ошибка при открытии файла базы Tervolin2.spb");
    // Where the lock is: beside the database's real file, its path made whole.
    std::string realFolder() const { return std::filesystem::canonical(folder.path()).string(); }
    std::string lockPath() const { return realFolder() + "/Tervolin2.spb.lock"; }

#ifndef _WIN32
    // The superuser opens anything: what an ordinary user is told where rights stand in the way is
    // tried in a child process run as one. Empty when the start was refused with one message, as
    // the child reports it back; otherwise what went wrong.
    std::string refusalAsOrdinaryUser()
    {
        int pipe[2];
        if (::pipe(pipe) != 0)
            return "no pipe";
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(pipe[0]);
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(2);
            const bool started = program->start();
            const QByteArray text = dialogs.shown.size() == 1 && !started ? dialogs.shown[0].text.toUtf8()
                                                                          : QByteArray("started or more");
            const bool written = ::write(pipe[1], text.constData(), std::size_t(text.size())) == text.size();
            ::_exit(written ? 0 : 1);
        }
        ::close(pipe[1]);
        std::string text;
        char buffer[512];
        for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, std::size_t(n));
        ::close(pipe[0]);
        int status = 0;
        if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return "the child failed";
        return text;
    }
#endif
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
    // Even the superuser cannot open a folder as the lock file: that is no other copy.
    std::filesystem::create_directory(databasePath() + ".lock");
    EXPECT_EQ(start(), nullptr);
    EXPECT_TRUE(program->ended());
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text,
        QString::fromStdString("Не удалось создать файл блокировки " + lockPath() + ": на его месте папка."));
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка запуска");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(databaseBytes(), before);
}

#ifndef _WIN32
TEST_F(StartUp, TwoLinksToOneDatabaseMeetAtOneLock)
{
    writeDatabase({ { "5", "Иванов" } });
    const std::filesystem::path real = std::filesystem::canonical(folder.path());
    for (const char* name : { "a", "b" })
        std::filesystem::create_directory(real / name);
    std::filesystem::create_symlink("../Tervolin2.spb", real / "a" / "Tervolin2.spb");
    std::filesystem::create_symlink(real / "Tervolin2.spb", real / "b" / "Tervolin2.spb");
    const std::string before = databaseBytes();

    state.dataFolder = QString::fromStdString((real / "a").string());
    ASSERT_NE(start(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(real / "Tervolin2.spb.lock")) << "beside the real file";
    EXPECT_FALSE(std::filesystem::exists(real / "a" / "Tervolin2.spb.lock"));

    ScriptedDialogs seen;
    AppState second({ seen, settings, clock, shell, printer }, state.programFolder);
    second.dataFolder = QString::fromStdString((real / "b").string());
    Program other(second);
    EXPECT_FALSE(other.start());
    ASSERT_EQ(seen.shown.size(), 1);
    EXPECT_EQ(seen.shown[0].text,
        "Файл базы " + QString::fromStdString((real / "b" / "Tervolin2.spb").string())
            + " уже открыт другой копией программы.");
    EXPECT_FALSE(std::filesystem::exists(real / "b" / "Tervolin2.spb.lock"));
    EXPECT_EQ(databaseBytes(), before);
}

TEST_F(StartUp, RightsThatAreWantingAreNamedNotTakenForAnotherCopy)
{
    namespace fs = std::filesystem;
    writeDatabase({ { "1", "Иванов" } });
    fs::permissions(folder.path(), fs::perms(0755));
    fs::permissions(databasePath(), fs::perms(0644));
    const std::string lock = lockPath();
    const std::string shownFolder = realFolder();

    // No lock file, and none can be made in the folder.
    EXPECT_EQ(refusalAsOrdinaryUser(),
        "Не удалось создать файл блокировки " + lock + ": нет доступа к папке " + shownFolder + ".");
    // Another user's lock file that this one may not even read.
    writeBytes(lock, "");
    fs::permissions(lock, fs::perms::none);
    EXPECT_EQ(refusalAsOrdinaryUser(),
        "Не удалось открыть файл блокировки " + lock + ": нет доступа к этому файлу.");
    // One that may be read takes the lock, but the database could never be written in the folder.
    fs::permissions(lock, fs::perms(0444));
    EXPECT_EQ(refusalAsOrdinaryUser(),
        "Нет доступа на запись к папке данных " + shownFolder + ": файл базы в ней нельзя сохранить.");
    EXPECT_TRUE(dialogs.shown.isEmpty()) << "all of it in the children";
}

#endif

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
