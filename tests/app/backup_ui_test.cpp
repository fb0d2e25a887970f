#include "app/main_window.h"
#include "documents/payee_settings.h"
#include "support/app_fixture.h"
#include "text/cp1251.h"

#include <QAction>
#include <QTimer>
#include <QToolButton>
#include <filesystem>

namespace {

using Backup = AppFixture;

void trigger(Form1* form, const char* name)
{
    QAction* action = form->findChild<QAction*>(QLatin1String(name));
    ASSERT_NE(action, nullptr) << name;
    action->trigger();
}

QString nativePath(const std::string& path)
{
    return QString::fromStdString(path);
}

TEST_F(Backup, WritesTheDatabaseUnderADatedNameTheUserConfirms)
{
    writeDatabase({ { "1", "Иванов И. И.", "Садовая, 1" }, { "2", "Петров П. П." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string copy = folder.file("копия.spb");
    dialogs.fileNames.push_back(nativePath(copy));

    trigger(form, "Menu_Tuns_RCopy");

    ASSERT_EQ(dialogs.fileRequests.size(), 1);
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "06.12.2026 21ч05мин Tervolin2.spb");
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "*.squ");
    EXPECT_EQ(dialogs.fileRequests[0].filter, "Файлы (*.spb)|*.spb|Все файлы(*.*)|*.*|");
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(readBytes(copy), databaseBytes());
}

TEST_F(Backup, CancelWritesNothingAndSaysNothing)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    trigger(form, "Menu_Tuns_RCopy");
    trigger(form, "Menu_Tuns_Vost");
    EXPECT_EQ(dialogs.fileRequests.size(), 2);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_TRUE(entry.path().filename() == "Tervolin2.spb" || entry.path().extension() == ".lock")
            << entry.path();
}

TEST_F(Backup, ABackupOfAFieldWithALineBreakCanBeRestored)
{
    writeDatabase({ { "1", "Иванов И. И." }, { "2", "Петров П. П." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    state.table.set(1, fields::Note, "первая строка\r\nвторая строка");
    const std::string copy = folder.file("копия.spb");
    dialogs.fileNames.push_back(nativePath(copy));
    trigger(form, "Menu_Tuns_RCopy");

    const std::string bytes = readBytes(copy);
    EXPECT_NE(bytes.find(cp1251::encode("первая строкавторая строка")), std::string::npos);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 2);

    dialogs.fileNames.push_back(nativePath(copy));
    dialogs.answers.push_back(Answer::Yes);
    trigger(form, "Menu_Tuns_Vost");
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(databaseBytes(), bytes);
}

TEST_F(Backup, AFailedBackupIsReported)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string copy = folder.file("нет такой папки/копия.spb");
    dialogs.fileNames.push_back(nativePath(copy));
    trigger(form, "Menu_Tuns_RCopy");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Не удалось записать резервную копию в файл " + nativePath(copy));
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка резервного копирования");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Exclamation);
}

TEST_F(Backup, RestoreRefusesABadFileAndChangesNothing)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string before = databaseBytes();
    const std::string letter = folder.file("письмо.spb");
    writeBytes(letter, "Уважаемые садоводы!\r\n" + databaseLine({ "1", "Петров" }));
    const std::string empty = folder.file("пустой.spb");
    writeBytes(empty, "");
    const std::string gone = folder.file("нет.spb");

    const struct
    {
        std::string path;
        QString text;
        QString title;
        MessageIcon icon;
    } cases[] = {
        { letter, "Строка № 1   файла " + nativePath(letter) + "  Содержит ошибку!", "Ошибка формата файла",
            MessageIcon::Critical },
        { empty, "ФАЙЛ БАЗЫ   " + nativePath(empty) + "   ПУСТОЙ!", "Ошибка загрузки",
            MessageIcon::Critical },
        { gone, "файл не найден!", "Ошибка копирования", MessageIcon::Exclamation },
        { folder.path().string(), "Ошибка копирования файла", "", MessageIcon::None },
    };
    for (const auto& c : cases) {
        dialogs.shown.clear();
        dialogs.fileNames.push_back(nativePath(c.path));
        trigger(form, "Menu_Tuns_Vost");
        ASSERT_EQ(dialogs.shown.size(), 1) << c.path;
        EXPECT_EQ(dialogs.shown[0].text, c.text);
        EXPECT_EQ(dialogs.shown[0].title, c.title);
        EXPECT_EQ(dialogs.shown[0].icon, c.icon);
        EXPECT_EQ(databaseBytes(), before);
        EXPECT_FALSE(program->ended());
    }
    EXPECT_EQ(dialogs.fileRequests[0].defaultExtension, "*.spb");
    EXPECT_EQ(dialogs.fileRequests[0].proposedName, "");
}

TEST_F(Backup, RestoreAsksFirstAndNoKeepsTheDatabase)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string before = databaseBytes();
    const std::string copy = folder.file("копия.spb");
    writeBytes(copy, databaseLine({ "1", "Петров П. П." }));
    dialogs.fileNames.push_back(nativePath(copy));

