#include "documents/payee_settings.h"

#include "platform/settings_store.h"
#include "session/app_state.h"

#include <array>
#include <utility>

namespace documents {

namespace {

// The keys beside the members they hold.
std::array<std::pair<const char*, std::string PayeeDetails::*>, 8> keys()
{
    return { { { "Name", &PayeeDetails::name }, { "PersonalAcc", &PayeeDetails::personalAcc },
        { "BankName", &PayeeDetails::bankName }, { "BIC", &PayeeDetails::bic },
        { "CorrespAcc", &PayeeDetails::correspAcc }, { "PayeeINN", &PayeeDetails::payeeInn },
        { "KPP", &PayeeDetails::kpp }, { "Purpose", &PayeeDetails::purpose } } };
}

} // namespace

PayeeDetails readPayee(SettingsStore& settings)
{
    PayeeDetails details;
    for (const auto& [key, member] : keys())
        details.*member = settings.value(settings::Payee, QString::fromLatin1(key)).toStdString();
    if (details.purpose.empty())
        details.purpose = DefaultPurpose;
    return details;
}

void storePayee(SettingsStore& settings, const PayeeDetails& details)
{
    for (const auto& [key, member] : keys())
        settings.setValue(settings::Payee, QString::fromLatin1(key), QString::fromStdString(details.*member));
}

} // namespace documents
