#include "documents/payee.h"

#include <gtest/gtest.h>

namespace {

using namespace documents;

// Accounts as published with their banks' BICs: the Bank of Russia's own worked examples of the key,
// and the correspondent accounts that large banks print on every payment form.
struct Published
{
    const char* bic;
    const char* account;
};
constexpr Published SettlementAccounts[] = {
    { "049805746", "40602810700000000025" }, // the Bank of Russia's example of a client account
    { "044514512", "40702810900000000025" }, // the accounting textbooks' example
};
constexpr Published CorrespondentAccounts[] = {
    { "049805000", "30101810800000000746" }, // the Bank of Russia's example
    { "044525225", "30101810400000000225" },
    { "044525974", "30101810145250000974" },
    { "044525593", "30101810200000000593" },
    { "044525187", "30101810700000000187" },
};

std::string withDigitChanged(std::string text, std::size_t at, int by)
{
    text[at] = char('0' + (text[at] - '0' + by) % 10);
    return text;
}

TEST(PayeeAccounts, PublishedAccountsPassTheirKey)
{
    for (const Published& p : SettlementAccounts)
        EXPECT_TRUE(accountKeyValid(p.bic, p.account)) << p.account;
    for (const Published& p : CorrespondentAccounts)
        EXPECT_TRUE(correspondentKeyValid(p.bic, p.account)) << p.account;
}

TEST(PayeeAccounts, EveryMistypedDigitOfTheAccountIsCaught)
{
    for (const Published& p : SettlementAccounts) {
        for (std::size_t at = 0; at < 20; ++at)
            for (int by = 1; by < 10; ++by)
                EXPECT_FALSE(accountKeyValid(p.bic, withDigitChanged(p.account, at, by))) << at << " " << by;
    }
    for (const Published& p : CorrespondentAccounts) {
        for (std::size_t at = 0; at < 20; ++at)
            for (int by = 1; by < 10; ++by)
                EXPECT_FALSE(correspondentKeyValid(p.bic, withDigitChanged(p.account, at, by)));
    }
}

TEST(PayeeAccounts, TheKeyTakesTheRightDigitsOfTheBic)
{
    // The account's key rests on the BIC's last three digits, the correspondent account's on the 5th and
    // 6th: a change there breaks the key, a change elsewhere in the BIC does not.
    EXPECT_FALSE(accountKeyValid("049805747", "40602810700000000025"));
    EXPECT_TRUE(accountKeyValid("149805746", "40602810700000000025"));
    EXPECT_FALSE(correspondentKeyValid("049815000", "30101810800000000746"));
    EXPECT_TRUE(correspondentKeyValid("049805001", "30101810800000000746"));
    // The two rules are not interchangeable.
    EXPECT_FALSE(accountKeyValid("049805000", "30101810800000000746"));
    EXPECT_FALSE(correspondentKeyValid("049805746", "40602810700000000025"));
}

TEST(PayeeAccounts, OnlyTwentyDigitsAndANineDigitBicAreChecked)
{
    EXPECT_FALSE(accountKeyValid("049805746", "4060281070000000002")); // 19 digits
    EXPECT_FALSE(accountKeyValid("049805746", "406028107000000000250"));
    EXPECT_FALSE(accountKeyValid("049805746", "40602810700000000O25")); // a letter O
    EXPECT_FALSE(accountKeyValid("04980574", "40602810700000000025"));
    EXPECT_FALSE(accountKeyValid("", ""));
    EXPECT_FALSE(correspondentKeyValid("0498", "30101810800000000746"));
}

TEST(PayeeInn, CheckDigitsOfOrganisationsAndPeople)
{
    for (const char* inn : { "7707083893", "7736207543", "7830002293", "500100732259", "773370857141" })
        EXPECT_TRUE(innValid(inn)) << inn;
    // A wrong check digit, and a digit changed before it.
    for (const char* inn : { "7707083894", "7707083993", "7736207553", "500100732258", "500100732249",
             "500100733259", "773370857142" })
        EXPECT_FALSE(innValid(inn)) << inn;
    for (const char* inn : { "", "770708389", "77070838931", "7707O83893", "5001007322590" })
        EXPECT_FALSE(innValid(inn)) << inn;
}

TEST(PayeeInn, AnyOtherLastDigitIsRefused)
{
    for (std::string inn : { "7707083893", "500100732259" }) {
        for (int by = 1; by < 10; ++by)
            EXPECT_FALSE(innValid(withDigitChanged(inn, inn.size() - 1, by))) << inn << " " << by;
    }
}

PayeeDetails good()
{
    return { "СНТ «Ромашка»", "40702810900000000025", "ПАО «Примербанк»", "044514512", "30101817000000000512",
        "7707083893", "770701001", DefaultPurpose };
}

TEST(PayeeDetailsCheck, GoodDetailsPassWithOrWithoutKpp)
{
    // The correspondent account above was made for the example's BIC.
    ASSERT_TRUE(correspondentKeyValid("044514512", "30101817000000000512"));
    EXPECT_EQ(payeeFault(good()), std::nullopt);
    PayeeDetails noKpp = good();
    noKpp.kpp.clear();
    EXPECT_EQ(payeeFault(noKpp), std::nullopt);
    PayeeDetails person = good();
    person.payeeInn = "500100732259";
    EXPECT_EQ(payeeFault(person), std::nullopt);
}

TEST(PayeeDetailsCheck, EachFaultNamesItsField)
{
    struct Case
    {
        std::string PayeeDetails::*field;
        std::string value;
        std::string message;
    };
    const Case cases[] = {
        { &PayeeDetails::name, "  ", "Наименование получателя: не заполнено." },
        { &PayeeDetails::personalAcc, "4070281090000000002", "Расчетный счет: должен состоять из 20 цифр." },
        { &PayeeDetails::personalAcc, "40702810900000000026",
            "Расчетный счет: не сходится контрольный ключ с БИК банка. Проверьте номер счета и БИК." },
        { &PayeeDetails::bankName, "", "Наименование банка: не заполнено." },
        { &PayeeDetails::bic, "04451451", "БИК: должен состоять из 9 цифр." },
        { &PayeeDetails::correspAcc, "", "Корреспондентский счет: должен состоять из 20 цифр." },
        { &PayeeDetails::correspAcc, "30101817000000000513",
            "Корреспондентский счет: не сходится контрольный ключ с БИК банка. Проверьте номер счета и "
            "БИК." },
        { &PayeeDetails::payeeInn, "77070838",
            "ИНН: должен состоять из 10 цифр (организация) или 12 цифр "
            "(физическое лицо)." },
        { &PayeeDetails::payeeInn, "7707083894", "ИНН: неверные контрольные цифры. Проверьте номер." },
        { &PayeeDetails::kpp, "77070100", "КПП: должен состоять из 9 цифр или остаться пустым." },
        { &PayeeDetails::kpp, "12", "КПП: должен состоять из 9 цифр или остаться пустым." },
        { &PayeeDetails::purpose, "", "Назначение платежа: не заполнено." },
        // The payment code's separator would let a value carry keys of its own.
        { &PayeeDetails::name, "СНТ|Sum=1", "Наименование получателя: знак «|» недопустим." },
        { &PayeeDetails::kpp, "|", "КПП: знак «|» недопустим." },
        { &PayeeDetails::purpose, "Свет {месяц}|Sum=100", "Назначение платежа: знак «|» недопустим." },
        { &PayeeDetails::purpose, "Свет\n{месяц}",
            "Назначение платежа: перевод строки и другие управляющие символы недопустимы." },
        { &PayeeDetails::bankName, "ПАО\r\nБанк",
            "Наименование банка: перевод строки и другие управляющие символы недопустимы." },
        { &PayeeDetails::name, "СНТ\tРомашка",
            "Наименование получателя: перевод строки и другие управляющие символы недопустимы." },
        { &PayeeDetails::name, "СНТ\xE2\x80\xA8Ромашка",
            "Наименование получателя: перевод строки и другие управляющие символы недопустимы." },
    };
    for (const Case& c : cases) {
        PayeeDetails details = good();
        details.*c.field = c.value;
        EXPECT_EQ(payeeFault(details), c.message) << c.value;
    }
}

TEST(PayeeDetailsCheck, AnotherBankMakesTheAccountWrongNotTheBic)
{
    PayeeDetails details = good();
    details.bic = "044525225";
    EXPECT_EQ(payeeFault(details),
        "Расчетный счет: не сходится контрольный ключ с БИК банка. Проверьте номер счета и БИК.");
}

TEST(PayeeDetailsCheck, FieldsAreCheckedInTheWindowsOrder)
{
    PayeeDetails details = good();
    details.kpp = "1";
    details.bic = "1";
    details.name.clear();
    EXPECT_EQ(payeeFault(details), "Наименование получателя: не заполнено.");
    details.name = "СНТ";
    EXPECT_EQ(payeeFault(details), "БИК: должен состоять из 9 цифр.");
    // A character that breaks the code apart is named before any other fault.
    details.purpose = "Свет\n";
    EXPECT_EQ(
        payeeFault(details), "Назначение платежа: перевод строки и другие управляющие символы недопустимы.");
}

TEST(PayeeDetailsCheck, BlanksAreCleanedAsTheWindowCleansTyping)
{
    PayeeDetails typed = good();
    typed.name = " \t СНТ «Ромашка»\xC2\xA0 ";
    typed.personalAcc = "40702 810\xC2\xA0"
                        "9 0000\t0000025"; // a no-break space copied from a letter
    typed.bic = "044\xE2\x80\xAF"
                "514\xE2\x80\x89"
                "512"; // narrow and thin spaces
    typed.kpp = " 770701001\n";
    typed.purpose = "Свет — за {месяц}\r\n";
    const PayeeDetails cleaned = cleanedPayee(typed);
    EXPECT_EQ(cleaned.name, "СНТ «Ромашка»");
    EXPECT_EQ(cleaned.personalAcc, "40702810900000000025");
    EXPECT_EQ(cleaned.bic, "044514512");
    EXPECT_EQ(cleaned.kpp, "770701001");
    EXPECT_EQ(cleaned.purpose, "Свет — за {месяц}"); // the dash is no blank
    EXPECT_EQ(payeeFault(cleaned), std::nullopt);
    // A line break inside a text stays, to be refused.
    typed.purpose = "Свет\nза {месяц}";
    EXPECT_EQ(cleanedPayee(typed).purpose, "Свет\nза {месяц}");
    EXPECT_EQ(cleanedPayee(PayeeDetails{}).name, "");
}

TEST(PayeeDetailsCheck, LengthsCountCharactersNotBytes)
{
    PayeeDetails details = good();
    std::string name;
    for (int i = 0; i < 160; ++i)
        name += "ж"; // two bytes each
    details.name = name;
    EXPECT_EQ(payeeFault(details), std::nullopt);
    details.name += "ж";
    EXPECT_EQ(payeeFault(details), "Наименование получателя: не более 160 символов, сейчас 161.");

    details = good();
    details.bankName = std::string(45, 'B');
    EXPECT_EQ(payeeFault(details), std::nullopt);
    details.bankName = "Банк " + std::string(41, 'B');
    EXPECT_EQ(payeeFault(details), "Наименование банка: не более 45 символов, сейчас 46.");

    details = good();
    details.purpose.clear();
    for (int i = 0; i < 21; ++i)
        details.purpose += "Электричество "; // 14 characters each
    EXPECT_EQ(payeeFault(details), "Назначение платежа: не более 210 символов, сейчас 294.");
}

TEST(PayeeDetailsCheck, CompleteMeansEveryCheckOfTheWindowPasses)
{
    EXPECT_TRUE(payeeComplete(good()));
    PayeeDetails details = good();
    details.kpp.clear();
    EXPECT_TRUE(payeeComplete(details)); // a KPP may be left out
    EXPECT_FALSE(payeeComplete(PayeeDetails{}));
    // A settings file changed by hand: the money would go nowhere, or the code say what the
    // treasurer never typed.
    for (const auto& [member, value] :
        std::initializer_list<std::pair<std::string PayeeDetails::*, std::string>>{
            { &PayeeDetails::payeeInn, "" }, { &PayeeDetails::personalAcc, "40702810900000000026" },
            { &PayeeDetails::kpp, "12" }, { &PayeeDetails::name, "СНТ|Sum=1" },
            { &PayeeDetails::purpose, "Свет\nза март" }, { &PayeeDetails::purpose, "" } }) {
        details = good();
        details.*member = value;
        EXPECT_FALSE(payeeComplete(details)) << value;
    }
}

} // namespace
