#include "text/cp1251.h"

#include <gtest/gtest.h>

TEST(Cp1251, EveryByteComesBackUnchanged)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    EXPECT_EQ(cp1251::encode(cp1251::decode(all)), all);
}

TEST(Cp1251, RussianTextBothWays)
{
    const std::string utf8 = "Ёлкин Ё. Ж., ул. Щорса №5 — «дом»";
    const std::string bytes = cp1251::encode(utf8);
    EXPECT_EQ(bytes.size(), 33u); // one byte a character
    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), 0xA8); // Ё
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 0xEB); // л
    EXPECT_EQ(cp1251::decode(bytes), utf8);
}

TEST(Cp1251, CharactersTheFileCannotHoldAreLeftOut)
{
    EXPECT_EQ(cp1251::encode("a€b"),
        std::string("a\x88"
                    "b"));
    EXPECT_EQ(cp1251::encode("a中b😀c"), "abc");
    EXPECT_EQ(cp1251::encode(std::string("a\xFF\xFE"
                                         "b")),
        "ab"); // broken UTF-8
}

TEST(Cp1251, StorableTextDropsSeparatorsAndForeignCharacters)
{
    EXPECT_TRUE(cp1251::isStorable("Иванов И. И., 5"));
    EXPECT_FALSE(cp1251::isStorable("a|b"));
    EXPECT_FALSE(cp1251::isStorable("中"));
    EXPECT_EQ(cp1251::storableText("Ив|ан中ов"), "Иванов");
}
