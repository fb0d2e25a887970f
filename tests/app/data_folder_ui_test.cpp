// What the start says about the folder the database is kept in: one that cannot hold it, and a
// database left behind in a program folder that cannot be written.

#include "app/main_window.h"
#include "support/app_fixture.h"

#include <QDir>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class DataFolderStart : public AppFixture
{
protected:
    QString real(const std::string& name) const
    {
        return QString::fromStdString((fs::canonical(folder.path()) / name).string());
    }
};

TEST_F(DataFolderStart, AFolderThatCannotBeThereIsNamed)
{
    writeBytes(folder.file("tervolin"), "a file where the folder should be");
    const struct
    {
        std::string dataFolder;
        QString expected;
    } cases[] = {
        { "tervolin", "Папка данных " + real("tervolin") + " не найдена: на её месте файл." },
        // The user's folder could not be made under it.
        { "tervolin/data", "Папка данных " + real("tervolin") + "/data не найдена." },
    };
    for (const auto& c : cases) {
        dialogs.shown.clear();
        state.dataFolder = QString::fromStdString(folder.file(c.dataFolder));
        Program program(state);
        EXPECT_FALSE(program.start()) << c.dataFolder;
        EXPECT_TRUE(program.ended());
        ASSERT_EQ(dialogs.shown.size(), 1) << c.dataFolder;
        EXPECT_EQ(dialogs.shown[0].text, c.expected);
        EXPECT_EQ(dialogs.shown[0].title, "Ошибка запуска");
        EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    }
    EXPECT_EQ(readBytes(folder.file("tervolin")), "a file where the folder should be");
}

TEST_F(DataFolderStart, ADatabaseLeftInTheProgramFolderIsNamedBeforeTheQuestion)
{
    // The program folder could not be written, so the database lives in the user's folder, which
    // has none yet; the one beside the program is not opened.
    writeDatabase({ { "1", "Иванов" } });
    const std::string before = databaseBytes();
    fs::create_directory(filePath(folder.file("данные")));
    state.dataFolder = QString::fromStdString(folder.file("данные"));
    dialogs.answers = { Answer::Ok, Answer::No };
    EXPECT_EQ(start(), nullptr);
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[0].text,
        "В папку программы " + QDir::toNativeSeparators(state.programFolder)
            + " нельзя записывать, поэтому лежащий в ней файл базы Tervolin2.spb не открыт. База хранится в "
              "папке "
            + QDir::toNativeSeparators(state.dataFolder)
            + ": чтобы работать с прежней базой, скопируйте туда её файлы.");
    EXPECT_EQ(dialogs.shown[0].title, "Папка данных");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(dialogs.shown[1].text, "Файл базы Tervolin2.spb не найден, хотите создать новый?");
    EXPECT_EQ(databaseBytes(), before);

    // Once the user's folder has a database of its own, that one is theirs: nothing more is said.
    fs::copy_file(filePath(databasePath()), filePath(folder.file("данные/Tervolin2.spb")));
    dialogs.shown.clear();
    program.reset(); // the run that ended at the question
    Program again(state);
    EXPECT_TRUE(again.start());
    EXPECT_TRUE(dialogs.shown.isEmpty());
}

} // namespace
