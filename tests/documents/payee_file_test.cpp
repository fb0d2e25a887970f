// The payee details beside a backup come back as they went, and nothing else passes for them.

#include "documents/payee_file.h"

#include <gtest/gtest.h>

namespace {

TEST(PayeeFile, DetailsComeBackAsTheyWentAndAForeignFileIsNone)
{
    documents::PayeeDetails details;
    details.name = "СНТ «Рассвет» = садоводы";
    details.personalAcc = "40703810900000000001";
    details.bankName = "ПАО Банк";
    details.bic = "044525225";
    details.correspAcc = "30101810400000000225";
    details.payeeInn = "5038010010";
    details.kpp = "503801001";
    details.purpose = "Электроэнергия за {месяц}\nвторая строка";
    const std::optional<documents::PayeeDetails> read
        = documents::parsePayeeFile(documents::payeeFileText(details));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->name, details.name);
    EXPECT_EQ(read->bic, details.bic);
    EXPECT_EQ(read->kpp, details.kpp);
    // A line break would have split the file's line: it comes back as a blank.
    EXPECT_EQ(read->purpose, "Электроэнергия за {месяц} вторая строка");

    EXPECT_FALSE(documents::parsePayeeFile("Name=Чужое\r\n").has_value());
    EXPECT_FALSE(documents::parsePayeeFile("").has_value());
}

} // namespace
