// The window "Журнал изменений" shows the journal one changed field a row, the newest first, and
// narrows it by subscriber, year and month, days and what wrote; a journal that does not hold is
// shown up to where it breaks.

#include "reports/change_history.h"

#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

using changelog::Entry;
using changelog::FieldChange;

class ChangeHistory : public ::testing::Test
{
protected:
    ChangeHistory()
    {
        Entry save{ "01.12.2026 10:00:00", "ivan", "Сохранение", "",
            { { 1, "Иванов И. И.", 2026, 3, "Текущее показание", "", "12400" },
                { 2, "Петров П. П.", 2026, 4, "Внесено", "", "500,00" },
                { 1, "Иванов И. И.", 0, 0, "Адрес", "уч. 1", "уч. 7" } },
            "h1" };
        Entry bank{ "05.12.2026 12:00:00", "ivan", "Загрузка выписки банка", "выписка.txt",
            { { 2, "Петров П. П.", 2025, 12, "Внесено", "100,00", "600,00" } }, "h2" };
        Entry outside{ "07.12.2026 09:00:00", "?", "Изменение вне программы", "База изменена вне программы.",
            {}, "h3" };
        for (const Entry& e : { save, bank, outside })
            journal = changelog::appended(journal, e);
    }

    // Each row as its time and its field, "" for an entry without fields.
    static std::vector<std::pair<std::string, std::string>> shown(
        const history::History& h, const std::vector<history::Row>& rows)
    {
        std::vector<std::pair<std::string, std::string>> out;
        for (const history::Row& row : rows) {
            const FieldChange* change = h.changeOf(row);
            out.emplace_back(h.entryOf(row).time.substr(0, 2), change ? change->meaning : "");
        }
        return out;
    }

    std::string journal;
};

TEST_F(ChangeHistory, NewestFirstOneRowPerFieldAndOneForAnEntryWithoutFields)
{
    const history::History h = history::readHistory(journal, "h3");
    EXPECT_TRUE(h.warning.empty());
    using Shown = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(shown(h, h.rows),
        (Shown{ { "07", "" }, { "05", "Внесено" }, { "01", "Текущее показание" }, { "01", "Внесено" },
            { "01", "Адрес" } }));

    const reports::ReportTable report = history::historyReport(h, h.rows);
    ASSERT_EQ(report.columns.size(), 10u);
    EXPECT_EQ(report.columns[3].heading, "Абонент");
    EXPECT_EQ(report.rows[0],
        (std::vector<std::string>{ "07.12.2026 09:00:00", "?", "Изменение вне программы", "", "", "", "", "",
            "", "База изменена вне программы." }));
    EXPECT_EQ(report.rows[1],
        (std::vector<std::string>{ "05.12.2026 12:00:00", "ivan", "Загрузка выписки банка", "2 Петров П. П.",
            "2025", "Декабрь", "Внесено", "100,00", "600,00", "выписка.txt" }));
    // A field of no month (the directory's) shows neither year nor month.
    EXPECT_EQ(report.rows[4][4], "");
    EXPECT_EQ(report.rows[4][5], "");
    EXPECT_EQ(report.rows[4][7], "уч. 1");
}

TEST_F(ChangeHistory, EachFilterNarrowsTheRowsAndTheyCombine)
{
    const history::History h = history::readHistory(journal, "h3");
    using Shown = std::vector<std::pair<std::string, std::string>>;
    const auto filter = [](auto set) {
        history::Filter f;
        set(f);
        return f;
    };
    const std::vector<std::pair<history::Filter, Shown>> cases = {
        // An entry without fields belongs to no subscriber, year or month.
        { filter([](auto& f) { f.subscriber = "Петров П. П."; }),
            { { "05", "Внесено" }, { "01", "Внесено" } } },
        { filter([](auto& f) { f.year = 2026; }), { { "01", "Текущее показание" }, { "01", "Внесено" } } },
        { filter([](auto& f) { f.month = 12; }), { { "05", "Внесено" } } },
        { filter([](auto& f) {
             f.year = 2026;
             f.month = 4;
         }),
            { { "01", "Внесено" } } },
        // Both ends of the range of days are included, whatever the hour.
        { filter([](auto& f) {
             f.fromDay = 20261205;
             f.toDay = 20261207;
         }),
            { { "07", "" }, { "05", "Внесено" } } },
        { filter([](auto& f) { f.toDay = 20261201; }),
            { { "01", "Текущее показание" }, { "01", "Внесено" }, { "01", "Адрес" } } },
        { filter([](auto& f) { f.kind = "Изменение вне программы"; }), { { "07", "" } } },
        { filter([](auto& f) {
             f.kind = "Сохранение";
             f.subscriber = "Иванов И. И.";
             f.fromDay = 20261201;
         }),
            { { "01", "Текущее показание" }, { "01", "Адрес" } } },
        { filter([](auto& f) {
             f.subscriber = "Иванов И. И.";
             f.fromDay = 20261202;
         }),
            {} },
    };
    for (const auto& [f, expected] : cases)
        EXPECT_EQ(shown(h, history::filtered(h, f)), expected)
            << f.subscriber << " " << f.year << " " << f.month << " " << f.fromDay << " " << f.toDay << " "
            << f.kind;
}

