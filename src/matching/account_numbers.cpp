// The numbers of personal accounts and plots in a folded text.

#include "matching/account_numbers.h"

#include "matching/folding.h"

#include <algorithm>
#include <array>
#include <string>

namespace matching {
namespace {

constexpr unsigned char NumberSign = 0xB9; // №

// The words that name a personal account or a plot, longest first so that "участок" is not taken
// for "уч". All begin with "л" or "у".
const std::vector<std::string>& accountWords()
{
    static const std::vector<std::string> list = [] {
        std::vector<std::string> w;
        for (const char* word : { "лицевой счет", "лицевого счета", "лицевому счету", "лицевом счете",
                 "лицевые счета", "лиц. счет", "лиц.счет", "лиц/счет", "лиц счет", "л/сч", "л/с", "л.с.",
                 "л.с", "лс", "участок", "участка", "участку", "участке", "участки", "участков", "уч-ки",
                 "уч-к", "уч-ка", "уч.", "уч" })
            w.push_back(folded(word));
        std::sort(w.begin(), w.end(),
            [](const std::string& a, const std::string& b) { return a.size() > b.size(); });
        return w;
    }();
    return list;
}

// Words after a number that make it a reading, a sum or a year rather than another plot of a list:
// "уч. 12, 4520 кВт", "уч. 12, 2026 год".
const std::vector<std::string>& unitWords()
{
    static const std::vector<std::string> list = [] {
        std::vector<std::string> w;
        for (const char* word : { "квт", "квтч", "кв", "руб", "рублей", "рубля", "рубль", "р", "коп", "год",
                 "года", "году", "г", "шт", "м" })
            w.push_back(folded(word));
        return w;
    }();
    return list;
}

constexpr unsigned char El = 0xEB; // л
constexpr unsigned char U = 0xF3; // у

// The words of accountWords() that begin with "л" (`first` 0) or "у" (1) and then `second`, in
// its order: the second letter tells most of them apart before any is compared whole.
const std::vector<const std::string*>& wordsBeginning(int first, unsigned char second)
{
    static const auto table = [] {
        std::array<std::array<std::vector<const std::string*>, 256>, 2> t;
        for (const std::string& word : accountWords())
            t[static_cast<unsigned char>(word[0]) == U ? 1 : 0][static_cast<unsigned char>(word[1])]
                .push_back(&word);
        return t;
    }();
    return table[std::size_t(first)][second];
}

bool isUnit(std::string_view word)
{
    const std::vector<std::string>& units = unitWords();
    return std::find(units.begin(), units.end(), word) != units.end();
}

} // namespace

void numbersIn(std::string_view folded, std::vector<int>& numbers)
{
    std::vector<Run> runs;
    runsOf(folded, runs);
    numbersIn(folded, runs, numbers);
}

void numbersIn(std::string_view s, const std::vector<Run>& runs, std::vector<int>& numbers)
{
    numbers.clear();
    const auto at = [&s](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0; };
    constexpr unsigned char I = 0xE8; // и
    // A number from `q` on, up to six digits that stand on their own: "уч. 17/2" and "17.5" are plots
    // of their own, not record 17. Gives the end of the number, or `q` when there is none.
    const auto numberAt = [&](std::size_t q) {
        std::size_t end = q;
        while (end < s.size() && isDigit(at(end)) && end - q < 6)
            ++end;
        if (end == q || isDigit(at(end)) || isLetter(at(end)))
            return q;
        if ((at(end) == '/' || at(end) == '.') && isDigit(at(end + 1)))
            return q;
        return end;
    };
    const auto add = [&](std::size_t from, std::size_t end) {
        int number = 0;
        for (std::size_t i = from; i < end; ++i)
            number = number * 10 + (s[i] - '0');
        if (number >= 1 && std::find(numbers.begin(), numbers.end(), number) == numbers.end())
            numbers.push_back(number);
    };
    // A word of them begins a run of letters, after anything but a digit. The text is read on
    // from `readFrom`: the end of the last list of numbers taken.
    std::size_t readFrom = 0;
    for (const Run& run : runs) {
        const std::size_t p = run.at;
        const unsigned char first = at(p);
        if (!run.letters || p < readFrom || (first != El && first != U) || (p > 0 && isDigit(at(p - 1))))
            continue;
        for (const std::string* word : wordsBeginning(first == U ? 1 : 0, at(p + 1))) {
            if (s.compare(p, word->size(), *word) != 0)
                continue;
            std::size_t q = p + word->size();
            while (q < s.size()
                && (at(q) == ' ' || at(q) == '.' || at(q) == ':' || at(q) == '-' || at(q) == '#'
                    || at(q) == NumberSign))
                ++q;
            std::size_t end = numberAt(q);
            if (end == q)
                continue;
            add(q, end);
            // The list that follows: "11, 12", "11,12", "4 и 6", "4, 6 и 8".
            for (;;) {
                std::size_t r = end;
                while (at(r) == ' ')
                    ++r;
                if (at(r) == ',' || at(r) == ';')
                    ++r;
                else if (r > end && at(r) == I && at(r + 1) == ' ')
                    r += 2;
                else
                    break;
                while (at(r) == ' ' || at(r) == NumberSign)
                    ++r;
                const std::size_t next = numberAt(r);
                if (next == r)
                    break;
                std::size_t w = next;
                while (at(w) == ' ')
                    ++w;
                std::size_t wordEnd = w;
                while (isLetter(at(wordEnd)))
                    ++wordEnd;
                if (wordEnd > w && isUnit(s.substr(w, wordEnd - w)))
                    break;
                add(r, next);
                end = next;
            }
            readFrom = end;
            break;
        }
    }
}

} // namespace matching
