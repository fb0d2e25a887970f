#pragma once

// The payee's details as the lines a payer copies by hand onto a bank's payment form at the
// counter: whom to pay, the tax numbers, the account, the bank and the purpose. Receipts print
// them beside the payment code, the notices to debtors print them too.

#include "documents/payee.h"
#include "documents/payment_qr.h"

#include <string>
#include <vector>

namespace documents {

struct PayeeLine
{
    std::string caption; // "Получатель:", "ИНН / КПП:", …
    std::string value;
};

// The lines in the order of the bank's form: "Получатель:", "ИНН / КПП:" (the КПП left out when the
// association has none), "Р/с:", "Банк:", "БИК:", "Корр. счёт:", "Назначение платежа:" (left out when
// `purpose` is empty). Nothing when the details would not make a payment code (payeeComplete): a
// half-typed account on paper would send a payer's money astray.
std::vector<PayeeLine> payeeLines(const PayeeDetails& details, const std::string& purpose);

// The same with the purpose filled in from the stored template for one subscriber's month, as the
// receipt's code says it.
std::vector<PayeeLine> payeeLines(const PayeeDetails& details, const PaymentFacts& facts);

// "Получатель: СНТ «Ромашка»", one text a line.
std::vector<std::string> payeeTextLines(const std::vector<PayeeLine>& lines);

} // namespace documents