TEST_F(ChangeHistory, TheFiltersOfferWhatTheJournalHolds)
{
    Entry renumbered{ "08.12.2026 09:00:00", "ivan", "Сохранение", "",
        { { 1, "Сидоров С. С.", 2027, 1, "Дата", "", "31.01.2027" } }, "h4" };
    const history::History h = history::readHistory(changelog::appended(journal, renumbered), "h4");
    // Names in the order of the records they were last seen at.
    EXPECT_EQ(history::subscribers(h),
        (std::vector<std::string>{ "Иванов И. И.", "Сидоров С. С.", "Петров П. П." }));
    EXPECT_EQ(history::years(h), (std::vector<int>{ 2025, 2026, 2027 }));
    EXPECT_EQ(history::kinds(h),
        (std::vector<std::string>{ "Сохранение", "Загрузка выписки банка", "Изменение вне программы" }));
    EXPECT_EQ(history::firstDay(h), 20261201);
    EXPECT_EQ(history::lastDay(h), 20261208);
}

TEST_F(ChangeHistory, AJournalThatDoesNotHoldIsShownUpToItsBreak)
{
    // The second entry's new amount changed by hand: its signature no longer holds.
    std::string tampered = journal;
    const std::size_t at = tampered.find("600,00");
    ASSERT_NE(at, std::string::npos);
    tampered.replace(at, 6, "900,00");
    const history::History broken = history::readHistory(tampered, "h3");
    ASSERT_EQ(broken.entries.size(), 1u);
    EXPECT_EQ(broken.rows.size(), 3u);
    EXPECT_NE(broken.warning.find("запись № 2"), std::string::npos) << broken.warning;
    EXPECT_NE(broken.warning.find("01.12.2026 10:00"), std::string::npos) << broken.warning;

    // A journal that holds over a database changed since says so, and shows every entry.
    const history::History changed = history::readHistory(journal, "other");
    EXPECT_EQ(changed.entries.size(), 3u);
    EXPECT_NE(changed.warning.find("База изменена вне программы после 07.12.2026 09:00"), std::string::npos)
        << changed.warning;

    EXPECT_TRUE(history::readHistory("", "h3").empty());
    EXPECT_TRUE(history::readHistory("", "h3").warning.empty());
}

TEST_F(ChangeHistory, ATimeThatIsNoDateBelongsToNoRangeOfDays)
{
    EXPECT_EQ(history::dayOf("07.12.2026 09:00:00"), 20261207);
    for (const char* time : { "", "7.12.2026", "07/12/2026 09:00", "32.12.2026", "07.13.2026", "ab.cd.efgh" })
        EXPECT_EQ(history::dayOf(time), 0) << time;

    const std::string odd = changelog::appended(journal,
        Entry{
            "вчера", "ivan", "Сохранение", "", { { 1, "Иванов И. И.", 2026, 5, "Дата", "", "1" } }, "h4" });
    const history::History h = history::readHistory(odd, "h4");
    EXPECT_EQ(history::filtered(h, {}).size(), 6u);
    history::Filter range;
    range.fromDay = 20000101;
    EXPECT_EQ(history::filtered(h, range).size(), 5u);
}

} // namespace
