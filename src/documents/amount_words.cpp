#include "documents/amount_words.h"

#include <array>
#include <cstdio>
#include <vector>

namespace documents {

namespace {

constexpr std::array<const char*, 20> Units = { "", "один", "два", "три", "четыре", "пять", "шесть", "семь",
    "восемь", "девять", "десять", "одиннадцать", "двенадцать", "тринадцать", "четырнадцать", "пятнадцать",
    "шестнадцать", "семнадцать", "восемнадцать", "девятнадцать" };
constexpr std::array<const char*, 10> Tens = { "", "", "двадцать", "тридцать", "сорок", "пятьдесят",
    "шестьдесят", "семьдесят", "восемьдесят", "девяносто" };
constexpr std::array<const char*, 10> Hundreds = { "", "сто", "двести", "триста", "четыреста", "пятьсот",
    "шестьсот", "семьсот", "восемьсот", "девятьсот" };

struct Scale
{
    const char* one;
    const char* few;
    const char* many;
    Gender gender;
};

// Groups of three digits from the highest: milliards, millions, thousands.
constexpr std::array<Scale, 3> Scales = { {
    { "миллиард", "миллиарда", "миллиардов", Gender::Masculine },
    { "миллион", "миллиона", "миллионов", Gender::Masculine },
    { "тысяча", "тысячи", "тысяч", Gender::Feminine },
} };

void appendWord(std::string& text, const char* word)
{
    if (*word == '\0')
        return;
    if (!text.empty())
        text += ' ';
    text += word;
}

// One group 1 … 999 in words.
void appendGroup(std::string& text, int group, Gender gender)
{
    appendWord(text, Hundreds[group / 100]);
    const int rest = group % 100;
    if (rest < 20) {
        if (rest == 1 && gender == Gender::Feminine)
            appendWord(text, "одна");
        else if (rest == 2 && gender == Gender::Feminine)
            appendWord(text, "две");
        else
            appendWord(text, Units[rest]);
        return;
    }
    appendWord(text, Tens[rest / 10]);
    const int unit = rest % 10;
    if (unit == 1 && gender == Gender::Feminine)
        appendWord(text, "одна");
    else if (unit == 2 && gender == Gender::Feminine)
        appendWord(text, "две");
    else
        appendWord(text, Units[unit]);
}

std::int64_t magnitude(std::int64_t number)
{
    return number < 0 ? -number : number;
}

} // namespace

const char* countedForm(std::int64_t number, const char* one, const char* few, const char* many)
{
    const std::int64_t lastTwo = magnitude(number) % 100;
    const std::int64_t last = lastTwo % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return many;
    if (last == 1)
        return one;
    if (last >= 2 && last <= 4)
        return few;
    return many;
}

std::string numberInWords(std::int64_t number, Gender gender)
{
    std::int64_t rest = magnitude(number) % 1000000000000;
    if (rest == 0)
        return "ноль";
    std::string text;
    std::int64_t divisor = 1000000000;
    for (const Scale& scale : Scales) {
        const int group = static_cast<int>(rest / divisor);
        rest %= divisor;
        divisor /= 1000;
        if (group == 0)
            continue;
        appendGroup(text, group, scale.gender);
        appendWord(text, countedForm(group, scale.one, scale.few, scale.many));
    }
    if (rest > 0)
        appendGroup(text, static_cast<int>(rest), gender);
    return text;
}

std::string roublesInWords(Currency amount)
{
    const std::int64_t kopecks = magnitude(amount.round2().raw() / (Currency::Scale / 100));
    const std::int64_t roubles = kopecks / 100;
    const int cents = static_cast<int>(kopecks % 100);
    char figures[3];
    std::snprintf(figures, sizeof figures, "%02d", cents);
    return numberInWords(roubles) + ' ' + countedForm(roubles, "рубль", "рубля", "рублей") + ' ' + figures
        + ' ' + countedForm(cents, "копейка", "копейки", "копеек");
}

} // namespace documents
