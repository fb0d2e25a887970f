// The statement's documents sorted into payments: which are money paid to the association, which
// the journal or the statement itself has already, and whose and of which month each is.

#include "accounts/bank_import.h"

#include "accounts/bank_rules.h"
#include "accounts/bank_statement_bytes.h"
#include "matching/folding.h"
#include "text/trim.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace bank {
namespace {

using matching::isDigit;
using text::trimmed;

// hashOf takes each part's length in, so that the parts need nothing between them.
std::uint64_t keyHash(const PaymentKey& key)
{
    std::uint64_t hash = matching::hashOf(key.number);
    for (const std::string* part : { &key.date, &key.sum, &key.payerAccount })
        hash = matching::hashOf(*part, hash);
    return hash;
}

// The payments of a statement by the hashes of their keys, to find one that comes twice: an open
// table of their indexes, half as large again as the statement has documents. A slot is eight
// bytes, so that the table of a month's statement stays in the processor's cache.
class SeenKeys
{
public:
    explicit SeenKeys(std::size_t documents)
    {
        std::size_t size = 16;
        while (size < documents + documents / 2)
            size *= 2;
        m_slots.assign(size, Slot());
        m_mask = size - 1;
    }

    // Whether a payment of the same key was seen (`same` tells, given its index); if not, this one
    // at `index` is kept.
    template <typename Same> bool seenOrAdd(std::uint64_t hash, std::size_t index, Same same)
    {
        const auto tag = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t at = std::size_t(hash) & m_mask;; at = (at + 1) & m_mask) {
            Slot& slot = m_slots[at];
            if (slot.index == 0) {
                slot = { tag, static_cast<std::uint32_t>(index + 1) };
                return false;
            }
            if (slot.tag == tag && same(std::size_t(slot.index - 1)))
                return true;
        }
    }

private:
    struct Slot
    {
        std::uint32_t tag = 0; // the high half of the hash
        std::uint32_t index = 0; // the payment's, plus one; 0 for a free slot
    };
    std::vector<Slot> m_slots;
    std::size_t m_mask = 0;
};

void appendNote(std::string& note, std::string_view more)
{
    if (more.empty())
        return;
    if (!note.empty())
        note += "; ";
    note += more;
}

// The same for a note of the matching's own, taken over.
void appendOwnNote(std::string& note, std::string&& more)
{
    if (note.empty())
        note = std::move(more);
    else
        appendNote(note, std::string_view(more));
}

// journalText of a key's part. Nearly every number, date and account is plain ASCII, which the
// journal keeps as it is.
std::string keyText(std::string_view text)
{
    static constexpr std::array<bool, 256> NotPlain = [] {
        std::array<bool, 256> set{};
        for (int b = 0x80; b < 0x100; ++b)
            set[std::size_t(b)] = true;
        set['|'] = set['\r'] = set['\n'] = true;
        return set;
    }();
    bool plain = true;
    for (const char c : text)
        plain = plain && !NotPlain[static_cast<unsigned char>(c)];
    return plain ? std::string(trimmed(text)) : journalText(text);
}

// The sum's text in the key: moneyText, for the sum of a statement, which is whole kopecks
// above zero.
std::string sumText(Currency sum)
{
    constexpr std::int64_t Kopeck = Currency::Scale / 100;
    if (sum.raw() <= 0 || sum.raw() % Kopeck != 0)
        return moneyText(sum);
    const std::int64_t kopecks = sum.raw() / Kopeck;
    std::string text = std::to_string(kopecks / 100);
    text += ',';
    text += char('0' + kopecks % 100 / 10);
    text += char('0' + kopecks % 10);
    return text;
}

// A payment divided between subscribers has one journal entry per part, all of its key: the first
// is what Journal::find gives, the others are found here.
class LaterParts
{
public:
    explicit LaterParts(const Journal& journal)
    {
        for (const JournalEntry& entry : journal.entries()) {
            const JournalEntry* first = journal.find(entry.key);
            if (first && first != &entry)
                m_parts[first].push_back(&entry);
        }
    }

    std::string subscribers(const JournalEntry& first) const
    {
        std::string text = first.subscriber;
        if (const auto it = m_parts.find(&first); it != m_parts.end())
            for (const JournalEntry* part : it->second)
                text += ", " + part->subscriber;
        return text;
    }

private:
    std::unordered_map<const JournalEntry*, std::vector<const JournalEntry*>> m_parts;
};

