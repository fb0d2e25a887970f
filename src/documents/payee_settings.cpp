#include "documents/payee_settings.h"

#include "documents/payee_file.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

namespace documents {

PayeeDetails readPayee(SettingsStore& settings)
{
    PayeeDetails details;
    for (const auto& [key, member] : payeeKeys())
        details.*member = settings.value(settings::Payee, QString::fromLatin1(key)).toStdString();
    // A file edited by hand is read as the window would have kept what was typed.
    details = cleanedPayee(details);
    if (details.purpose.empty())
        details.purpose = DefaultPurpose;
    return details;
}

void storePayee(SettingsStore& settings, const PayeeDetails& details)
{
    for (const auto& [key, member] : payeeKeys())
        settings.setValue(settings::Payee, QString::fromLatin1(key), QString::fromStdString(details.*member));
}

} // namespace documents
