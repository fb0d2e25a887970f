#include "sheet/readings_import.h"
#include "sheet/sheet.h"
#include "text/cp1251.h"

#include <gtest/gtest.h>

namespace {

using readings::Outcome;

constexpr int Year = 2026;
constexpr int Month = 3;

int cell(int month, int element)
{
    return sheet::cellField(Year, month, element);
}

// Six subscribers; two of them Ivanov I. P. on different plots, one with "ё" in his name.
RecordTable partnership()
{
    RecordTable t;
    t.setRecordCount(6);
    const char* names[] = { "Иванов Иван Петрович", "Петров П. С.", "Иванов Игорь Павлович",
        "Семёнов Олег Ильич", "Уличное освещение", "Кузнецова А. А." };
    for (int r = 1; r <= 6; ++r) {
        t.set(r, fields::Number, std::to_string(r));
        t.set(r, fields::FullName, names[r - 1]);
        t.set(r, cell(Month - 1, fields::CurrentReading), std::to_string(1000 * r));
    }
    t.set(2, cell(Month, fields::CurrentReading), "2150"); // already typed for the month
    return t;
}

std::vector<readings::Line> importText(const RecordTable& t, std::string_view text)
{
    const readings::ReadResult read = readings::readText(text);
    EXPECT_FALSE(read.refused) << read.problem;
    return readings::matchLines(t, read.source, readings::findColumns(read.source), Year, Month);
}

TEST(ReadingsImport, ReadsBothEncodingsAndEverySeparatorAlike)
{
    const std::string lines[] = {
        "Участок;ФИО;Показание\r\n12;Семёнов О. И.;10432\r\n",
        "Участок,ФИО,Показание\n12,Семёнов О. И.,10432\n",
        "Участок\tФИО\tПоказание\n12\tСемёнов О. И.\t10432\n",
        "\xEF\xBB\xBFУчасток;ФИО;Показание\n12;\"Семёнов О. И.\";10432\n",
        "Участок;ФИО;Показание\n12;\"Семёнов; \"\"О. И.\"\"\";10432\n",
    };
    const std::vector<std::string> expected = { "12", "Семёнов О. И.", "10432" };
    for (std::size_t i = 0; i < std::size(lines); ++i) {
        for (const bool cp1251 : { false, true }) {
            SCOPED_TRACE(lines[i] + (cp1251 ? " (Windows-1251)" : ""));
            const readings::ReadResult read
                = readings::readText(cp1251 ? cp1251::encode(lines[i]) : lines[i]);
            ASSERT_FALSE(read.refused) << read.problem;
            EXPECT_EQ(read.source.encoding, cp1251 ? "Windows-1251" : "UTF-8");
            ASSERT_EQ(read.source.rows.size(), 2u);
            EXPECT_EQ(read.source.rows[0].cells.front(), "Участок");
            std::vector<std::string> cells = read.source.rows[1].cells;
            if (i == 4)
                EXPECT_EQ(cells[1], "Семёнов; \"О. И.\"");
            else
                EXPECT_EQ(cells, expected);
            EXPECT_EQ(read.source.rows[1].line, 2);
        }
    }
}

TEST(ReadingsImport, RefusesFilesThatHoldNoReadings)
{
    const std::pair<std::string, std::string> cases[] = {
        { "", "Файл пуст" },
        { " \r\n;;;\r\n\t\r\n", "Файл пуст" },
        { std::string("PK\x03\x04\0\0\x14\0", 8) + "xl/workbook.xml", "не похож на текст" },
        { "\xFF\xFE\x31\x00\x32\x00", "UTF-16" },
        { std::string(readings::MaxFileBytes + 1, '1'), "слишком большой" },
    };
    for (const auto& [bytes, message] : cases) {
        const readings::ReadResult read = readings::readText(bytes);
        EXPECT_TRUE(read.refused) << bytes.substr(0, 20);
        EXPECT_NE(read.problem.find(message), std::string::npos) << read.problem;
    }
}

TEST(ReadingsImport, RefusesAHugeLineAloneAndKeepsTheOthers)
{
    const RecordTable t = partnership();
    const std::string text = "1;1500\n" + std::string(10u << 20 >> 4, 'x') + ";7\n4;4100\n";
    const std::vector<readings::Line> lines = importText(t, text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].outcome, Outcome::Matched);
    EXPECT_EQ(lines[1].outcome, Outcome::Refused);
    EXPECT_NE(lines[1].note.find("строка слишком длинная"), std::string::npos);
    EXPECT_LT(lines[1].key.size(), 200u);
    EXPECT_EQ(lines[2].record, 4);
    EXPECT_EQ(lines[2].line, 3);
}

