#include "session/notice_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(NoticeTexts, CountsReadRightForEveryNumber)
{
    const struct
    {
        int count;
        const char* text;
    } cases[] = {
        { 1, "Импорт: 1 абонент" },
        { 2, "Импорт: 2 абонента" },
        { 4, "Импорт: 4 абонента" },
        { 5, "Импорт: 5 абонентов" },
        { 11, "Импорт: 11 абонентов" },
        { 12, "Импорт: 12 абонентов" },
        { 14, "Импорт: 14 абонентов" },
        { 21, "Импорт: 21 абонент" },
        { 22, "Импорт: 22 абонента" },
        { 25, "Импорт: 25 абонентов" },
        { 101, "Импорт: 101 абонент" },
        { 111, "Импорт: 111 абонентов" },
        { 112, "Импорт: 112 абонентов" },
        { 3001, "Импорт: 3001 абонент" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(statusText::importedSubscribersText(c.count), c.text) << c.count;
    EXPECT_EQ(statusText::importedPaymentsText(1), "Импорт выписки: 1 платёж");
    EXPECT_EQ(statusText::importedPaymentsText(3), "Импорт выписки: 3 платежа");
    EXPECT_EQ(statusText::importedPaymentsText(13), "Импорт выписки: 13 платежей");
}

TEST(NoticeTexts, TheSaveTimeHasTwoDigitsForHoursAndMinutes)
{
    EXPECT_EQ(statusText::savedText(9, 5), "База сохранена 09:05");
    EXPECT_EQ(statusText::savedText(0, 0), "База сохранена 00:00");
    EXPECT_EQ(statusText::savedText(23, 59), "База сохранена 23:59");
}

} // namespace
