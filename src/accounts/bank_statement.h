#pragma once

// The bank statement as every Russian bank exports it for accounting programs: a text file that
// begins with the line "1CClientBankExchange", then "Key=Value" lines: a header, optional account
// sections (СекцияРасчСчет … КонецРасчСчет) with balances, one section per document
// (СекцияДокумент=<kind> … КонецДокумента) and the closing line КонецФайла.
//
// The bytes are trusted over the header: valid UTF-8 is read as UTF-8 (some banks write it under
// "Кодировка=Windows"); otherwise "Кодировка=DOS" means CP866, anything else Windows-1251.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bank {

// A month's statement is a few hundred kilobytes, a busy year's some 200,000 documents of about
// 330 bytes each; a larger file is refused before it is read whole.
inline constexpr std::size_t MaxStatementBytes = std::size_t(128) << 20;

// Where the texts of a statement's documents are kept: blocks that never move, a few for a whole
// statement, so that a document holds views of its texts and a statement of 200,000 documents is a
// few hundred allocations rather than two million. A statement read from its file keeps the
// file's bytes too: a text that is UTF-8 as the file has it (numbers, dates, accounts, sums) is a
// view of them, and only the others are decoded into the blocks.
class TextStore
{
public:
    TextStore() = default;
    // A store that also keeps `base` alive, for views of it that stay beside the new texts.
    explicit TextStore(std::shared_ptr<const TextStore> base) : m_base(std::move(base)) { }
    TextStore(const TextStore&) = delete;
    TextStore& operator=(const TextStore&) = delete;

    // A copy of the text, where it stays as long as the store does.
    std::string_view keep(std::string_view text);
    // Room for at most `size` bytes; `commit` then keeps the first `used` of them (at most `size`),
    // and the next room begins after them.
    char* room(std::size_t size) { return size <= m_left ? m_free : newBlock(size); }
    std::string_view commit(std::size_t used)
    {
        const std::string_view kept(m_free, used);
        m_free += used;
        m_left -= used;
        return kept;
    }

    // The store this one keeps alive; null for none.
    const std::shared_ptr<const TextStore>& base() const { return m_base; }
    // Bytes kept alive with the store, for views of them: the file a statement was read from.
    void keepAlive(std::shared_ptr<const char[]> bytes) { m_bytes = std::move(bytes); }

private:
    char* newBlock(std::size_t size);

    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_free = nullptr;
    std::size_t m_left = 0;
    std::size_t m_nextBlock = std::size_t(16) << 10;
    std::shared_ptr<const TextStore> m_base;
    std::shared_ptr<const char[]> m_bytes;
};

// One document of the statement, its texts as written (in UTF-8, blanks around them dropped).
// The texts are views of `texts`, which every copy of the document keeps.
struct Document
{
    int line = 0; // the line of its СекцияДокумент, from 1
    std::string_view kind; // "Платежное поручение"
    std::string_view number; // Номер
    std::string_view date; // Дата, dd.mm.yyyy
    std::string_view sum; // Сумма: roubles with a point or a comma, or whole
    std::string_view payerAccount; // ПлательщикСчет
    std::string_view payer; // Плательщик, or Плательщик1 where the first is missing
    std::string_view payerInn; // ПлательщикИНН
    std::string_view payeeAccount; // ПолучательСчет
    std::string_view received; // ДатаПоступило: set only for money that came into the account
    std::string_view purpose; // НазначениеПлатежа, or НазначениеПлатежа1 … 6 joined with blanks
    // The payer and the purpose in the file's own bytes, which the matching folds without the way
    // through UTF-8 (matching/folding.h): for a statement read from its file in Windows-1251 or
    // DOS. A document made otherwise has none, and the import folds its texts. The import lets
    // them go once it has matched the document.
    enum class CodePage : std::uint8_t { None, Windows, Dos };
    CodePage codePage = CodePage::None;
    std::string_view payerBytes;
    std::string_view purposeBytes;
    std::shared_ptr<const TextStore> texts;
};

struct Statement
{
    std::string encoding; // how the bytes were read: "UTF-8", "DOS" or "Windows"
    std::string account; // the header's РасчСчет (or that of its first account section)
    std::string sender; // Отправитель
    std::string dateFrom; // ДатаНачала
    std::string dateTo; // ДатаКонца
    std::vector<Document> documents;
};

struct ReadResult
{
    enum class Status {
        Read,
        NotStatement, // `problem` says why, in the user's words
        Unreadable, // the file could not be opened or read
    };
    Status status = Status::Unreadable;
    std::string problem;
    Statement statement;
};

// The statement in these bytes, or why they are none.
ReadResult readStatement(std::string_view bytes);

// The same for a file; one over MaxStatementBytes is refused from its size alone. The documents
// keep the file's bytes (see TextStore), unless a line is so long that the import would let it go
// once quoted.
ReadResult readStatementFile(const std::string& path);

} // namespace bank
