// The bank import's rules where a payment is not simply one subscriber's for one month: several
// plots, a number and a name that disagree, payer accounts that are many people's, months named
// without a year, sums too large to be a bill, and a journal that has lost payments.

#include "accounts/bank_import.h"
#include "accounts/bank_test_support.h"
#include "support/files.h"

#include <gtest/gtest.h>

namespace {

using namespace bank;
using namespace banktest;
using statementtest::payment;

const std::vector<std::string> Names
    = { "Иванов И. И.", "Петрова А.С.", "Семёнов Л. Д.", "Козлова А. А.", "Смирнова Е.", "Волков Р. Ф." };

TEST(BankRules, SeveralPlotsOfOnePurposeAreNamedAndOfferedForASplit)
{
    const std::vector<std::pair<std::string, std::vector<int>>> cases = {
        { "участки 11, 12", { 11, 12 } },
        { "участки 11,12", { 11, 12 } },
        { "уч. 4 и 6", { 4, 6 } },
        { "оплата за уч. 4, 6 и 8 за март", { 4, 6, 8 } },
        { "участков 3; 5", { 3, 5 } },
        // What follows a plot is not always another.
        { "уч 12, 4520 кВт", { 12 } },
        { "уч. 12, 2026 год", { 12 } },
        { "уч. 12, показания 4520", { 12 } },
        { "уч. 12, 03.2026", { 12 } },
        { "уч. 12 и показания 15", { 12 } },
    };
    for (const auto& [purpose, numbers] : cases)
        EXPECT_EQ(accountNumbers(purpose), numbers) << purpose;

    const RecordTable table = directory(Names);
    const Payment both = paymentOf(payment("1", "3000", "ООО Ромашка", "эл/эн участки 1, 2"), table);
    EXPECT_EQ(both.record, 0);
    EXPECT_FALSE(both.matched);
    EXPECT_EQ(both.plots, (std::vector<int>{ 1, 2 }));
    EXPECT_EQ(both.note, "в назначении несколько лицевых счетов: 1, 2");
    // A plot the directory lacks is not offered.
    EXPECT_EQ(paymentOf(payment("2", "3000", "", "уч. 2 и 99"), table).plots, std::vector<int>{ 2 });
}

TEST(BankRules, TransitAndSharedPayerAccountsNeverServeTheRuleOfTheAccountSeenBefore)
{
    for (const char* transit :
        { "30232810000000000001", "30233810000000000001", "30301810000000000001", "30302810000000000001",
            "47422810000000000001", "40911810000000000001", " 30232810000000000001" })
        EXPECT_TRUE(isTransitAccount(transit)) << transit;
    for (const char* own : { "40817810000000000001", "40702810000000000001", "3023", "" })
        EXPECT_FALSE(isTransitAccount(own)) << own;

    const RecordTable table = directory(Names);
    const std::string cashDesk = "40911810000000000005";
    const std::string transit = "30232810000000000005";
    const std::string family = "40817810000000000012";
    const std::string sold = "40817810000000000077";
    Journal journal;
    const auto add = [&journal](const std::string& number, const std::string& account, int record,
                         const std::string& name) {
        journal.add({ { number, "10.01.2026", "500,00", account }, record, 2026, 1, "11.01.2026", name });
    };
    add("1", cashDesk, 5, "Смирнова Е.");
    add("2", transit, 5, "Смирнова Е.");
    // A payment divided between two subscribers: one key, two entries.
    add("3", family, 1, "Иванов И. И.");
    add("3", family, 2, "Петрова А.С.");
    // The same record, paid for under two names: the plot changed hands.
    add("4", sold, 6, "Орлов");
    add("5", sold, 6, "Волков Р. Ф.");

    struct Case
    {
        const char* what;
        std::string account;
        const char* note;
    };
    const std::vector<Case> cases = {
        { "a cash desk", cashDesk, "абонент не найден" },
        { "money in transit", transit, "абонент не найден" },
        { "paid for two subscribers", family, "счет плательщика встречался у нескольких абонентов: 1, 2" },
        { "paid for two names", sold, "счет плательщика платил за разных абонентов: Орлов, Волков Р. Ф." },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Payment p
            = paymentOf(payment("20", "100", "ПАО Банк", "", "05.02.2026", c.account), table, journal);
        EXPECT_EQ(p.record, 0);
        EXPECT_EQ(p.rule, Rule::None);
        EXPECT_EQ(p.note, c.note);
    }
    // An account of one subscriber's: the owner the bank names stands in the note.
    add("6", "40817810000000000033", 3, "Семёнов Л. Д.");
    const Payment own
        = paymentOf(payment("21", "100", "СЕМЕНОВА ОЛЬГА ПЕТРОВНА", "", "05.02.2026", "40817810000000000033"),
            table, journal);
    EXPECT_EQ(own.record, 3);
    EXPECT_EQ(own.rule, Rule::PayerAccount);
    EXPECT_EQ(own.note, "по счету плательщика: СЕМЕНОВА ОЛЬГА ПЕТРОВНА");
}

TEST(BankRules, AmongManyNamesakesOnlyTheirInitialsTellThemApart)
{
    std::vector<std::string> names;
    for (const char* initials : { "А. А.", "А. Б.", "Б. А.", "Б.", "В. В.", "А. В." })
        names.push_back(std::string("Иванов ") + initials);
    names.push_back("Иванова А. Б.");
    const RecordTable table = directory(names);
    struct Case
    {
        const char* payer;
        int record;
    };
    for (const Case& c : std::vector<Case>{ { "Иванов Алексей Борисович", 2 },
             { "Иванов Алексей Викторович", 6 }, { "Иванов В. В.", 5 }, { "Б. Иванов", 4 },
             { "Иванова Анна Борисовна", 7 }, { "Иванов А.", 0 }, { "Иванов Г. Г.", 0 },
             // "Б." and "Б. А." both.
             { "Иванов Борис Андреевич", 0 } }) {
        const Payment p = paymentOf(payment("1", "100", c.payer, "электроэнергия"), table);
        EXPECT_EQ(p.record, c.record) << c.payer;
    }
}

TEST(BankRules, AMonthNamedWithoutAYearIsTheLatestNotAfterThePayment)
{
    struct Case
    {
        const char* purpose;
        Date paid;
        std::vector<YearMonth> months;
    };
    const std::vector<Case> cases = {
        { "л/с 7 за ноябрь", { 5, 12, 2026 }, { { 2026, 11 } } },
        { "за декабрь", { 5, 1, 2027 }, { { 2026, 12 } } },
        { "за декабрь", { 5, 12, 2026 }, { { 2026, 12 } } },
        { "за январь", { 31, 12, 2026 }, { { 2026, 1 } } },
        { "ЗА ФЕВРАЛЬ", { 1, 1, 2027 }, { { 2026, 2 } } },
        { "за ноябрь, т.е. 11.2026", { 5, 12, 2026 }, { { 2026, 11 } } },
        { "за ноябрь и декабрь", { 5, 1, 2027 }, { { 2026, 11 }, { 2026, 12 } } },
        // A year written is taken as written, ahead or not.
        { "за март 2027", { 5, 12, 2026 }, { { 2027, 3 } } },
    };
    for (const Case& c : cases)
        EXPECT_EQ(namedMonths(c.purpose, c.paid), c.months) << c.purpose;
    EXPECT_TRUE(namedMonths("за ноябрь").empty());

    const RecordTable table = directory(Names);
    EXPECT_EQ(paymentOf(payment("1", "100", "", "л/с 1 за декабрь", "05.01.2027"), table).month,
        (YearMonth{ 2026, 12 }));
    // Without the day the money came in, the document's own date tells.
    statementtest::Lines undated = payment("2", "100", "", "л/с 1 за ноябрь", "05.12.2026");
    undated[8].second = "вчера";
    EXPECT_EQ(paymentOf(undated, table).month, (YearMonth{ 2026, 11 }));
    undated[1].second = "";
    const Payment neither = paymentOf(undated, table);
    EXPECT_FALSE(neither.matched);
    EXPECT_EQ(neither.note, "по л/с № 1; месяц назван без года, а дата поступления «вчера» не дата");
}

TEST(BankRules, ASumAboveTenMillionIsMatchedButWaitsForTheTreasurer)
{
    const RecordTable table = directory(Names);
    const Payment large = paymentOf(payment("1", "10000000.01", "", "л/с 1"), table);
    EXPECT_TRUE(large.matched);
    EXPECT_TRUE(large.large);
    EXPECT_FALSE(large.offeredChecked());
    EXPECT_EQ(large.note, "по л/с № 1; сумма больше 10 000 000 р.");
    const Payment limit = paymentOf(payment("2", "10000000.00", "", "л/с 1"), table);
    EXPECT_FALSE(limit.large);
    EXPECT_TRUE(limit.offeredChecked());
}

TEST(BankRules, WithAJournalThatLostPaymentsAMonthWithReceiptsIsNotOffered)
{
    RecordTable table = directory(Names);
    table.set(1, fields::ledgerBaseOfMonth(2026, 1) + 6, "300,00");
    Import import = importOf(
        { payment("1", "100", "", "л/с 1 за январь 2026"), payment("2", "100", "", "л/с 2 за январь 2026"),
            payment("3", "100", "", "л/с 1 за 02.2026"), payment("4", "100", "", "возврат") },
        table);
    EXPECT_EQ(markPossiblyImported(import, table), 1);
    EXPECT_TRUE(import.payments[0].possiblyImported);
    EXPECT_FALSE(import.payments[0].offeredChecked());
    EXPECT_EQ(import.payments[0].note, "возможно, уже занесён; по л/с № 1");
    for (std::size_t i : { 1u, 2u, 3u })
        EXPECT_FALSE(import.payments[i].possiblyImported) << i;
    EXPECT_TRUE(import.payments[1].offeredChecked());
}

TEST(BankSplit, ThePartsAreSubscribersOnceEachAndAddUpToTheSumToTheKopeck)
{
    const Currency sum = Currency::fromUnits(1000);
    const auto rub = [](std::int64_t kopecks) { return Currency::fromRaw(kopecks * 100); };
    struct Case
    {
        const char* what;
        std::vector<Part> parts;
        const char* problem;
    };
    const std::vector<Case> cases = {
        { "even", { { 1, rub(50000) }, { 2, rub(50000) } }, "" },
        { "three", { { 1, rub(33334) }, { 2, rub(33333) }, { 3, rub(33333) } }, "" },
        { "a kopeck short", { { 1, rub(50000) }, { 2, rub(49999) } },
            "Части в сумме 999,99 р., а платеж на 1000,00 р.: не хватает 0,01 р." },
        { "a kopeck over", { { 1, rub(50001) }, { 2, rub(50000) } },
            "Части в сумме 1000,01 р., а платеж на 1000,00 р.: лишние 0,01 р." },
        { "one part", { { 1, sum } }, "Платеж делится между двумя абонентами или больше." },
        { "no subscriber", { { 1, rub(50000) }, { 0, rub(50000) } }, "Для каждой части выберите абонента." },
        { "beyond the directory", { { 1, rub(50000) }, { 7, rub(50000) } },
            "Для каждой части выберите абонента." },
        { "twice", { { 1, rub(50000) }, { 1, rub(50000) } }, "Абонент № 1 указан дважды." },
        { "nothing", { { 1, sum }, { 2, Currency() } }, "Сумма каждой части должна быть больше нуля." },
        { "below a kopeck", { { 1, Currency::fromRaw(5'000'050) }, { 2, Currency::fromRaw(4'999'950) } },
            "Сумма части не может быть точнее копейки: 500,005 р." },
    };
    for (const Case& c : cases)
        EXPECT_EQ(splitProblem(sum, c.parts, 6), c.problem) << c.what;

    EXPECT_EQ(evenParts(sum, 3), (std::vector<Currency>{ rub(33334), rub(33333), rub(33333) }));
    EXPECT_EQ(evenParts(rub(5), 2), (std::vector<Currency>{ rub(3), rub(2) }));
    for (int count : { 2, 3, 7 }) {
        Currency total;
        for (Currency part : evenParts(rub(100001), count))
            total = *Currency::add(total, part);
        EXPECT_EQ(total, rub(100001)) << count;
    }
}

TEST(BankJournal, ADividedPaymentIsOneKeyOfSeveralEntriesAndDoneAsAWhole)
{
    TempFolder folder;
    const std::string path = journalPath(folder.file("Tervolin2.spb"));
    const PaymentKey key{ "5", "05.02.2026", "1000,00", "40817810000000000012" };
    Journal journal;
    journal.add({ key, 1, 2026, 2, "06.02.2026", "Иванов И. И." });
    journal.add({ key, 2, 2026, 2, "06.02.2026", "Петрова А.С." });
    ASSERT_TRUE(writeJournal(path, journal));
    const JournalRead back = readJournal(path);
    ASSERT_EQ(back.status, JournalRead::Status::Read);
    ASSERT_EQ(back.journal.entries().size(), 2u);
    ASSERT_NE(back.journal.find(key), nullptr);
    EXPECT_EQ(back.journal.find(key)->record, 1);

    const RecordTable table = directory(Names);
    const Payment again = paymentOf(
        payment("5", "1000.00", "Иванов Иван Иванович", "участки 1, 2", "05.02.2026", "40817810000000000012"),
        table, back.journal);
    EXPECT_TRUE(again.alreadyImported);
    EXPECT_FALSE(again.matched);
    EXPECT_EQ(again.note, "занесен 06.02.2026: Иванов И. И., Петрова А.С., Февраль 2026");
}

TEST(BankRules, AStatementOfTenMegabyteLinesIsReadAndQuotedByItsBeginning)
{
    const RecordTable table = directory(Names);
    const std::string longName(10 << 20, 'x');
    const Payment p
        = paymentOf(payment("1", longName, "Иванов И. И. " + longName, "л/с 1 " + longName), table);
    EXPECT_EQ(p.record, 1);
    EXPECT_FALSE(p.sum);
    EXPECT_EQ(p.note, "сумма «" + std::string(40, 'x') + "…» не число; по л/с № 1");
    EXPECT_EQ(p.document.purpose, "л/с 1 " + std::string(MaxKeptCharacters - 6, 'x') + "…");
    EXPECT_EQ(p.document.payer, "Иванов И. И. " + std::string(MaxKeptCharacters - 13, 'x') + "…");
}

TEST(BankRules, TheLongTextsOfAStatementAreLetGoOnceTheyAreQuotedByTheirBeginning)
{
    const RecordTable table = directory(Names);
    const std::string longText(1 << 20, 'x');
    Statement statement = statementOf({ payment("1", "10", "Иванов И. И.", "л/с 1"),
        payment("2", "20", "Петрова А.С. " + longText, "л/с 2 " + longText),
        payment("3", "30", "Орлов", "л/с 3") });
    ASSERT_EQ(statement.documents.size(), 3u);
    const std::weak_ptr<const TextStore> longTexts = statement.documents[1].texts;
    const Import import = prepareImport(std::move(statement), table, {}, statementtest::OurAccount);
    EXPECT_TRUE(longTexts.expired());
    ASSERT_EQ(import.payments.size(), 3u);
    const Document& kept = import.payments[1].document;
    EXPECT_EQ(kept.number, "2");
    EXPECT_EQ(kept.sum, "20");
    EXPECT_EQ(kept.payeeAccount, statementtest::OurAccount);
    EXPECT_EQ(kept.purpose, "л/с 2 " + std::string(MaxKeptCharacters - 6, 'x') + "…");
    EXPECT_EQ(import.payments[0].document.payer, "Иванов И. И.");
    EXPECT_EQ(import.payments[2].document.purpose, "л/с 3");
}

} // namespace