    trigger(form, "Menu_Tuns_Vost"); // the box's default answer: No

    ASSERT_EQ(dialogs.shown.size(), 1);
    const Message& question = dialogs.shown[0];
    EXPECT_EQ(question.text,
        "Вы действительно хотите безвозвратно заменить файл текущей базы файлом " + nativePath(copy) + " ?");
    EXPECT_EQ(question.title, "Подтвердите операцию");
    EXPECT_EQ(question.icon, MessageIcon::Question);
    EXPECT_EQ(question.buttons, MessageButtons::YesNo);
    EXPECT_EQ(question.defaultAnswer, Answer::No);
    EXPECT_EQ(databaseBytes(), before);
    EXPECT_FALSE(program->ended());
}

TEST_F(Backup, ASuccessfulRestoreReplacesTheFileAndEndsWithoutWritingTheOldTable)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    // Something stored since the last write, which the autosave would write.
    form->SAVE();
    state.table.set(1, fields::Address, "Садовая, 1");
    const std::string backupBytes
        = databaseLine({ "1", "Петров П. П." }) + databaseLine({ "2", "Сидоров С. С." });
    const std::string copy = folder.file("копия.spb");
    writeBytes(copy, backupBytes);
    const std::string before = databaseBytes();
    dialogs.fileNames.push_back(nativePath(copy));
    dialogs.answers.push_back(Answer::Yes);
    // The autosave's minute comes round while the success message is on screen.
    dialogs.whileShown = [&](const Message& message) {
        if (message.title == "Восстановление произошло успешно")
            form->Timer1_Timer();
    };

    trigger(form, "Menu_Tuns_Vost");

    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text,
        "Прежняя база сохранена как Tervolin2.spb.до-восстановления.\n"
        "Сейчас программа закроется, запустите её заново");
    EXPECT_EQ(dialogs.shown[1].title, "Восстановление произошло успешно");
    EXPECT_EQ(dialogs.shown[1].icon, MessageIcon::Information);
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(program->exitCode(), 0);
    EXPECT_FALSE(form->timer1()->isActive());
    EXPECT_FALSE(form->timer2()->isActive());
    EXPECT_EQ(databaseBytes(), backupBytes);
    EXPECT_FALSE(std::filesystem::exists(databasePath() + ".tmp"));
    // A restore from the wrong copy can be undone from the file kept beside the database.
    EXPECT_EQ(readBytes(databasePath() + ".до-восстановления"), before);
}

TEST_F(Backup, RestoreRefusesABinaryFileWithSeparatorsInPlace)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string before = databaseBytes();
    // Every line holds its 2128 separators, between bytes no text has.
    std::string binary;
    for (int i = 0; i < 3; ++i) {
        for (int f = 0; f < 2128; ++f)
            binary += std::string{ char(f % 7), char(0x98), char(0xE0 + f % 16), '|' };
        binary += "\r\n";
    }
    const std::string file = folder.file("снимок.spb");
    writeBytes(file, binary);
    dialogs.fileNames.push_back(nativePath(file));
    dialogs.answers.push_back(Answer::Yes);

    trigger(form, "Menu_Tuns_Vost");

    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Строка № 1   файла " + nativePath(file) + "  Содержит ошибку!");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка формата файла");
    EXPECT_FALSE(program->ended());
    EXPECT_EQ(databaseBytes(), before);
    EXPECT_FALSE(std::filesystem::exists(databasePath() + ".до-восстановления"));
}

TEST_F(Backup, ABackupLeavesTheFilesBesideItAlone)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    // A file of the user's that happens to bear the name of the copy with ".tmp".
    const std::string copy = folder.file("копия.spb");
    writeBytes(copy + ".tmp", "черновик");
    dialogs.fileNames.push_back(nativePath(copy));
    trigger(form, "Menu_Tuns_RCopy");
    EXPECT_EQ(readBytes(copy), databaseBytes());
    EXPECT_EQ(readBytes(copy + ".tmp"), "черновик");

    // A backup that fails at the last step (a folder stands where the copy should go) leaves no
    // temporary file behind.
    const std::string taken = folder.file("занято.spb");
    std::filesystem::create_directory(taken);
    dialogs.fileNames.push_back(nativePath(taken));
    trigger(form, "Menu_Tuns_RCopy");
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка резервного копирования");
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        if (entry.path().string() != copy + ".tmp") {
            EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
        }
    }
}