// What the window keeps of a statement's texts once the matching has read them: not the file's
// own bytes of its payer and purpose, and a text beyond MaxKeptCharacters by its beginning, in a
// store of the document's own beside the statement's. A document whose large texts had a store
// of their own lets it go.
void keepShown(Document& document)
{
    document.codePage = Document::CodePage::None;
    document.payerBytes = {};
    document.purposeBytes = {};
    const auto tooLong = [](std::string_view text) { return text.size() > MaxKeptCharacters; };
    if (!tooLong(document.payer) && !tooLong(document.purpose) && !tooLong(document.sum))
        return;
    const std::shared_ptr<const TextStore>& statementTexts
        = document.texts && document.texts->base() ? document.texts->base() : document.texts;
    const bool ownTexts = statementTexts != document.texts;
    auto store = std::make_shared<TextStore>(statementTexts);
    for (std::string_view* text : { &document.kind, &document.number, &document.date, &document.sum,
             &document.payerAccount, &document.payer, &document.payerInn, &document.payeeAccount,
             &document.received, &document.purpose }) {
        if (tooLong(*text) && (text == &document.payer || text == &document.purpose || text == &document.sum))
            *text = store->keep(matching::shortened(*text, MaxKeptCharacters));
        else if (ownTexts)
            *text = store->keep(*text);
    }
    document.texts = std::move(store);
}

} // namespace

std::optional<Currency> statementSum(std::string_view text)
{
    text = trimmed(text);
    std::size_t i = 0;
    while (i < text.size() && isDigit(static_cast<unsigned char>(text[i])))
        ++i;
    if (i == 0)
        return std::nullopt;
    // Roubles of up to fourteen digits with their kopecks, as every bank writes them, are read
    // here; anything longer goes through Currency's own reading and range.
    if (i <= 14) {
        std::int64_t roubles = 0;
        for (std::size_t k = 0; k < i; ++k)
            roubles = roubles * 10 + (text[k] - '0');
        std::int64_t kopecks = 0;
        if (i < text.size()) {
            const std::string_view decimals = text.substr(i + 1);
            if ((text[i] != '.' && text[i] != ',') || decimals.empty() || decimals.size() > 2
                || !std::all_of(decimals.begin(), decimals.end(), [](char c) { return isDigit(c); }))
                return std::nullopt;
            kopecks = (decimals[0] - '0') * 10 + (decimals.size() == 2 ? decimals[1] - '0' : 0);
        }
        const std::int64_t raw = roubles * Currency::Scale + kopecks * (Currency::Scale / 100);
        if (raw <= 0)
            return std::nullopt;
        return Currency::fromRaw(raw);
    }
    std::string amount(text.substr(0, i));
    if (i < text.size()) {
        if (text[i] != '.' && text[i] != ',')
            return std::nullopt;
        const std::string_view decimals = text.substr(i + 1);
        if (decimals.empty() || decimals.size() > 2
            || !std::all_of(decimals.begin(), decimals.end(), [](char c) { return isDigit(c); }))
            return std::nullopt;
        amount += ',';
        amount += decimals;
    }
    const std::optional<Currency> sum = Currency::parse(amount);
    if (!sum || !(*sum > Currency()))
        return std::nullopt;
    return sum;
}

