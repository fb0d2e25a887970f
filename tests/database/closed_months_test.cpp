#include "database/closed_months.h"

#include <gtest/gtest.h>

using fields::YearMonth;

namespace {

changelog::Entry entry(const char* kind, std::string note)
{
    changelog::Entry made;
    made.kind = kind;
    made.note = std::move(note);
    return made;
}

} // namespace

TEST(ClosedMonths, TheJournalsLastClosureAndReopeningsDecide)
{
    using namespace closing;
    std::vector<changelog::Entry> entries;
    EXPECT_FALSE(closedThrough(entries));

    entries.push_back(entry(CloseKind, closeNote({ 2026, 11 })));
    entries.push_back(entry("Сохранение", "по 05.2027 включительно"));
    ASSERT_TRUE(closedThrough(entries));
    EXPECT_EQ(*closedThrough(entries), (YearMonth{ 2026, 11 }));

    // Opening a month opens every closed month after it too.
    entries.push_back(entry(ReopenKind, reopenNote({ 2026, 9 }, "ошибка в показании")));
    EXPECT_EQ(*closedThrough(entries), (YearMonth{ 2026, 8 }));
    // A month not closed opens nothing; a note the program did not write is passed over.
    entries.push_back(entry(ReopenKind, reopenNote({ 2027, 1 }, "не закрыт")));
    entries.push_back(entry(CloseKind, "по мартобрь"));
    EXPECT_EQ(*closedThrough(entries), (YearMonth{ 2026, 8 }));

    // Opening January of the first year leaves nothing closed.
    entries.push_back(entry(CloseKind, closeNote({ 2026, 12 })));
    entries.push_back(entry(ReopenKind, reopenNote({ 2020, 1 }, "всё заново")));
    EXPECT_FALSE(closedThrough(entries));
}

TEST(ClosedMonths, NotesReadAsWordsAndKeepTheJournalsLinesWhole)
{
    using namespace closing;
    EXPECT_EQ(closeNote({ 2027, 3 }), "по 03.2027 включительно");
    EXPECT_EQ(reopenNote({ 2027, 3 }, "счёт | неверный\nуч. 5"), "с 03.2027; причина: счёт   неверный уч. 5");
    EXPECT_EQ(monthWords({ 2027, 3 }), "март 2027");
    EXPECT_EQ(*monthBefore({ 2027, 1 }), (YearMonth{ 2026, 12 }));
    EXPECT_TRUE(isClosed(YearMonth{ 2027, 3 }, { 2026, 12 }));
    EXPECT_TRUE(isClosed(YearMonth{ 2027, 3 }, { 2027, 3 }));
    EXPECT_FALSE(isClosed(YearMonth{ 2027, 3 }, { 2027, 4 }));
    EXPECT_FALSE(isClosed(std::nullopt, { 2020, 1 }));
}