TEST_F(Backup, TheImportJournalGoesWithTheBackupAndComesBackWithIt)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string journal = folder.file("Tervolin2.bank");
    const std::string withJournal = folder.file("копия.spb");
    const std::string withoutJournal = folder.file("копия без журнала.spb");
    // Without a journal beside the database the backup is the database alone.
    dialogs.fileNames.push_back(nativePath(withoutJournal));
    trigger(form, "Menu_Tuns_RCopy");
    EXPECT_TRUE(std::filesystem::exists(withoutJournal));
    EXPECT_FALSE(std::filesystem::exists(withoutJournal + ".bank"));

    writeBytes(journal, "journal at the backup\r\n");
    dialogs.fileNames.push_back(nativePath(withJournal));
    trigger(form, "Menu_Tuns_RCopy");
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(readBytes(withJournal + ".bank"), "journal at the backup\r\n");

    // Payments imported since: the restore takes the journal back to the backup's, and keeps the
    // later one beside it.
    writeBytes(journal, "journal of later payments\r\n");
    dialogs.fileNames.push_back(nativePath(withJournal));
    dialogs.answers.push_back(Answer::Yes);
    trigger(form, "Menu_Tuns_Vost");
    EXPECT_TRUE(program->ended());
    EXPECT_EQ(readBytes(journal), "journal at the backup\r\n");
    EXPECT_EQ(readBytes(journal + ".до-восстановления"), "journal of later payments\r\n");
    EXPECT_EQ(dialogs.shown.last().title, "Восстановление произошло успешно");
}

TEST_F(Backup, ThePayeeDetailsGoWithTheBackupAndTheRestoreOffersThem)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    documents::PayeeDetails payee;
    payee.name = "СНТ «Рассвет»";
    payee.personalAcc = "40703810900000000001";
    payee.kpp = "503801001";
    documents::storePayee(settings, payee);
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string copy = folder.file("копия.spb");
    dialogs.fileNames.push_back(nativePath(copy));
    trigger(form, "Menu_Tuns_RCopy");
    ASSERT_TRUE(dialogs.shown.isEmpty());
    EXPECT_NE(readBytes(copy + ".rekv").find("Name=СНТ «Рассвет»\r\n"), std::string::npos);

    // On another computer, without the details: the restore asks, and Yes takes them.
    documents::storePayee(settings, documents::PayeeDetails{});
    dialogs.fileNames.push_back(nativePath(copy));
    dialogs.answers = { Answer::Yes, Answer::Yes };
    trigger(form, "Menu_Tuns_Vost");
    EXPECT_TRUE(program->ended());
    ASSERT_GE(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text,
        "В резервной копии есть реквизиты получателя платежа (СНТ «Рассвет»). Взять их вместо нынешних?");
    const documents::PayeeDetails taken = documents::readPayee(settings);
    EXPECT_EQ(taken.name, "СНТ «Рассвет»");
    EXPECT_EQ(taken.personalAcc, "40703810900000000001");
    EXPECT_EQ(taken.kpp, "503801001");
}

TEST_F(Backup, ABackupWithoutPayeeDetailsLeavesNoStaleOnesOfTheSameName)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string copy = folder.file("копия.spb");
    writeBytes(copy + ".rekv", "Tervolin payee 1\r\nName=Чужое СНТ\r\n");
    writeBytes(copy + ".bank", "чужой журнал\r\n");
    dialogs.fileNames.push_back(nativePath(copy));
    trigger(form, "Menu_Tuns_RCopy");
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_FALSE(std::filesystem::exists(copy + ".rekv"));
    EXPECT_FALSE(std::filesystem::exists(copy + ".bank"));
}

TEST_F(Backup, ARestoreThatCannotReplaceTheJournalChangesNothingAndSaysWhichFile)
{
    writeDatabase({ { "1", "Иванов И. И." } });
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const std::string journal = folder.file("Tervolin2.bank");
    const std::string copy = folder.file("копия.spb");
    writeBytes(journal, "journal at the backup\r\n");
    dialogs.fileNames.push_back(nativePath(copy));
    trigger(form, "Menu_Tuns_RCopy");
    writeBytes(journal, "journal of later payments\r\n");
    std::filesystem::permissions(filePath(journal), std::filesystem::perms(0444));
    const std::string before = databaseBytes();

    dialogs.fileNames.push_back(nativePath(copy));
    dialogs.answers.push_back(Answer::Yes);
    trigger(form, "Menu_Tuns_Vost");
    EXPECT_FALSE(program->ended());
    EXPECT_EQ(dialogs.shown.last().text,
        "Не удалось восстановить файл " + nativePath(journal)
            + ".\nБаза и файлы рядом с ней остались прежними.");
    EXPECT_EQ(dialogs.shown.last().title, "Восстановление не выполнено");
    EXPECT_EQ(databaseBytes(), before);
    EXPECT_EQ(readBytes(journal), "journal of later payments\r\n");
    std::filesystem::permissions(filePath(journal), std::filesystem::perms(0644));
}

} // namespace