Import prepareImport(
    Statement statement, const RecordTable& table, const Journal& journal, std::string_view account)
{
    Import result;
    result.payments.reserve(statement.documents.size());
    rules::Matcher matcher(table, journal);
    const LaterParts parts(journal);
    const std::string_view ours = trimmed(account);

    // The payments and their keys first; those the journal has are done with then.
    struct Fresh
    {
        std::size_t index = 0; // in result.payments
        std::uint64_t hash = 0; // of its key
    };
    std::vector<Fresh> fresh;
    fresh.reserve(statement.documents.size());
    for (Document& document : statement.documents) {
        if (ours.empty() || trimmed(document.payeeAccount) != ours || trimmed(document.received).empty()) {
            ++result.skipped;
            continue;
        }
        // Made in its place: the room for every document was reserved.
        Payment& payment = result.payments.emplace_back();
        payment.sum = statementSum(document.sum);
        payment.key = { keyText(document.number), keyText(document.date),
            payment.sum ? sumText(*payment.sum) : keyText(document.sum), keyText(document.payerAccount) };
        payment.document = std::move(document);
        if (const JournalEntry* entry = journal.find(payment.key)) {
            payment.alreadyImported = true;
            payment.record = entry->record;
            payment.month = YearMonth{ entry->year, entry->month };
            payment.note = "занесен " + entry->importDate + ": " + parts.subscribers(*entry) + ", "
                + rules::monthText(*payment.month);
            keepShown(payment.document);
        } else {
            fresh.push_back({ result.payments.size() - 1, keyHash(payment.key) });
        }
    }

    // A payment that comes twice: in a loop of its own, which waits for many slots of the table at
    // once.
    SeenKeys seen(fresh.size());
    for (const Fresh& f : fresh) {
        Payment& payment = result.payments[f.index];
        const bool repeated = seen.seenOrAdd(f.hash, f.index,
            [&](std::size_t earlier) { return result.payments[earlier].key == payment.key; });
        if (repeated) {
            payment.alreadyImported = true;
            appendNote(payment.note, "повторяет платеж выше в этой выписке");
        }
    }

    for (const Fresh& f : fresh) {
        Payment& payment = result.payments[f.index];
        Document& document = payment.document;
        if (!payment.sum)
            appendNote(payment.note, "сумма «" + matching::shortened(document.sum, 40) + "» не число");

        if (document.codePage != Document::CodePage::None) {
            const statement::Encoding& code = statement::encoding(document.codePage == Document::CodePage::Dos
                    ? statement::Encoding::Dos
                    : statement::Encoding::Windows);
            code.fold(document.purposeBytes, matcher.foldedPurpose);
            code.fold(document.payerBytes, matcher.foldedPayer);
        } else {
            matching::foldInto(document.purpose, matcher.foldedPurpose);
            matching::foldInto(document.payer, matcher.foldedPayer);
        }
        matcher.purpose = matcher.foldedPurpose;
        matcher.payer = matcher.foldedPayer;
        matching::runsOf(matcher.purpose, matcher.runs);
        rules::SubscriberMatch subscriber = rules::matchSubscriber(document, payment.key, matcher);
        payment.record = subscriber.record;
        payment.rule = subscriber.rule;
        payment.plots = std::move(subscriber.plots);
        const rules::MonthMatch month = rules::matchMonth(document, matcher);
        payment.month = month.month;
        if (!payment.alreadyImported) {
            appendOwnNote(payment.note, std::move(subscriber.note));
            appendNote(payment.note, month.problem);
        }
        payment.matched = !payment.alreadyImported && payment.sum && payment.record > 0 && payment.month;
        payment.large = payment.sum && LargeSum < *payment.sum;
        if (payment.large && !payment.alreadyImported)
            appendNote(payment.note, "сумма больше 10 000 000 р.");
        keepShown(document);
    }
    return result;
}

int markPossiblyImported(Import& import, const RecordTable& table)
{
    int marked = 0;
    for (Payment& payment : import.payments) {
        if (!payment.matched || !payment.month || payment.record < 1 || payment.record > table.recordCount()
            || !table.years().holds(*payment.month))
            continue;
        const int paidIn = fields::ledgerBaseOfMonth(payment.month->year, payment.month->month) + 6;
        if (trimmed(table.field(payment.record, paidIn)).empty())
            continue;
        payment.possiblyImported = true;
        payment.note = "возможно, уже занесён; " + payment.note;
        ++marked;
    }
    return marked;
}

std::string splitProblem(Currency sum, const std::vector<Part>& parts, int recordCount)
{
    if (parts.size() < 2)
        return "Платеж делится между двумя абонентами или больше.";
    std::vector<int> records;
    Currency total;
    for (const Part& part : parts) {
        if (part.record < 1 || part.record > recordCount)
            return "Для каждой части выберите абонента.";
        if (std::find(records.begin(), records.end(), part.record) != records.end())
            return "Абонент № " + std::to_string(part.record) + " указан дважды.";
        records.push_back(part.record);
        if (!(part.sum > Currency()))
            return "Сумма каждой части должна быть больше нуля.";
        if (part.sum.round2() != part.sum)
            return "Сумма части не может быть точнее копейки: " + part.sum.plainText() + " р.";
        const std::optional<Currency> next = Currency::add(total, part.sum);
        if (!next)
            return "Части в сумме больше платежа.";
        total = *next;
    }
    if (total != sum) {
        const Currency difference = Currency::subtract(sum, total).value_or(Currency());
        return "Части в сумме " + moneyText(total) + " р., а платеж на " + moneyText(sum) + " р.: "
            + (difference.isNegative()
                    ? "лишние " + moneyText(Currency::subtract(Currency(), difference).value_or(Currency()))
                    : "не хватает " + moneyText(difference))
            + " р.";
    }
    return {};
}

std::vector<Currency> evenParts(Currency sum, int count)
{
    std::vector<Currency> parts;
    if (count < 1)
        return parts;
    // Kopecks: a ten-thousandth of a rouble is a hundredth of a kopeck.
    constexpr std::int64_t Kopeck = Currency::Scale / 100;
    const std::int64_t kopecks = sum.raw() / Kopeck;
    const std::int64_t each = kopecks / count;
    const std::int64_t odd = kopecks % count;
    for (int i = 0; i < count; ++i)
        parts.push_back(Currency::fromRaw((each + (i < odd ? 1 : 0)) * Kopeck));
    // What is below a kopeck (a sum never has it) stays with the first part, so that they add up.
    parts.front() = Currency::fromRaw(parts.front().raw() + sum.raw() % Kopeck);
    return parts;
}

} // namespace bank
