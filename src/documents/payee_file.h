#pragma once

// The payee's details beside a backup, "<backup>.rekv": they live in the user's settings, and a
// backup restored on another computer must bring them, or its receipts would lose their payment
// code. UTF-8 text, a line "Key=value" for each field, with the settings' own keys.

#include "documents/payee.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace documents {

// The keys of the fields, as the settings store ("Rekv") and the file name them.
std::array<std::pair<const char*, std::string PayeeDetails::*>, 8> payeeKeys();

std::string payeeFileText(const PayeeDetails& details);
// The details a file holds, cleaned as the payee window cleans them; nothing when it is no file of
// payee details.
std::optional<PayeeDetails> parsePayeeFile(std::string_view text);

} // namespace documents
