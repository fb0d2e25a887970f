// What both imports find a subscriber by: the words of a folded text, read from its runs once for
// every rule, and the directory's names by surname and initials.

#include "matching/account_numbers.h"
#include "matching/folding.h"
#include "matching/name_index.h"

#include <gtest/gtest.h>

namespace {

using matching::folded;

TEST(Matching, TheWordsOfATextAreTheSameReadFromItsRuns)
{
    for (const char* text : { "", "-", "Иванов", "Римский-Корсаков Н.А.", "а-б-в 12-я", "кто-то- -то --x",
             "уч.12,л/с5", "Петров1Иван", "12а-б 3", "Ёлкин-", "a-1 b-", "  x  ", "№ 5, ИНН 7712345678",
             "ООО \"Ромашка-2\"" }) {
        const std::string f = folded(text);
        std::vector<matching::Run> runs;
        matching::runsOf(f, runs);
        std::vector<std::string_view> byText;
        std::vector<std::string_view> byRuns;
        matching::words(f, byText);
        matching::words(f, runs, byRuns);
        EXPECT_EQ(byRuns, byText) << text;
        for (const matching::Run& run : runs)
            for (std::size_t i = run.at; i < run.at + run.size; ++i)
                EXPECT_EQ(run.letters, matching::isLetter(static_cast<unsigned char>(f[i]))) << text;
    }
    std::vector<matching::Run> runs;
    matching::runsOf(folded("уч.12, 4 и Иванов"), runs);
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[1].at, 3u);
    EXPECT_EQ(runs[1].size, 2u);
    EXPECT_FALSE(runs[1].letters);
}

RecordTable table(const std::vector<std::string>& names)
{
    RecordTable t;
    t.setRecordCount(int(names.size()));
    for (std::size_t i = 0; i < names.size(); ++i)
        t.set(int(i + 1), fields::FullName, names[i]);
    return t;
}

TEST(NameIndex, FindsEverySubscriberNamedOnceInTheOrderTheyAreNamed)
{
    const RecordTable t = table({ "Иванов И. И.", "Петрова А. С.", "Иванов И. П.", "Иванов И. И.", "Орлов",
        "Римский-Корсаков Н. А.", "Семёнов Л. Д." });
    matching::NameIndex names(t);
    struct Case
    {
        std::vector<const char*> texts; // looked up one after another into the same list
        std::vector<int> found;
    };
    const std::vector<Case> cases = {
        { { "Иванов Иван Иванович" }, { 1, 4 } },
        // One initial is no name of two.
        { { "Иванов И." }, {} },
        { { "И. П. Иванов" }, { 3 } },
        { { "петрова анна", "Петрова А.С., Семенов Л.Д." }, { 2, 7 } },
        { { "Семенов Л. Д.", "за Иванова И. И." }, { 7 } },
        { { "Римский-Корсаков Николай Андреевич" }, { 6 } },
        // A surname alone, or one the directory keeps without initials, names nobody.
        { { "Иванов", "Орлов О. О." }, {} },
        { { "Иванов И. И.", "Иванов И. И. и Иванов И. П." }, { 1, 4, 3 } },
    };
    for (const Case& c : cases) {
        std::vector<int> found;
        for (const char* text : c.texts)
            names.find(folded(text), found);
        EXPECT_EQ(found, c.found) << c.texts.front();
    }
    // What the list held before is not added again, whatever it held.
    std::vector<int> found = { 4, 0, -3, 99 };
    names.find(folded("Иванов И. И."), found);
    EXPECT_EQ(found, (std::vector<int>{ 4, 0, -3, 99, 1 }));
}

TEST(NameIndex, AnEmptyDirectoryNamesNobody)
{
    const RecordTable empty;
    matching::NameIndex names(empty);
    std::vector<int> found;
    names.find(folded("Иванов И. И."), found);
    EXPECT_TRUE(found.empty());
    std::vector<int> numbers;
    matching::numbersIn(folded("л/с 5 и уч. 7"), numbers);
    EXPECT_EQ(numbers, (std::vector<int>{ 5, 7 }));
}

} // namespace
