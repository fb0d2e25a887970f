#include "documents/amount_words.h"

#include <gtest/gtest.h>

using documents::Gender;
using documents::numberInWords;
using documents::roublesInWords;

namespace {

Currency rub(const char* text)
{
    return *Currency::parse(text);
}

} // namespace

TEST(AmountWords, NumbersAcrossTheGroupsAndTheirForms)
{
    EXPECT_EQ(numberInWords(0), "ноль");
    EXPECT_EQ(numberInWords(1), "один");
    EXPECT_EQ(numberInWords(1, Gender::Feminine), "одна");
    EXPECT_EQ(numberInWords(2, Gender::Feminine), "две");
    EXPECT_EQ(numberInWords(11), "одиннадцать");
    EXPECT_EQ(numberInWords(21), "двадцать один");
    EXPECT_EQ(numberInWords(1000), "одна тысяча");
    EXPECT_EQ(numberInWords(2000), "две тысячи");
    EXPECT_EQ(numberInWords(5000), "пять тысяч");
    EXPECT_EQ(numberInWords(11000), "одиннадцать тысяч");
    EXPECT_EQ(numberInWords(21000), "двадцать одна тысяча");
    EXPECT_EQ(numberInWords(1000000), "один миллион");
    EXPECT_EQ(numberInWords(2000001), "два миллиона один");
    EXPECT_EQ(numberInWords(1234), "одна тысяча двести тридцать четыре");
    EXPECT_EQ(numberInWords(100100), "сто тысяч сто");
    EXPECT_EQ(numberInWords(999999999999),
        "девятьсот девяносто девять миллиардов девятьсот девяносто девять миллионов девятьсот "
        "девяносто девять тысяч девятьсот девяносто девять");
}

TEST(AmountWords, RoublesAndKopecks)
{
    EXPECT_EQ(roublesInWords(rub("0")), "ноль рублей 00 копеек");
    EXPECT_EQ(roublesInWords(rub("1,01")), "один рубль 01 копейка");
    EXPECT_EQ(roublesInWords(rub("2,02")), "два рубля 02 копейки");
    EXPECT_EQ(roublesInWords(rub("5,05")), "пять рублей 05 копеек");
    EXPECT_EQ(roublesInWords(rub("11,11")), "одиннадцать рублей 11 копеек");
    EXPECT_EQ(roublesInWords(rub("21,21")), "двадцать один рубль 21 копейка");
    EXPECT_EQ(roublesInWords(rub("1234,56")), "одна тысяча двести тридцать четыре рубля 56 копеек");
    EXPECT_EQ(roublesInWords(rub("1000000")), "один миллион рублей 00 копеек");
    // Kopecks round half to even, as the ledger rounds; a debt is written as its magnitude.
    EXPECT_EQ(roublesInWords(rub("2,345")), "два рубля 34 копейки");
    EXPECT_EQ(roublesInWords(rub("-0,995")), "один рубль 00 копеек");
}
