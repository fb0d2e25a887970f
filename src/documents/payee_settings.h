#pragma once

// The payee's details as the settings store keeps them (section "Rekv"): what the payee window
// writes and the receipts read.

#include "documents/payee.h"

class SettingsStore;

namespace documents {

// What is stored, cleaned as the window cleans what is typed (cleanedPayee); a purpose never
// written reads as the default template. Whether it is good for a payment code is payeeComplete's
// to say.
PayeeDetails readPayee(SettingsStore& settings);
void storePayee(SettingsStore& settings, const PayeeDetails& details);

} // namespace documents
