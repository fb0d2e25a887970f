#pragma once

// What the receipt's payment QR code says: the payee's details, the sum and the subscriber, in the
// text that banking apps read from a scanned receipt (ГОСТ Р 56042-2014, UTF-8).

#include "documents/payee.h"

#include <string>

namespace documents {

struct PaymentFacts
{
    std::string total; // the receipt's total to pay as shown, e.g. "1234,56" or "1 234,5" or ""
    std::string record; // field 1, the record number, e.g. "17"
    std::string fullName; // field 2, e.g. "Петрова Клавдия Львовна" or "Петрова К. Л."
    int month = 0; // 1 … 12
    std::string year; // "2026"
};

// The purpose template filled in: {месяц} the month's name in lower case ("март"), {год}, {ФИО},
// {номер}. Other text, braces included, stays as written.
std::string paymentPurpose(const std::string& purposeTemplate, const PaymentFacts& facts);

// The payload of the code, or "" when there is to be no code: the details do not pass every check
// of the payee window (payeeComplete), or the total is not above 0 (or not a number).
std::string paymentPayload(const PayeeDetails& details, const PaymentFacts& facts);

} // namespace documents
