// The user's guide as the build makes it: a PDF beside the program that names every window.

#include "support/files.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

const std::string GuidePath = std::string(TERVOLIN_BIN_DIR) + "/Help.pdf";

// Line breaks and hyphenation do not matter to a reader: the text is compared as one line.
std::string flattened(std::string text)
{
    for (char& c : text)
        if (c == '\n' || c == '\f')
            c = ' ';
    std::string result;
    for (char c : text)
        if (!(c == ' ' && !result.empty() && result.back() == ' '))
            result += c;
    return result;
}

TEST(HelpDocument, IsBuiltBesideTheProgram)
{
    ASSERT_TRUE(std::filesystem::exists(GuidePath));
    EXPECT_GT(std::filesystem::file_size(GuidePath), 100'000u);
    const std::string info = commandOutput("pdfinfo '" + GuidePath + "'");
    const std::size_t pages = info.find("Pages:");
    ASSERT_NE(pages, std::string::npos) << info;
    EXPECT_GE(std::stoi(info.substr(pages + 6)), 10);
}

TEST(HelpDocument, DescribesEveryWindowAndMenu)
{
    const std::string text = flattened(commandOutput("pdftotext -layout '" + GuidePath + "' -"));
    ASSERT_FALSE(text.empty());
    const char* names[] = { // windows, by their captions
        "Терволин, оплата электричества", "Справочник абоненты", "Добавление нового абонента",
        "Редактирование справочника", "Лицевой счет", "Настройки в лицевом счете", "Импорт выписки банка",
        "Справка по горячим клавишам", "Перенос данных на следующий год", "Квитанция",
        "Печать ведомости для снятия показаний счетчиков", "Печать лицевого счета", "График",
        "Параметры сохранения", "Настройка цвета таблицы", "Реквизиты получателя платежа", "О программе",
        "Проверка показаний", "Должники", "Сводка за месяц",
        // menu items
        "Абоненты", "Калькулятор", "Экспорт таблицы в Excel", "Проставить дату (последнее число месяца)",
        "Поставить часы и сутки уличного освещения", "Очистить часы и сутки уличного освещения",
        "Цвет таблицы", "Резервное копирование базы", "Восстановление базы из резервной копии",
        "Сформировать ведомость", "Сформировать квитанцию",
        // the data and where it lives
        "Tervolin2.spb", "Tervolin2.balance", "Help.pdf"
    };
    for (const char* name : names)
        EXPECT_NE(text.find(name), std::string::npos) << name;
}

TEST(HelpDocument, ShowsTheProgramsWindows)
{
    const std::string images = commandOutput("pdfimages -list '" + GuidePath + "'");
    int count = 0;
    for (std::size_t at = images.find(" image "); at != std::string::npos;
         at = images.find(" image ", at + 1))
        ++count;
    EXPECT_GE(count, 5) << images;
}

} // namespace
