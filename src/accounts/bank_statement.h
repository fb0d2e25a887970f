#pragma once

// The bank statement as every Russian bank exports it for accounting programs: a text file that
// begins with the line "1CClientBankExchange", then "Key=Value" lines: a header, optional account
// sections (СекцияРасчСчет … КонецРасчСчет) with balances, one section per document
// (СекцияДокумент=<kind> … КонецДокумента) and the closing line КонецФайла.
//
// The bytes are trusted over the header: valid UTF-8 is read as UTF-8 (some banks write it under
// "Кодировка=Windows"); otherwise "Кодировка=DOS" means CP866, anything else Windows-1251.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bank {

// A month's statement is a few hundred kilobytes, a busy year's some 200,000 documents of about
// 330 bytes each; a larger file is refused before it is read whole.
inline constexpr std::size_t MaxStatementBytes = std::size_t(128) << 20;

// One document of the statement, its texts as written (in UTF-8, blanks around them dropped).
struct Document
{
    int line = 0; // the line of its СекцияДокумент, from 1
    std::string kind; // "Платежное поручение"
    std::string number; // Номер
    std::string date; // Дата, dd.mm.yyyy
    std::string sum; // Сумма: roubles with a point or a comma, or whole
    std::string payerAccount; // ПлательщикСчет
    std::string payer; // Плательщик, or Плательщик1 where the first is missing
    std::string payerInn; // ПлательщикИНН
    std::string payeeAccount; // ПолучательСчет
    std::string received; // ДатаПоступило: set only for money that came into the account
    std::string purpose; // НазначениеПлатежа, or НазначениеПлатежа1 … 6 joined with blanks
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

// The same for a file; one over MaxStatementBytes is refused from its size alone.
ReadResult readStatementFile(const std::string& path);

} // namespace bank
