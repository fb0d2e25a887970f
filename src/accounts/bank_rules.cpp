// Whose payment it is: the payer accounts seen before, and the order the rules are tried in, over
// the numbers and names that src/matching finds in a purpose and a payer.

#include "accounts/bank_rules.h"

#include "matching/account_numbers.h"
#include "matching/folding.h"
#include "text/trim.h"

#include <algorithm>
#include <array>

namespace bank {
namespace rules {

PayerIndex::PayerIndex(const Journal& journal, const RecordTable& table)
{
    for (const JournalEntry& entry : journal.entries()) {
        if (entry.key.payerAccount.empty() || isTransitAccount(entry.key.payerAccount))
            continue;
        Seen& seen = m_accounts[entry.key.payerAccount];
        if (std::find(seen.records.begin(), seen.records.end(), entry.record) == seen.records.end())
            seen.records.push_back(entry.record);
        if (std::find(seen.names.begin(), seen.names.end(), entry.subscriber) == seen.names.end())
            seen.names.push_back(entry.subscriber);
    }
    // An entry whose record now holds someone else counts for nobody.
    for (auto& [account, seen] : m_accounts) {
        if (seen.records.size() != 1 || seen.names.size() != 1)
            continue;
        const int record = seen.records.front();
        if (record <= table.recordCount()
            && journalText(table.field(record, fields::FullName)) == seen.names.front())
            seen.current = record;
    }
}

const PayerIndex::Seen* PayerIndex::find(const std::string& account) const
{
    if (m_accounts.empty())
        return nullptr;
    const auto it = m_accounts.find(account);
    return it == m_accounts.end() ? nullptr : &it->second;
}

SubscriberMatch matchSubscriber(const Document& document, const PaymentKey& key, Matcher& m)
{
    const int count = m.table.recordCount();
    matching::numbersIn(m.purpose, m.runs, m.numbers);
    if (m.numbers.size() > 1) {
        SubscriberMatch several{ 0, Rule::None, {},
            "в назначении несколько лицевых счетов: " + matching::numbersText(m.numbers) };
        for (int number : m.numbers)
            if (number <= count)
                several.plots.push_back(number);
        return several;
    }

    // The names are looked for even when a number is there: a number and a name that disagree are
    // a slip in one of them, and the treasurer decides.
    m.named.clear();
    matching::words(m.payer, m.payerWords);
    m.names.find(m.payerWords, m.named);
    matching::words(m.purpose, m.runs, m.purposeWords);
    m.names.find(m.purposeWords, m.named);
    std::sort(m.named.begin(), m.named.end());
    const auto nameOf = [&m](int record) {
        return std::to_string(record) + ". "
            + matching::shortened(m.table.field(record, fields::FullName), 60);
    };

    // 1. A number in the purpose.
    std::string missing;
    if (m.numbers.size() == 1) {
        const int number = m.numbers.front();
        if (number <= count) {
            if (m.named.empty() || std::binary_search(m.named.begin(), m.named.end(), number))
                return { number, Rule::Number, {}, "по л/с № " + std::to_string(number) };
            std::string names;
            for (int record : m.named) {
                if (!names.empty())
                    names += ", ";
                names += nameOf(record);
            }
            return { 0, Rule::None, {},
                "л/с № " + std::to_string(number) + " — " + nameOf(number) + ", а по фамилии — " + names
                    + ": разные абоненты" };
        }
        missing = "л/с № " + std::to_string(number) + " нет в справочнике; ";
    }

    // 2. A surname with initials.
    if (m.named.size() == 1)
        return { m.named.front(), Rule::Name, {}, missing + "по фамилии" };
    if (m.named.size() > 1)
        return { 0, Rule::None, {},
            missing + "подходят несколько абонентов: " + matching::numbersText(m.named) };

    // 3. A payer account the journal knows for one subscriber.
    if (!isTransitAccount(key.payerAccount)) {
        if (const PayerIndex::Seen* seen = m.payers.find(key.payerAccount)) {
            if (seen->records.size() > 1) {
                std::vector<int> sorted = seen->records;
                std::sort(sorted.begin(), sorted.end());
                return { 0, Rule::None, {},
                    missing + "счет плательщика встречался у нескольких абонентов: "
                        + matching::numbersText(sorted) };
            }
            if (seen->names.size() > 1) {
                std::string names;
                for (const std::string& name : seen->names)
                    names += (names.empty() ? "" : ", ") + matching::shortened(name, 60);
                return { 0, Rule::None, {},
                    missing + "счет плательщика платил за разных абонентов: " + names };
            }
            if (seen->current > 0) {
                // Whose account it is, as the bank names its owner: the treasurer sees at once
                // whether it is the subscriber's own.
                const std::string owner = matching::shortened(text::trimmed(document.payer), 80);
                return { seen->current, Rule::PayerAccount, {},
                    missing + "по счету плательщика" + (owner.empty() ? "" : ": " + owner) };
            }
        }
    }
    return { 0, Rule::None, {}, missing + "абонент не найден" };
}

} // namespace rules

bool isTransitAccount(std::string_view account)
{
    account = text::trimmed(account);
    static constexpr std::array<std::string_view, 6> Transit
        = { "30232", "30233", "30301", "30302", "47422", "40911" };
    return std::any_of(Transit.begin(), Transit.end(),
        [account](std::string_view prefix) { return account.starts_with(prefix); });
}

std::vector<int> accountNumbers(std::string_view purpose)
{
    std::vector<int> numbers;
    matching::numbersIn(matching::folded(purpose), numbers);
    return numbers;
}

} // namespace bank
