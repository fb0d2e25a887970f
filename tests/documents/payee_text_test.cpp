#include "documents/payee_text.h"

#include <gtest/gtest.h>

namespace {

using namespace documents;

PayeeDetails payee()
{
    return { "СНТ «Ромашка»", "40702810900000000025", "ПАО «Примербанк»", "044514512", "30101817000000000512",
        "7707083893", "770701001", DefaultPurpose };
}

TEST(PayeeText, GivesTheLinesOfTheBankFormInOrder)
{
    const std::vector<std::string> lines
        = payeeTextLines(payeeLines(payee(), PaymentFacts{ "10", "17", "Петрова К. Л.", 3, "2026" }));
    const std::vector<std::string> expected = {
        "Получатель: СНТ «Ромашка»",
        "ИНН / КПП: 7707083893 / 770701001",
        "Р/с: 40702810900000000025",
        "Банк: ПАО «Примербанк»",
        "БИК: 044514512",
        "Корр. счёт: 30101817000000000512",
        "Назначение платежа: Электроэнергия за март 2026, Петрова К. Л., л/с 17",
    };
    EXPECT_EQ(lines, expected);
}

TEST(PayeeText, LeavesOutWhatTheAssociationHasNot)
{
    PayeeDetails details = payee();
    details.kpp.clear();
    const std::vector<PayeeLine> lines = payeeLines(details, std::string());
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[1].caption, "ИНН:");
    EXPECT_EQ(lines[1].value, "7707083893");
    EXPECT_EQ(lines.back().caption, "Корр. счёт:");
}

TEST(PayeeText, NothingWithoutDetailsGoodForPayment)
{
    EXPECT_TRUE(payeeLines(PayeeDetails{ {}, {}, {}, {}, {}, {}, {}, DefaultPurpose }, "x").empty());
    PayeeDetails wrongKey = payee();
    wrongKey.personalAcc.back() = '6';
    EXPECT_TRUE(payeeLines(wrongKey, "x").empty());
}

} // namespace
