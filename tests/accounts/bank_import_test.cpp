// Payments of a bank statement: whose and which month each is, what the journal already holds,
// and their entry into the ledger.

#include "accounts/bank_import.h"
#include "accounts/bank_test_support.h"
#include "accounts/ledger.h"
#include "accounts/statement_text.h"
#include "support/files.h"

#include <gtest/gtest.h>

namespace {

using namespace bank;
using namespace statementtest;
using namespace banktest;

constexpr int Year2026 = 2026;
const int January2026 = fields::ledgerBaseOfMonth(Year2026, 1);
const int February2026 = fields::ledgerBaseOfMonth(Year2026, 2);

const std::vector<std::string> Names = { "Иванов И. И.", "Петрова А.С.", "Семёнов Л. Д.", "Кузнецов П. А.",
    "Кузнецов П. А.", "Смирнова Е.", "Орлов" };

TEST(BankMatching, SumsAsBanksWriteThem)
{
    EXPECT_EQ(statementSum("1500"), Currency::fromUnits(1500));
    EXPECT_EQ(statementSum(" 1500.5 "), Currency::fromRaw(15'005'000));
    EXPECT_EQ(statementSum("1500,05"), Currency::fromRaw(15'000'500));
    for (const char* bad : { "", "0", "0.00", "-5", "+5", "1 500", "15.000", "1500.", ".5", "abc", "12,3,4",
             "99999999999999999999" })
        EXPECT_FALSE(statementSum(bad)) << bad;
    // Fourteen digits of roubles and more, either side of the reading of the usual sums.
    EXPECT_EQ(statementSum("00012.5"), Currency::fromRaw(125'000));
    EXPECT_EQ(statementSum("0.05"), Currency::fromRaw(500));
    EXPECT_EQ(statementSum("99999999999999.99"), Currency::parse("99999999999999,99"));
    EXPECT_EQ(statementSum("123456789012345.6"), Currency::parse("123456789012345,6"));
    EXPECT_EQ(statementSum("922337203685477"), Currency::fromUnits(922'337'203'685'477));
    EXPECT_FALSE(statementSum("922337203685478"));
}

TEST(BankMatching, TheKeyHoldsTheSumInTheLedgersFormHoweverTheBankWroteIt)
{
    const RecordTable table = directory(Names);
    struct Case
    {
        const char* written;
        const char* key;
    };
    for (const Case& c :
        std::vector<Case>{ { "1500", "1500,00" }, { "1500.5", "1500,50" }, { "0,05", "0,05" },
            { "007.10", "7,10" }, { "12345678901234.99", "12345678901234,99" }, { "1 500", "1 500" } }) {
        const Payment p = paymentOf(payment("1", c.written, "Иванов Иван Иванович", "л/с 1"), table);
        EXPECT_EQ(p.key.sum, c.key) << c.written;
        EXPECT_EQ(p.key.payerAccount, "40817810000000000001");
    }
}

TEST(BankMatching, TheKeyHoldsNumbersAndAccountsAsTheJournalWritesThem)
{
    const RecordTable table = directory(Names);
    // A sign the journal does not keep as it is, or a letter, at every place of a long account
    // and of a short number.
    const std::string account = "40817810000000000001";
    for (const char* odd : { "|", "Ж" }) {
        for (std::size_t at = 0; at <= account.size(); ++at) {
            std::string written = account;
            written.insert(at, odd);
            const std::string number = std::string("1") + odd;
            const Payment p = paymentOf(
                payment(number, "10", "Иванов Иван Иванович", "л/с 1", "05.02.2026", written), table);
            EXPECT_EQ(p.key.payerAccount, journalText(written)) << written;
            EXPECT_EQ(p.key.number, journalText(number));
        }
    }
    EXPECT_EQ(paymentOf(payment("17", "10", "Иванов Иван Иванович", "л/с 1"), table).key.number, "17");
}

TEST(BankMatching, PersonalAccountAndPlotNumbersInThePurpose)
{
    const std::vector<std::pair<std::string, std::vector<int>>> cases = {
        { "Оплата эл/эн л/с 17", { 17 } },
        { "ЛС17 за январь", { 17 } },
        { "лс: 17", { 17 } },
        { "Лицевой счёт №17", { 17 } },
        { "лицевой счет № 17.", { 17 } },
        { "уч. 17", { 17 } },
        { "Участок 17", { 17 } },
        { "УЧ-К №17, показания 4520", { 17 } },
        { "л/с 17, участок 17", { 17 } },
        { "л/с 17 и уч. 18", { 17, 18 } },
        // Nothing that only looks like one.
        { "учет 17 кВт", {} },
        { "уч. 17/2", {} },
        { "уч 17а", {} },
        { "за 15.03.2026", {} },
        { "класс 17", {} },
        { "л/с 0", {} },
    };
    for (const auto& [purpose, numbers] : cases)
        EXPECT_EQ(accountNumbers(purpose), numbers) << purpose;
}

TEST(BankMatching, MonthsNamedInThePurpose)
{
    const std::vector<std::pair<std::string, std::vector<YearMonth>>> cases = {
        { "за март 2026", { { Year2026, 3 } } },
        { "за МАРТ 2026г.", { { Year2026, 3 } } },
        { "оплата за марта 2026 года", { { Year2026, 3 } } },
        { "за 03.2026", { { Year2026, 3 } } },
        { "3/2026 л/с 5", { { Year2026, 3 } } },
        { "за март 2026, т.е. 03.2026", { { Year2026, 3 } } },
        { "за 01.2026 и 02.2026", { { Year2026, 1 }, { Year2026, 2 } } },
        { "за 12.2019", { { 2019, 12 } } },
        // A date is no month named.
        { "платеж от 15.03.2026", {} },
        { "счет 03.2026.15", {} },
        { "за 13.2026", {} },
        { "за март", {} },
    };
    for (const auto& [purpose, months] : cases)
        EXPECT_EQ(namedMonths(purpose), months) << purpose;
}

TEST(BankMatching, DatesOfTheStatement)
{
    ASSERT_TRUE(parseDate("29.02.2024"));
    EXPECT_EQ(parseDate("05.02.2026")->month, 2);
    for (const char* bad : { "29.02.2026", "31.04.2026", "00.01.2026", "5.2.2026", "05.02.26", "" })
        EXPECT_FALSE(parseDate(bad)) << bad;
}

struct Expected
{
    const char* what;
    Lines document;
    int record;
    const char* note;
};

void expectMatches(const std::vector<Expected>& cases, const RecordTable& table, const Journal& journal = {})
{
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.what);
        const Import import = importOf({ c.document }, table, journal);
        ASSERT_EQ(import.payments.size(), 1u);
        const Payment& p = import.payments.front();
        EXPECT_EQ(p.record, c.record);
        EXPECT_EQ(p.matched, c.record != 0);
        EXPECT_EQ(p.note, c.note);
    }
}

TEST(BankMatching, EachRuleInItsOrderAndItsAmbiguity)
{
    const RecordTable table = directory(Names);
    expectMatches(
        {
            { "a number the payer's name agrees with", payment("1", "100", "Петрова Анна Сергеевна", "л/с 2"),
                2, "по л/с № 2" },
            // A slip in the number or a payment for somebody else: the treasurer decides.
            { "a number and the payer's name of two subscribers",
                payment("1", "100", "Иванов Иван Иванович", "оплата эл/эн уч 2 Иванов"), 0,
                "л/с № 2 — 2. Петрова А.С., а по фамилии — 1. Иванов И. И.: разные абоненты" },
            { "a number and the name in the purpose of two subscribers",
                payment("1", "100", "ООО Ромашка", "л/с 2, плательщик Семенов Л.Д."), 0,
                "л/с № 2 — 2. Петрова А.С., а по фамилии — 3. Семёнов Л. Д.: разные абоненты" },
            { "one of two plots of the same name", payment("1", "100", "Кузнецов Павел Андреевич", "уч. 5"),
                5, "по л/с № 5" },
            { "two numbers", payment("1", "100", "Иванов Иван Иванович", "л/с 2, л/с 3"), 0,
                "в назначении несколько лицевых счетов: 2, 3" },
            { "a number not in the directory, then the name",
                payment("1", "100", "Иванов Иван Иванович", "л/с 99"), 1,
                "л/с № 99 нет в справочнике; по фамилии" },
            { "the payer, capitals and ё", payment("1", "100", "СЕМЕНОВ ЛЕОНИД ДМИТРИЕВИЧ", "электроэнергия"),
                3, "по фамилии" },
            { "initials before the surname", payment("1", "100", "Л.Д. Семенов", ""), 3, "по фамилии" },
            { "the purpose", payment("1", "100", "ООО Ромашка", "за Петрова А. С. эл. энергия"), 2,
                "по фамилии" },
            { "one initial in the directory", payment("1", "100", "Смирнова Елена Петровна", ""), 6,
                "по фамилии" },
            { "two subscribers of one name", payment("1", "100", "Кузнецов Павел Андреевич", ""), 0,
                "подходят несколько абонентов: 4, 5" },
            { "payer and purpose name two", payment("1", "100", "Иванов И. И.", "за Петрова А.С."), 0,
                "подходят несколько абонентов: 1, 2" },
            { "wrong initials", payment("1", "100", "Иванов Пётр Сергеевич", ""), 0, "абонент не найден" },
            { "a surname alone is not enough", payment("1", "100", "Орлов Олег Олегович", ""), 0,
                "абонент не найден" },
        },
        table);
}

TEST(BankMatching, APayerAccountTheJournalKnowsForOneSubscriber)
{
    const RecordTable table = directory(Names);
    Journal journal;
    journal.add({ { "7", "10.01.2026", "500,00", "40817810000000000077" }, 6, Year2026, 1, "11.01.2026",
        "Смирнова Е." });
    journal.add({ { "8", "10.01.2026", "500,00", "40817810000000000088" }, 1, Year2026, 1, "11.01.2026",
        "Иванов И. И." });
    journal.add({ { "9", "10.01.2026", "500,00", "40817810000000000088" }, 2, Year2026, 1, "11.01.2026",
        "Петрова А.С." });
    // Record 3 was somebody else when this went in.
    journal.add({ { "10", "10.01.2026", "500,00", "40817810000000000099" }, 3, Year2026, 1, "11.01.2026",
        "Волков Р. Ф." });
    expectMatches(
        {
            // The account's owner as the bank names him, for the treasurer to see whose account it is.
            { "seen for one", payment("20", "100", "ООО Ромашка", "", "05.02.2026", "40817810000000000077"),
                6, "по счету плательщика: ООО Ромашка" },
            { "seen for two", payment("21", "100", "ООО Ромашка", "", "05.02.2026", "40817810000000000088"),
                0, "счет плательщика встречался у нескольких абонентов: 1, 2" },
            { "seen for a record that changed hands",
                payment("22", "100", "ООО Ромашка", "", "05.02.2026", "40817810000000000099"), 0,
                "абонент не найден" },
            { "a name comes first",
                payment("23", "100", "Иванов И.И.", "", "05.02.2026", "40817810000000000077"), 1,
                "по фамилии" },
        },
        table, journal);
}

TEST(BankMatching, TheMonthNamedOrThatOfTheMoneyComingIn)
{
    const RecordTable table = directory(Names);
    struct Case
    {
        const char* what;
        Lines document;
        std::optional<YearMonth> month;
        const char* note;
    };
    const std::vector<Case> cases = {
        { "named", payment("1", "100", "", "л/с 1 за январь 2026", "05.02.2026"), YearMonth{ Year2026, 1 },
            "по л/с № 1" },
        { "by number", payment("1", "100", "", "л/с 1 за 12.2025", "05.02.2026"), YearMonth{ 2025, 12 },
            "по л/с № 1" },
        { "not named", payment("1", "100", "", "л/с 1", "05.02.2026"), YearMonth{ Year2026, 2 },
            "по л/с № 1" },
        { "two named", payment("1", "100", "", "л/с 1 за 01.2026 и 02.2026"), std::nullopt,
            "по л/с № 1; в назначении несколько месяцев" },
        { "a year before 2020", payment("1", "100", "", "л/с 1 за декабрь 2019"), std::nullopt,
            "по л/с № 1; год 2019 вне 2020 … 2027" },
        { "came in after 2027", payment("1", "100", "", "л/с 1", "10.01.2028"), std::nullopt,
            "по л/с № 1; год 2028 вне 2020 … 2027" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Import import = importOf({ c.document }, table);
        ASSERT_EQ(import.payments.size(), 1u);
        EXPECT_EQ(import.payments[0].month, c.month);
        EXPECT_EQ(import.payments[0].matched, c.month.has_value());
        EXPECT_EQ(import.payments[0].note, c.note);
    }

    // Once the database holds 2021 … 2028, January 2028 is a month like any other, and 2020 is gone.
    RecordTable later = table;
    later.setYears(fields::YearWindow(2021));
    const Import moved = importOf({ payment("1", "100", "", "л/с 1", "10.01.2028"),
                                      payment("2", "100", "", "л/с 1 за декабрь 2020", "10.01.2028") },
        later);
    ASSERT_EQ(moved.payments.size(), 2u);
    EXPECT_EQ(moved.payments[0].month, (YearMonth{ 2028, 1 }));
    EXPECT_TRUE(moved.payments[0].matched);
    EXPECT_EQ(moved.payments[1].note, "по л/с № 1; год 2020 вне 2021 … 2028");
}

TEST(BankMatching, OnlyMoneyComingIntoTheAssociationsAccountIsTaken)
{
    const RecordTable table = directory(Names);
    Lines outgoing = payment("1", "100", "СНТ Рассвет", "Оплата за электроэнергию");
    outgoing[6].second = "40702810000000009999"; // ПолучательСчет: the supplier's
    Lines notYetIn = payment("2", "100", "Иванов И. И.", "л/с 1");
    notYetIn.erase(notYetIn.begin() + 8); // no ДатаПоступило
    const Import import
        = importOf({ outgoing, notYetIn, payment("3", "abc", "Иванов И. И.", "л/с 1 за 01.2026") }, table);
    EXPECT_EQ(import.skipped, 2);
    ASSERT_EQ(import.payments.size(), 1u);
    // A sum that is no number is listed, with the reason, and never offered.
    const Payment& bad = import.payments[0];
    EXPECT_FALSE(bad.sum);
    EXPECT_FALSE(bad.matched);
    EXPECT_EQ(bad.record, 1);
    EXPECT_EQ(bad.note, "сумма «abc» не число; по л/с № 1");

    // Without an account of its own, nothing is the association's.
    EXPECT_EQ(prepareImport(statementOf({ notYetIn }), table, {}, "").skipped, 1);
}

TEST(BankMatching, APaymentInTheJournalOrTwiceInTheStatementIsNeverOfferedAgain)
{
    const RecordTable table = directory(Names);
    Journal journal;
    journal.add({ { "17", "05.02.2026", "1500,00", "40817810000000000001" }, 3, Year2026, 1, "06.02.2026",
        "Семёнов Л. Д." });
    const Import import = importOf(
        { payment("17", "1500.00", "Иванов И. И.", "л/с 1"), payment("18", "200", "Иванов И. И.", "л/с 1"),
            payment("18", "200.00", "Иванов И. И.", "л/с 1") },
        table, journal);
    ASSERT_EQ(import.payments.size(), 3u);
    // The bank wrote 1500.00, the journal keeps 1500,00: the same payment.
    EXPECT_TRUE(import.payments[0].alreadyImported);
    EXPECT_FALSE(import.payments[0].matched);
    EXPECT_EQ(import.payments[0].record, 3);
    EXPECT_EQ(import.payments[0].note, "занесен 06.02.2026: Семёнов Л. Д., Январь 2026");
    EXPECT_TRUE(import.payments[1].matched);
    EXPECT_TRUE(import.payments[2].alreadyImported);
    EXPECT_FALSE(import.payments[2].matched);
    EXPECT_EQ(import.payments[2].note, "повторяет платеж выше в этой выписке");
}

// January and February 2026 of subscriber 1: an opening underpayment, the electricity charge and
// a payment already typed in.
RecordTable ledgerTable()
{
    RecordTable table = directory({ "Иванов И. И.", "Петрова А.С." });
    table.set(1, January2026, "200,00");
    table.set(1, January2026 - 1, "1000,00");
    table.set(1, January2026 + 6, "300,00");
    table.set(1, February2026 - 1, "900,00");
    return table;
}

TEST(BankPosting, AddsToWhatWasPaidAndCarriesTheClosingBalancesIntoFebruary)
{
    RecordTable table = ledgerTable();
    const PostingResult result = post(table,
        { { 1, { Year2026, 1 }, Currency::fromUnits(500) },
            { 1, { Year2026, 1 }, Currency::fromRaw(15'000'500) },
            { 2, { Year2026, 1 }, Currency::fromUnits(70) } });
    EXPECT_EQ(result.refused, std::vector<std::string>(3));
    EXPECT_EQ(table.field(1, January2026 + 6), "2300,05");
    // Due 200 + 1000 = 1200, paid 2300,05: 1100,05 overpaid.
    EXPECT_EQ(table.field(1, January2026 + 5), "1200,00");
    EXPECT_EQ(table.field(1, January2026 + 9), "");
    EXPECT_EQ(table.field(1, January2026 + 10), "1100,05");
    EXPECT_EQ(table.field(1, February2026), "");
    EXPECT_EQ(table.field(1, February2026 + 1), "1100,05");
    EXPECT_EQ(table.field(2, January2026 + 6), "70,00");
    EXPECT_EQ(table.field(2, February2026 + 1), "70,00");
    // February has its charge: it is recomputed, and carries into March.
    EXPECT_EQ(
        result.changedMonths, (std::vector<YearMonth>{ { Year2026, 1 }, { Year2026, 2 }, { Year2026, 3 } }));
    EXPECT_EQ(table.field(1, February2026 + 9), "");
    EXPECT_EQ(table.field(1, February2026 + 10), "200,05");
}

TEST(BankPosting, RecomputesTheMonthsBetweenSoThatEachCarryReachesTheNext)
{
    RecordTable table = ledgerTable();
    const int march = fields::ledgerBaseOfMonth(Year2026, 3);
    const int april = fields::ledgerBaseOfMonth(Year2026, 4);
    const PostingResult result = post(table,
        { { 1, { Year2026, 3 }, Currency::fromUnits(100) },
            { 1, { Year2026, 1 }, Currency::fromUnits(1000) } });
    // January: due 1200, paid 1300: 100 over. February: 100 over, 900 due: 800 under.
    EXPECT_EQ(table.field(1, February2026 + 1), "100,00");
    EXPECT_EQ(table.field(1, February2026 + 9), "800,00");
    // March starts from February's end and takes its 100.
    EXPECT_EQ(table.field(1, march), "800,00");
    EXPECT_EQ(table.field(1, march + 9), "700,00");
    EXPECT_EQ(table.field(1, april), "700,00");
    EXPECT_EQ(result.changedMonths,
        (std::vector<YearMonth>{ { Year2026, 1 }, { Year2026, 2 }, { Year2026, 3 }, { Year2026, 4 } }));
}

TEST(BankPosting, DecemberCarriesNothingAndWhatCannotGoInIsRefusedUntouched)
{
    RecordTable table = ledgerTable();
    const int december = fields::ledgerBaseOfMonth(Year2026, 12);
    const int nextJanuary = fields::ledgerBaseOfMonth(Year2026 + 1, 1);
    table.set(1, december + 6, "по кассе");
    table.set(2, nextJanuary, "5,00");
    const PostingResult result = post(table,
        { { 1, { Year2026, 12 }, Currency::fromUnits(10) }, { 2, { Year2026, 12 }, Currency::fromUnits(10) },
            { 3, { Year2026, 12 }, Currency::fromUnits(10) },
            { 2, { Year2026 + 2, 1 }, Currency::fromUnits(10) } });
    ASSERT_EQ(result.refused.size(), 4u);
    EXPECT_EQ(result.refused[0], "в «Внесено» записано не число: «по кассе,00»");
    EXPECT_EQ(result.refused[1], "");
    EXPECT_EQ(result.refused[2], "абонента № 3 нет в справочнике");
    EXPECT_EQ(result.refused[3], "месяц вне 2020 … 2027");
    EXPECT_EQ(table.field(2, december + 6), "10,00");
    EXPECT_EQ(table.field(2, nextJanuary), "5,00");
    EXPECT_EQ(result.changedMonths, (std::vector<YearMonth>{ { Year2026, 12 } }));
}

TEST(BankJournal, WritesWindows1251LinesAndReadsThemBack)
{
    TempFolder folder;
    const std::string path = journalPath(folder.file("Tervolin2.spb"));
    EXPECT_EQ(path, folder.file("Tervolin2.bank"));
    // No journal yet is an empty one.
    const JournalRead none = readJournal(path);
    EXPECT_EQ(none.status, JournalRead::Status::Read);
    EXPECT_TRUE(none.journal.entries().empty());

    Journal journal;
    journal.add({ { "17|a", "05.02.2026", "1500,00", "40817810000000000001" }, 3, Year2026, 2, "06.02.2026",
        "Семёнов Л. Д." });
    journal.add({ { "", "05.02.2026", "0,50", "" }, 3001, 2027, 12, "06.02.2026", "Иванов\r\nИ. И." });
    ASSERT_TRUE(writeJournal(path, journal));
    EXPECT_EQ(readBytes(path),
        encoded("17a|05.02.2026|1500,00|40817810000000000001|3|2026|2|06.02.2026|Семёнов Л. Д.|\r\n"
                "|05.02.2026|0,50||3001|2027|12|06.02.2026|ИвановИ. И.|\r\n",
            "CP1251"));
    const JournalRead back = readJournal(path);
    ASSERT_EQ(back.status, JournalRead::Status::Read);
    ASSERT_EQ(back.journal.entries().size(), 2u);
    EXPECT_EQ(back.journal.entries()[0].subscriber, "Семёнов Л. Д.");
    ASSERT_NE(back.journal.find({ "17a", "05.02.2026", "1500,00", "40817810000000000001" }), nullptr);
    EXPECT_EQ(back.journal.find({ "17", "05.02.2026", "1500,00", "40817810000000000001" }), nullptr);
}

TEST(BankJournal, ADamagedLineIsReportedNotSkipped)
{
    TempFolder folder;
    const std::string path = folder.file("Tervolin2.bank");
    const std::string good = "1|05.02.2026|10,00||1|2026|2|06.02.2026|Иванов|\r\n";
    // Payments of years after 2027 (and of years the database has since dropped) are known.
    writeBytes(path, good + "2|05.02.2028|10,00||1|2028|1|06.02.2028|Иванов|\r\n");
    ASSERT_EQ(readJournal(path).journal.entries().size(), 2u);
    EXPECT_EQ(readJournal(path).journal.entries()[1].year, 2028);
    EXPECT_EQ(journalBytes(readJournal(path).journal),
        good + "2|05.02.2028|10,00||1|2028|1|06.02.2028|Иванов|\r\n");
    for (const std::string& bad : { std::string("1|05.02.2026|10,00||1|2026|2|06.02.2026|Иванов\r\n"),
             std::string("1|05.02.2026|много||1|2026|2|06.02.2026|Иванов|\r\n"),
             std::string("1|05.02.2026|10,00||0|2026|2|06.02.2026|Иванов|\r\n"),
             std::string("1|05.02.2026|10,00||1|2019|2|06.02.2026|Иванов|\r\n"),
             std::string("1|05.02.2026|10,00||1|2026|13|06.02.2026|Иванов|\r\n"), std::string("\r\n") }) {
        writeBytes(path, encoded(good + bad + good, "CP1251"));
        const JournalRead read = readJournal(path);
        EXPECT_EQ(read.status, JournalRead::Status::Damaged) << bad;
        EXPECT_EQ(read.line, 2) << bad;
        EXPECT_TRUE(read.journal.entries().empty());
    }
}

} // namespace
