#pragma once

// The payee's details as the settings store keeps them (section "Rekv"): what the payee window
// writes and the receipts read.

#include "documents/payee.h"

class SettingsStore;

namespace documents {

// What is stored; a purpose never written reads as the default template.
PayeeDetails readPayee(SettingsStore& settings);
void storePayee(SettingsStore& settings, const PayeeDetails& details);

} // namespace documents