TEST(ReadingsImport, FindsColumnsByTheirHeadingsBelowATitle)
{
    struct Case
    {
        std::vector<std::string> headings;
        int number, name, reading, date;
    };
    const Case cases[] = {
        { { "№", "Фамилия И. О.", "Показание, кВт*ч" }, 0, 1, 2, -1 },
        { { "ФИО", "л/с", "Дата снятия", "Текущее" }, 1, 0, 3, 2 },
        { { "Дата", "ПОКАЗАНИЯ", "уч." }, 2, -1, 1, 0 },
        { { "Номер участка", "Собственник", "Значение" }, 0, 1, 2, -1 },
    };
    for (const Case& c : cases) {
        readings::Source source
            = readings::fromCells({ { "Показания за март 2026" }, {}, c.headings, { "1", "2" } });
        const readings::Columns found = readings::findColumns(source);
        EXPECT_EQ(found.headingRow, 1) << c.headings[0];
        EXPECT_EQ(std::tie(found.number, found.name, found.reading, found.date),
            std::tie(c.number, c.name, c.reading, c.date))
            << c.headings[0];
    }
    // Without headings: the key first and the reading last.
    const readings::Source bare
        = readings::fromCells({ { "12", "Иванов", "100" }, { "13", "Петров", "200" } });
    const readings::Columns guessed = readings::findColumns(bare);
    EXPECT_EQ(guessed.headingRow, -1);
    EXPECT_EQ(std::make_pair(guessed.number, guessed.reading), std::make_pair(0, 2));
}

TEST(ReadingsImport, MatchesByNumberElseByNameAsAPayment)
{
    const RecordTable t = partnership();
    const std::vector<readings::Line> lines = importText(t,
        "Участок;ФИО;Показание\n"
        "4;;4100\n" // number alone
        ";СЕМЕНОВ О.И.;4200\n" // name, case-blind, ё as е
        ";Кузнецова Анна Андреевна;6100\n" // full name against initials
        ";Иванов И. П.;1100\n" // two Ivanovs I. P.
        "1;Петров П.С.;1200\n" // number and name disagree
        "99;;1300\n" // number beyond the directory
        ";Сидоров С. С.;1400\n" // nobody of that name
        "5;;10\n" // the street lighting is no subscriber's meter
        "99;Петров П. С.;2300\n"); // the name when the number is missing
    ASSERT_EQ(lines.size(), 9u);
    const std::pair<Outcome, int> expected[]
        = { { Outcome::Matched, 4 }, { Outcome::Matched, 4 }, { Outcome::Matched, 6 },
              { Outcome::Ambiguous, 0 }, { Outcome::Ambiguous, 0 }, { Outcome::Unmatched, 0 },
              { Outcome::Unmatched, 0 }, { Outcome::Unmatched, 0 }, { Outcome::Matched, 2 } };
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(std::make_pair(lines[i].outcome, lines[i].record), expected[i])
            << i << ": " << lines[i].note;
    EXPECT_EQ(lines[3].note, "подходят несколько абонентов: 1, 3");
    EXPECT_NE(lines[4].note.find("разные абоненты"), std::string::npos);
    EXPECT_EQ(lines[5].note, "№ 99 нет в справочнике");
    EXPECT_NE(lines[7].note.find("уличное освещение"), std::string::npos);
    for (const readings::Line& l : lines)
        EXPECT_EQ(l.checked, l.outcome == Outcome::Matched && !l.replaces && l.record != 4 && l.record != 2)
            << l.line;
}

