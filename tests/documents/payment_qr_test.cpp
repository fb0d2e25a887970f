#include "documents/payment_qr.h"

#include <gtest/gtest.h>

namespace {

using namespace documents;

PayeeDetails payee()
{
    return { "СНТ «Ромашка»", "40702810900000000025", "ПАО «Примербанк»", "044514512", "30101817000000000512",
        "7707083893", "770701001", DefaultPurpose };
}

PaymentFacts march(const std::string& total = "1234,56")
{
    return { total, "17", "Петрова Клавдия Львовна", 3, "2026" };
}

const std::string Block
    = "ST00012|Name=СНТ «Ромашка»|PersonalAcc=40702810900000000025|BankName=ПАО «Примербанк»"
      "|BIC=044514512|CorrespAcc=30101817000000000512|PayeeINN=7707083893";

// The value of a key in the payload; "<none>" when the key is not there.
std::string valueOf(const std::string& payload, const std::string& key)
{
    const std::string start = "|" + key + "=";
    const std::size_t at = payload.find(start);
    if (at == std::string::npos)
        return "<none>";
    const std::size_t from = at + start.size();
    return payload.substr(from, payload.find('|', from) - from);
}

std::size_t characters(const std::string& text)
{
    return utf8Length(text);
}

TEST(PaymentPurpose, FillsInTheMonthYearNameAndRecord)
{
    EXPECT_EQ(paymentPurpose(DefaultPurpose, march()),
        "Электроэнергия за март 2026, Петрова Клавдия Львовна, л/с 17");
    PaymentFacts december = march();
    december.month = 12;
    EXPECT_EQ(paymentPurpose("{номер}: {месяц} {год}, {месяц}", december), "17: декабрь 2026, декабрь");
    EXPECT_EQ(paymentPurpose("Взнос {прочее}", march()), "Взнос {прочее}");
}

TEST(PaymentPayload, HoldsEveryKeyInOrder)
{
    EXPECT_EQ(paymentPayload(payee(), march()),
        Block
            + "|KPP=770701001|Sum=123456|Purpose=Электроэнергия за март 2026, Петрова Клавдия Львовна, л/с 17"
              "|PersAcc=17|LastName=Петрова|FirstName=Клавдия|MiddleName=Львовна|PaymPeriod=032026");
}

TEST(PaymentPayload, TheSumIsInKopecks)
{
    const std::pair<const char*, const char*> totals[] = {
        { "1 234,5", "123450" }, // thousands spaced as the receipt shows them
        { "1\xC2\xA0"
          "234,50",
            "123450" }, // with a no-break space
        { "12", "1200" },
        { "0,01", "1" },
        { " 399,72 ", "39972" },
        { "3001234,99", "300123499" },
    };
    for (const auto& [total, kopecks] : totals)
        EXPECT_EQ(valueOf(paymentPayload(payee(), march(total)), "Sum"), kopecks) << total;
}

TEST(PaymentPayload, NoCodeWithoutSomethingToPay)
{
    for (const char* total : { "", "0", "0,00", "-15,20", "сто", "12,5 р." })
        EXPECT_EQ(paymentPayload(payee(), march(total)), "") << total;
}

TEST(PaymentPayload, NoCodeUnlessEveryDetailPasses)
{
    EXPECT_EQ(paymentPayload(PayeeDetails{}, march()), "");
    PayeeDetails details = payee();
    details.correspAcc.clear();
    EXPECT_EQ(paymentPayload(details, march()), "");
    // Details edited by hand in the settings file.
    details = payee();
    details.kpp = "12";
    EXPECT_EQ(paymentPayload(details, march()), "");
    details = payee();
    details.name = "СНТ|Sum=1";
    EXPECT_EQ(paymentPayload(details, march()), "") << "no second sum in the code";
    details = payee();
    details.purpose = "Электроэнергия\n{месяц}";
    EXPECT_EQ(paymentPayload(details, march()), "");
}

TEST(PaymentPayload, EmptyKeysAreLeftOut)
{
    PayeeDetails details = payee();
    details.kpp.clear();
    PaymentFacts facts = march();
    facts.record.clear();
    const std::string payload = paymentPayload(details, facts);
    EXPECT_EQ(payload.find("KPP"), std::string::npos);
    EXPECT_EQ(payload.find("PersAcc"), std::string::npos);
    EXPECT_EQ(payload.rfind(Block + "|Sum=123456|Purpose=", 0), 0u) << payload;
}

TEST(PaymentPayload, NamesSplitOnlyWhenTheyAreThreeWords)
{
    const std::pair<const char*, const char*> names[] = {
        { "Петрова К. Л.", "<none>" },
        { "Петрова Клавдия", "<none>" },
        { "Мамедов Рашид Алиевич оглы", "<none>" },
        { "Петрова Клавдия Л", "Петрова" },
        { "Римская-Корсакова Анна Ивановна", "Римская-Корсакова" },
        { "  Ёлкина   Алёна Петровна ", "Ёлкина" },
        { "Петрова Клавдия Львовна-", "<none>" },
        { "Участок 17 Петров", "<none>" },
    };
    for (const auto& [name, lastName] : names) {
        PaymentFacts facts = march();
        facts.fullName = name;
        EXPECT_EQ(valueOf(paymentPayload(payee(), facts), "LastName"), lastName) << name;
    }
    PaymentFacts facts = march();
    facts.fullName = "  Ёлкина   Алёна Петровна ";
    const std::string payload = paymentPayload(payee(), facts);
    EXPECT_EQ(valueOf(payload, "FirstName"), "Алёна");
    EXPECT_EQ(valueOf(payload, "MiddleName"), "Петровна");
}

TEST(PaymentPayload, BarsAndLineBreaksAreTakenOutOfTheSubscribersValues)
{
    PayeeDetails details = payee();
    details.purpose = "Свет {ФИО}";
    PaymentFacts facts = march();
    facts.fullName = "Петрова|\r\nКлавдия Львовна";
    facts.record = "1|7";
    const std::string payload = paymentPayload(details, facts);
    EXPECT_EQ(payload,
        "ST00012|Name=СНТ «Ромашка»|PersonalAcc=40702810900000000025|BankName=ПАО «Примербанк»|BIC=044514512"
        "|CorrespAcc=30101817000000000512|PayeeINN=7707083893|KPP=770701001|Sum=123456"
        "|Purpose=Свет Петрова  Клавдия Львовна|PersAcc=17|LastName=Петрова|FirstName=Клавдия"
        "|MiddleName=Львовна|PaymPeriod=032026");
}

TEST(PaymentPayload, ALongPurposeIsCutAt160Characters)
{
    PayeeDetails details = payee();
    details.purpose.clear();
    for (int i = 0; i < 15; ++i)
        details.purpose += "Электричество "; // 14 characters, 27 bytes: 210 in all, as many as may be typed
    const std::string purpose = valueOf(paymentPayload(details, march()), "Purpose");
    // 11 whole words and "Электр": 160 characters, none of them cut in half.
    EXPECT_EQ(characters(purpose), 160u);
    EXPECT_EQ(purpose.substr(purpose.size() - 12), "Электр");
    EXPECT_EQ(purpose.size(), 11u * 27 + 12);
}

TEST(PaymentPayload, TheMandatoryBlockStaysWithin300Bytes)
{
    PayeeDetails details = payee();
    details.name.clear();
    for (int i = 0; i < 16; ++i)
        details.name += "Товарищест"; // 10 characters, 20 bytes: 320 bytes in all
    details.bankName = std::string(40, 'B') + "Банк!"; // 45 characters
    const std::string payload = paymentPayload(details, march());
    const std::size_t start = payload.find("Name=");
    const std::size_t end = payload.find("|PayeeINN=");
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end - start, 300u);
    EXPECT_GE(end - start, 299u); // only as much is cut as must be
    EXPECT_EQ(valueOf(payload, "BankName"), details.bankName); // the bank's name stays whole
    const std::string name = valueOf(payload, "Name");
    EXPECT_EQ(details.name.rfind(name, 0), 0u); // the beginning of the name, in whole characters
    EXPECT_EQ(name.size() % 2, 0u);
}

TEST(PaymentPayload, APeriodOnlyForAMonthAndYear)
{
    PaymentFacts facts = march();
    facts.month = 11;
    EXPECT_EQ(valueOf(paymentPayload(payee(), facts), "PaymPeriod"), "112026");
    facts.month = 0;
    EXPECT_EQ(valueOf(paymentPayload(payee(), facts), "PaymPeriod"), "<none>");
    facts = march();
    facts.year = "26";
    EXPECT_EQ(valueOf(paymentPayload(payee(), facts), "PaymPeriod"), "<none>");
}

} // namespace
