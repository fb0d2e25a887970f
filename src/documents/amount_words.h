#pragma once

// Amounts written out in Russian words, as business papers give a sum beside its figures:
// "одна тысяча двести тридцать четыре рубля 56 копеек".

#include "database/money.h"

#include <cstdint>
#include <string>

namespace documents {

enum class Gender { Masculine, Feminine };

// A whole number 0 … 999 999 999 999 in words ("ноль", "двадцать один", "одна тысяча"); a
// negative number is written as its magnitude. The gender decides "один/одна", "два/две" of the
// last group (thousands are always feminine).
std::string numberInWords(std::int64_t number, Gender gender = Gender::Masculine);

// The form of a noun that follows a count: one ("рубль"), few ("рубля"), many ("рублей"), by the
// last two digits (1, 21 → one; 2–4, 22–24 → few; 0, 5–20, 11–14 → many).
const char* countedForm(std::int64_t number, const char* one, const char* few, const char* many);

// The amount rounded to kopecks (halves to even) as roubles in words and kopecks in figures:
// "ноль рублей 00 копеек", "один рубль 01 копейка", "одна тысяча двести тридцать четыре рубля 56
// копеек". A negative amount is written as its magnitude; the papers say debt or overpayment in
// their own words.
std::string roublesInWords(Currency amount);

} // namespace documents