TEST(ReadingsImport, ReadsKeyReadingAndDateFromFreeText)
{
    const RecordTable t = partnership();
    const std::vector<readings::Line> lines = importText(t,
        "уч. 4 — 4100\n"
        "6 6100 31.03.2026\n"
        "Петров П. С. 2150,50 квт\n"
        "л/с 1: 1090 (2026-03-30)\n"
        "3 -50\n"
        "4100\n");
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(std::tie(lines[0].record, lines[0].reading), std::make_tuple(4, std::string("4100")));
    EXPECT_EQ(std::tie(lines[1].record, lines[1].reading, lines[1].date),
        std::make_tuple(6, std::string("6100"), std::string("31.03.26")));
    EXPECT_EQ(std::tie(lines[2].record, lines[2].reading), std::make_tuple(2, std::string("2150,5")));
    EXPECT_EQ(std::tie(lines[3].record, lines[3].date), std::make_tuple(1, std::string("30.03.26")));
    EXPECT_EQ(lines[4].outcome, Outcome::Refused);
    EXPECT_NE(lines[4].note.find("отрицательное"), std::string::npos);
    EXPECT_EQ(lines[5].note, "абонент не указан");
}

TEST(ReadingsImport, RefusesReadingsAndDatesTheSheetCannotTake)
{
    const RecordTable t = partnership();
    const std::pair<std::string, std::string> cases[]
        = { { "10432", "" }, { "010432", "" }, { "10 432", "" }, { "10432.50", "" }, { "999999999", "" },
              { "", "нет показания" }, { "десять", "показание не число: «десять»" }, { "12a", "не число" },
              { "−5", "отрицательное" }, { "1234567890", "больше 9 цифр" }, { "1,23456", "после запятой" } };
    for (const auto& [given, problem] : cases) {
        const std::vector<readings::Line> lines = importText(t, "№;Показание\n1;" + given + "\n");
        ASSERT_EQ(lines.size(), 1u);
        if (problem.empty()) {
            EXPECT_EQ(lines[0].outcome, Outcome::Matched) << given << ": " << lines[0].note;
        } else {
            EXPECT_EQ(lines[0].outcome, Outcome::Refused) << given;
            EXPECT_NE(lines[0].note.find(problem), std::string::npos) << lines[0].note;
            EXPECT_FALSE(lines[0].checked);
        }
    }
    const std::pair<std::string, std::string> dates[]
        = { { "31.03.2026", "31.03.26" }, { "1.3.26", "01.03.26" }, { "29.02.2028", "29.02.28" },
              { "29.02.2026", "" }, { "31.04.2026", "" }, { "март", "" } };
    for (const auto& [given, stored] : dates) {
        const std::vector<readings::Line> lines = importText(t, "№;Дата;Показание\n1;" + given + ";1500\n");
        EXPECT_EQ(lines[0].date, stored) << given;
        EXPECT_EQ(lines[0].outcome, stored.empty() ? Outcome::Refused : Outcome::Matched) << given;
    }
}

TEST(ReadingsImport, MarksReplacedReadingsRepeatsAndTheCheckRemark)
{
    RecordTable t = partnership();
    // Record 6 has a stored previous reading above what is brought in.
    t.set(6, cell(Month, fields::PreviousReading), "6500");
    const std::vector<readings::Line> lines = importText(t,
        "№;Показание\n"
        "2;2150\n" // the same reading as typed
        "2;2160\n" // another one: would replace 2150
        "1;1500\n" // previous from February by the autofill: nothing to remark
        "6;6100\n" // below the previous one
        "1;1500\n"); // a repeat
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_FALSE(lines[0].replaces);
    EXPECT_EQ(lines[0].current, "2150");
    EXPECT_TRUE(lines[1].replaces);
    EXPECT_FALSE(lines[1].checked);
    EXPECT_FALSE(lines[0].checked) << "two readings for one subscriber: neither is taken unasked";
    EXPECT_EQ(lines[2].remark, "");
    EXPECT_TRUE(lines[2].checked);
    EXPECT_NE(lines[3].remark.find("Показание меньше предыдущего"), std::string::npos) << lines[3].remark;
    EXPECT_TRUE(lines[3].checked) << "the check remarks, it refuses nothing";
    EXPECT_FALSE(lines[4].checked);
    EXPECT_EQ(lines[4].note, "повтор строки 4");
    // The table is only read.
    EXPECT_EQ(t.field(1, cell(Month, fields::CurrentReading)), "");
    EXPECT_EQ(readings::summary(lines), "Строк: 5, найдено: 5, неоднозначно: 0, не найдено: 0, с ошибкой: 0");
}

} // namespace
