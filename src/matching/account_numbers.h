#pragma once

// The personal-account and plot numbers a text names: "л/с 17", "ЛС: 17", "лицевой счет № 17",
// "уч. 17", "участок 17", "уч-к 17", and lists after one word ("участки 11, 12", "уч. 4 и 6").

#include "matching/folding.h"

#include <string_view>
#include <vector>

namespace matching {

// The distinct numbers of a folded text (folding.h), in order of appearance.
void numbersIn(std::string_view folded, std::vector<int>& numbers);
// The same when the text's runs are known.
void numbersIn(std::string_view folded, const std::vector<Run>& runs, std::vector<int>& numbers);

} // namespace matching
