#include "accounts/bank_statement.h"

#include "database/cp1251.h"
#include "database/cp866.h"
#include "database/database_file.h"

#include <array>

namespace bank {
namespace {

constexpr std::string_view FirstLine = "1CClientBankExchange";

ReadResult notStatement(std::string problem)
{
    ReadResult result;
    result.status = ReadResult::Status::NotStatement;
    result.problem = std::move(problem);
    return result;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Valid UTF-8 in the strict sense: shortest forms only, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t c = 0;
        char32_t least = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            c = lead & 0x1F;
            least = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            c = lead & 0x0F;
            least = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            c = lead & 0x07;
            least = 0x10000;
        } else {
            return false;
        }
        if (i + std::size_t(length) > s.size())
            return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + std::size_t(k)]);
            if ((next & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (next & 0x3F);
        }
        if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        i += std::size_t(length);
    }
    return true;
}

// A text file holds no control characters but the tab and the line ends.
bool isText(std::string_view bytes)
{
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F)
            return false;
    }
    return true;
}

// Whether the header says the file is in the DOS code page. The key is looked for in both
// Cyrillic code pages, since which one it is written in is what is being found out.
bool saysDos(std::string_view bytes)
{
    const std::string key1251 = cp1251::encode("Кодировка");
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);
        start = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        std::string_view value = trimmed(line.substr(equals + 1));
        if (!value.empty() && value.back() == '\r')
            value = trimmed(value.substr(0, value.size() - 1));
        if (value != "DOS")
            continue;
        const std::string_view key = trimmed(line.substr(0, equals));
        if (key == key1251 || cp866::decode(key) == "Кодировка")
            return true;
    }
    return false;
}

// A value as the program keeps it: tabs inside it become blanks.
std::string valueText(std::string_view value)
{
    std::string text(value);
    for (char& c : text) {
        if (c == '\t')
            c = ' ';
    }
    return text;
}

// The fields of a document section, before they are put together.
struct DocumentBuilder
{
    Document document;
    std::string payer;
    std::string payer1;
    std::string purpose;
    std::array<std::string, 6> purposeLines;

    void set(std::string_view key, std::string_view value)
    {
        static constexpr std::string_view PurposeLine = "НазначениеПлатежа";
        if (key == "Номер")
            document.number = valueText(value);
        else if (key == "Дата")
            document.date = valueText(value);
        else if (key == "Сумма")
            document.sum = valueText(value);
        else if (key == "ПлательщикСчет")
            document.payerAccount = valueText(value);
        else if (key == "Плательщик")
            payer = valueText(value);
        else if (key == "Плательщик1")
            payer1 = valueText(value);
        else if (key == "ПлательщикИНН")
            document.payerInn = valueText(value);
        else if (key == "ПолучательСчет")
            document.payeeAccount = valueText(value);
        else if (key == "ДатаПоступило")
            document.received = valueText(value);
        else if (key == PurposeLine)
            purpose = valueText(value);
        else if (key.size() == PurposeLine.size() + 1 && key.substr(0, PurposeLine.size()) == PurposeLine
            && key.back() >= '1' && key.back() <= '6')
            purposeLines[std::size_t(key.back() - '1')] = valueText(value);
    }

    Document finish()
    {
        document.payer = payer.empty() ? payer1 : payer;
        if (purpose.empty()) {
            for (const std::string& part : purposeLines) {
                if (part.empty())
                    continue;
                if (!purpose.empty())
                    purpose += ' ';
                purpose += part;
            }
        }
        document.purpose = std::move(purpose);
        return std::move(document);
    }
};

} // namespace

ReadResult readStatement(std::string_view bytes)
{
    if (bytes.size() > MaxStatementBytes)
        return notStatement("файл больше 64 МБ");
    // DOS programs may end a text file with Ctrl+Z marks.
    while (!bytes.empty() && bytes.back() == '\x1A')
        bytes.remove_suffix(1);
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return notStatement("файл пуст");
    if (!isText(bytes))
        return notStatement("файл не текстовый");

    ReadResult result;
    Statement& statement = result.statement;
    std::string text;
    if (isValidUtf8(bytes)) {
        statement.encoding = "UTF-8";
        text.assign(bytes);
        if (text.starts_with("\xEF\xBB\xBF"))
            text.erase(0, 3);
    } else if (saysDos(bytes)) {
        statement.encoding = "DOS";
        text = cp866::decode(bytes);
    } else {
        statement.encoding = "Windows";
        text = cp1251::decode(bytes);
    }

    enum class Section { Header, Account, Document };
    Section section = Section::Header;
    int sectionLine = 0;
    bool ended = false;
    std::string sectionAccount;
    DocumentBuilder builder;

    std::string_view rest = text;
    for (int lineNumber = 1; !rest.empty() && !ended; ++lineNumber) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = trimmed(line);
        if (lineNumber == 1) {
            if (line != FirstLine)
                return notStatement("первая строка не «1CClientBankExchange»");
            continue;
        }
        if (line.empty())
            continue;

        const std::size_t equals = line.find('=');
        const std::string_view key = trimmed(line.substr(0, equals));
        const std::string_view value
            = equals == std::string_view::npos ? std::string_view() : trimmed(line.substr(equals + 1));

        if (key == "СекцияДокумент" || key == "СекцияРасчСчет" || key == "КонецФайла") {
            if (section == Section::Document)
                return notStatement("документ в строке " + std::to_string(sectionLine)
                    + " не закончен строкой «КонецДокумента»");
            if (section == Section::Account)
                return notStatement("раздел счета в строке " + std::to_string(sectionLine)
                    + " не закончен строкой «КонецРасчСчет»");
        }
        if (key == "КонецФайла") {
            ended = true;
        } else if (key == "СекцияДокумент") {
            section = Section::Document;
            sectionLine = lineNumber;
            builder = DocumentBuilder();
            builder.document.line = lineNumber;
            builder.document.kind = valueText(value);
        } else if (key == "КонецДокумента") {
            if (section == Section::Document)
                statement.documents.push_back(builder.finish());
            section = Section::Header;
        } else if (key == "СекцияРасчСчет") {
            section = Section::Account;
            sectionLine = lineNumber;
        } else if (key == "КонецРасчСчет") {
            section = Section::Header;
        } else if (section == Section::Document) {
            builder.set(key, value);
        } else if (section == Section::Account) {
            if (key == "РасчСчет" && sectionAccount.empty())
                sectionAccount = valueText(value);
        } else if (key == "РасчСчет") {
            statement.account = valueText(value);
        } else if (key == "Отправитель") {
            statement.sender = valueText(value);
        } else if (key == "ДатаНачала") {
            statement.dateFrom = valueText(value);
        } else if (key == "ДатаКонца") {
            statement.dateTo = valueText(value);
        }
    }
    if (!ended) {
        if (section == Section::Document)
            return notStatement(
                "документ в строке " + std::to_string(sectionLine) + " не закончен строкой «КонецДокумента»");
        return notStatement("нет строки «КонецФайла»: файл неполный");
    }
    if (statement.account.empty())
        statement.account = sectionAccount;
    result.status = ReadResult::Status::Read;
    return result;
}

ReadResult readStatementFile(const std::string& path)
{
    database::FileBytes file = database::readFile(path, MaxStatementBytes);
    switch (file.status) {
    case database::FileBytes::Status::Read: return readStatement(file.bytes);
    case database::FileBytes::Status::TooLarge: return notStatement("файл больше 64 МБ");
    case database::FileBytes::Status::NotFound:
    case database::FileBytes::Status::Failed: break;
    }
    return ReadResult();
}

} // namespace bank
