#include "documents/payee_file.h"

namespace documents {

namespace {
constexpr std::string_view Head = "Tervolin payee 1";
}

std::array<std::pair<const char*, std::string PayeeDetails::*>, 8> payeeKeys()
{
    return { { { "Name", &PayeeDetails::name }, { "PersonalAcc", &PayeeDetails::personalAcc },
        { "BankName", &PayeeDetails::bankName }, { "BIC", &PayeeDetails::bic },
        { "CorrespAcc", &PayeeDetails::correspAcc }, { "PayeeINN", &PayeeDetails::payeeInn },
        { "KPP", &PayeeDetails::kpp }, { "Purpose", &PayeeDetails::purpose } } };
}

std::string payeeFileText(const PayeeDetails& details)
{
    std::string text = std::string(Head) + "\r\n";
    for (const auto& [key, member] : payeeKeys()) {
        // A line break in a value would end its line early: the file keeps none.
        std::string value = details.*member;
        for (char& c : value) {
            if (c == '\r' || c == '\n')
                c = ' ';
        }
        text += std::string(key) + "=" + value + "\r\n";
    }
    return text;
}

std::optional<PayeeDetails> parsePayeeFile(std::string_view text)
{
    const auto nextLine = [&text]() {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    };
    if (nextLine() != Head)
        return std::nullopt;
    PayeeDetails details;
    while (!text.empty()) {
        const std::string_view line = nextLine();
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        for (const auto& [key, member] : payeeKeys()) {
            if (line.substr(0, equals) == key)
                details.*member = std::string(line.substr(equals + 1));
        }
    }
    return cleanedPayee(details);
}

} // namespace documents
