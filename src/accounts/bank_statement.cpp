#include "accounts/bank_statement.h"

#include "database/cp1251.h"
#include "database/cp866.h"
#include "database/database_file.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

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

bool isControl(unsigned char b)
{
    return (b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F;
}

// Where the first control character of the bytes is (anything but the tab and the line ends), or
// npos. Eight bytes at a time: a word without a byte below 0x20 or equal to 0x7F needs no closer
// look.
std::size_t firstControl(std::string_view bytes)
{
    constexpr std::uint64_t Ones = 0x0101010101010101ull;
    constexpr std::uint64_t Highs = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        const std::uint64_t below = (w - Ones * 0x20) & ~w & Highs;
        const std::uint64_t x = w ^ (Ones * 0x7F);
        const std::uint64_t del = (x - Ones) & ~x & Highs;
        if ((below | del) == 0)
            continue;
        for (std::size_t k = i; k < i + 8; ++k)
            if (isControl(static_cast<unsigned char>(bytes[k])))
                return k;
    }
    for (; i < bytes.size(); ++i)
        if (isControl(static_cast<unsigned char>(bytes[i])))
            return i;
    return std::string_view::npos;
}

// UTF-16, as some programs save a text: a byte-order mark, or the zero bytes of ASCII between its
// letters.
bool looksUtf16(std::string_view bytes)
{
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return true;
    return bytes.size() >= 4
        && ((bytes[0] != 0 && bytes[1] == 0 && bytes[3] == 0)
            || (bytes[0] == 0 && bytes[2] == 0 && bytes[1] != 0));
}

const char* const UnknownEncoding
    = "кодировка файла не распознана: названия полей не читаются ни в UTF-8, ни в Windows-1251, ни в DOS";

// The keys the reader acts on.
enum class Key {
    Other,
    SectionDocument,
    SectionAccount,
    EndDocument,
    EndAccount,
    EndFile,
    Account,
    Sender,
    DateFrom,
    DateTo,
    Encoding,
    Number,
    Date,
    Sum,
    PayerAccount,
    Payer,
    Payer1,
    PayerInn,
    PayeeAccount,
    Received,
    Purpose,
    Purpose1, // … Purpose6 follow
};

constexpr std::array<std::pair<const char*, Key>, 25> KeyNames = { {
    { "СекцияДокумент", Key::SectionDocument },
    { "СекцияРасчСчет", Key::SectionAccount },
    { "КонецДокумента", Key::EndDocument },
    { "КонецРасчСчет", Key::EndAccount },
    { "КонецФайла", Key::EndFile },
    { "РасчСчет", Key::Account },
    { "Отправитель", Key::Sender },
    { "ДатаНачала", Key::DateFrom },
    { "ДатаКонца", Key::DateTo },
    { "Кодировка", Key::Encoding },
    { "Номер", Key::Number },
    { "Дата", Key::Date },
    { "Сумма", Key::Sum },
    { "ПлательщикСчет", Key::PayerAccount },
    { "Плательщик", Key::Payer },
    { "Плательщик1", Key::Payer1 },
    { "ПлательщикИНН", Key::PayerInn },
    { "ПолучательСчет", Key::PayeeAccount },
    { "ДатаПоступило", Key::Received },
    { "НазначениеПлатежа", Key::Purpose },
    { "НазначениеПлатежа1", Key::Purpose1 },
    { "НазначениеПлатежа2", Key(int(Key::Purpose1) + 1) },
    { "НазначениеПлатежа3", Key(int(Key::Purpose1) + 2) },
    { "НазначениеПлатежа4", Key(int(Key::Purpose1) + 3) },
    { "НазначениеПлатежа5", Key(int(Key::Purpose1) + 4) },
} };
constexpr Key Purpose6 = Key(int(Key::Purpose1) + 5);

// The file is read in the bytes of its code page: keys are compared in that code page, and only
// the values kept are decoded.
class Encoding
{
public:
    enum Kind { Utf8, Dos, Windows };

    explicit Encoding(Kind kind) : m_kind(kind)
    {
        for (const auto& [name, key] : KeyNames)
            add(encoded(name), key);
        add(encoded("НазначениеПлатежа6"), Purpose6);
    }

    const char* name() const
    {
        switch (m_kind) {
        case Utf8: return "UTF-8";
        case Dos: return "DOS";
        case Windows: return "Windows";
        }
        return "";
    }

    std::string encoded(std::string_view utf8) const
    {
        switch (m_kind) {
        case Utf8: return std::string(utf8);
        case Dos: return cp866::encode(utf8);
        case Windows: return cp1251::encode(utf8);
        }
        return {};
    }

    void decodeAppend(std::string_view bytes, std::string& out) const
    {
        switch (m_kind) {
        case Utf8: out.append(bytes); return;
        case Dos: cp866::decodeAppend(bytes, out); return;
        case Windows: cp1251::decodeAppend(bytes, out); return;
        }
    }

    Key key(std::string_view bytes) const
    {
        if (bytes.size() >= m_bySize.size())
            return Key::Other;
        for (const auto& [name, key] : m_bySize[bytes.size()])
            if (name == bytes)
                return key;
        return Key::Other;
    }

private:
    void add(std::string name, Key key)
    {
        if (m_bySize.size() <= name.size())
            m_bySize.resize(name.size() + 1);
        m_bySize[name.size()].emplace_back(std::move(name), key);
    }

    Kind m_kind;
    std::vector<std::vector<std::pair<std::string, Key>>> m_bySize;
};

const Encoding& encoding(Encoding::Kind kind)
{
    static const Encoding utf8(Encoding::Utf8);
    static const Encoding dos(Encoding::Dos);
    static const Encoding windows(Encoding::Windows);
    switch (kind) {
    case Encoding::Utf8: return utf8;
    case Encoding::Dos: return dos;
    case Encoding::Windows: break;
    }
    return windows;
}

// The lines of a text, their line ends (LF or CR LF) and the blanks around them dropped.
class Lines
{
public:
    explicit Lines(std::string_view text) : m_rest(text) { }

    bool next(std::string_view& line)
    {
        if (m_rest.empty())
            return false;
        const std::size_t end = m_rest.find('\n');
        line = m_rest.substr(0, end);
        m_rest = end == std::string_view::npos ? std::string_view() : m_rest.substr(end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        line = trimmed(line);
        ++m_number;
        return true;
    }
    int number() const { return m_number; }

private:
    std::string_view m_rest;
    int m_number = 0;
};

void splitLine(std::string_view line, std::string_view& key, std::string_view& value)
{
    const std::size_t equals = line.find('=');
    key = trimmed(line.substr(0, equals));
    value = equals == std::string_view::npos ? std::string_view() : trimmed(line.substr(equals + 1));
}

// Whether the header says the file is in the DOS code page. The key is looked for in both
// Cyrillic code pages, since which one it is written in is what is being found out; the header
// ends where the first section begins.
bool saysDos(std::string_view bytes)
{
    const Encoding& dos = encoding(Encoding::Dos);
    const Encoding& windows = encoding(Encoding::Windows);
    Lines lines(bytes);
    std::string_view line;
    while (lines.next(line)) {
        std::string_view key;
        std::string_view value;
        splitLine(line, key, value);
        const Key inDos = dos.key(key);
        const Key inWindows = windows.key(key);
        if (inDos == Key::Encoding || inWindows == Key::Encoding)
            return value == "DOS";
        if (inDos == Key::SectionDocument || inWindows == Key::SectionDocument || inDos == Key::SectionAccount
            || inWindows == Key::SectionAccount)
            return false;
    }
    return false;
}

// A value as the program keeps it, in UTF-8: tabs inside it become blanks.
void setValue(std::string& text, std::string_view value, const Encoding& code)
{
    text.clear();
    code.decodeAppend(value, text);
    if (text.find('\t') != std::string::npos)
        std::replace(text.begin(), text.end(), '\t', ' ');
}

// The fields of a document section, before they are put together.
struct DocumentBuilder
{
    Document document;
    std::string payer1;
    std::array<std::string, 6> purposeLines;

    // Ready for the next document; the parts kept aside keep their memory.
    void start(int line)
    {
        document = Document();
        document.line = line;
        payer1.clear();
        for (std::string& part : purposeLines)
            part.clear();
    }

    void set(Key key, std::string_view value, const Encoding& code)
    {
        switch (key) {
        case Key::Number: setValue(document.number, value, code); break;
        case Key::Date: setValue(document.date, value, code); break;
        case Key::Sum: setValue(document.sum, value, code); break;
        case Key::PayerAccount: setValue(document.payerAccount, value, code); break;
        case Key::Payer: setValue(document.payer, value, code); break;
        case Key::Payer1: setValue(payer1, value, code); break;
        case Key::PayerInn: setValue(document.payerInn, value, code); break;
        case Key::PayeeAccount: setValue(document.payeeAccount, value, code); break;
        case Key::Received: setValue(document.received, value, code); break;
        case Key::Purpose: setValue(document.purpose, value, code); break;
        default:
            if (key >= Key::Purpose1 && key <= Purpose6)
                setValue(purposeLines[std::size_t(int(key) - int(Key::Purpose1))], value, code);
            break;
        }
    }

    Document finish()
    {
        if (document.payer.empty())
            document.payer = std::move(payer1);
        if (document.purpose.empty()) {
            for (const std::string& part : purposeLines) {
                if (part.empty())
                    continue;
                if (!document.purpose.empty())
                    document.purpose += ' ';
                document.purpose += part;
            }
        }
        return std::move(document);
    }
};

std::string tooLarge()
{
    return "файл больше " + std::to_string(MaxStatementBytes >> 20) + " МБ";
}

std::string unfinished(const char* what, int line, const char* end)
{
    return std::string(what) + " в строке " + std::to_string(line) + " не закончен строкой «" + end + "»";
}

// The statement in the bytes read in one code page. `recognised` counts the lines whose keys the
// reader knows: none at all says the code page is not the file's.
ReadResult readAs(std::string_view bytes, Encoding::Kind kind, int& recognised)
{
    ReadResult result;
    Statement& statement = result.statement;
    const Encoding& code = encoding(kind);
    statement.encoding = code.name();
    recognised = 0;

    enum class Section { Header, Account, Document };
    Section section = Section::Header;
    int sectionLine = 0;
    bool ended = false;
    std::string sectionAccount;
    DocumentBuilder builder;

    // A payment takes some three hundred bytes of the file.
    statement.documents.reserve(bytes.size() / 300 + 1);
    Lines lines(bytes);
    std::string_view line;
    if (!lines.next(line) || line != FirstLine)
        return notStatement("первая строка не «1CClientBankExchange»");
    while (!ended && lines.next(line)) {
        if (line.empty())
            continue;
        std::string_view keyBytes;
        std::string_view value;
        splitLine(line, keyBytes, value);
        const Key key = code.key(keyBytes);
        if (key != Key::Other)
            ++recognised;

        if (key == Key::SectionDocument || key == Key::SectionAccount || key == Key::EndFile) {
            if (section == Section::Document)
                return notStatement(unfinished("документ", sectionLine, "КонецДокумента"));
            if (section == Section::Account)
                return notStatement(unfinished("раздел счета", sectionLine, "КонецРасчСчет"));
        }
        switch (key) {
        case Key::EndFile: ended = true; break;
        case Key::SectionDocument:
            section = Section::Document;
            sectionLine = lines.number();
            builder.start(sectionLine);
            setValue(builder.document.kind, value, code);
            break;
        case Key::EndDocument:
            if (section == Section::Document)
                statement.documents.push_back(builder.finish());
            section = Section::Header;
            break;
        case Key::SectionAccount:
            section = Section::Account;
            sectionLine = lines.number();
            break;
        case Key::EndAccount: section = Section::Header; break;
        default:
            if (section == Section::Document)
                builder.set(key, value, code);
            else if (section == Section::Account && key == Key::Account && sectionAccount.empty())
                setValue(sectionAccount, value, code);
            else if (section == Section::Header && key == Key::Account)
                setValue(statement.account, value, code);
            else if (section == Section::Header && key == Key::Sender)
                setValue(statement.sender, value, code);
            else if (section == Section::Header && key == Key::DateFrom)
                setValue(statement.dateFrom, value, code);
            else if (section == Section::Header && key == Key::DateTo)
                setValue(statement.dateTo, value, code);
            break;
        }
    }
    if (!ended) {
        if (section == Section::Document)
            return notStatement(unfinished("документ", sectionLine, "КонецДокумента"));
        return notStatement("нет строки «КонецФайла»: файл неполный");
    }
    if (statement.account.empty())
        statement.account = std::move(sectionAccount);
    result.status = ReadResult::Status::Read;
    return result;
}

} // namespace

ReadResult readStatement(std::string_view bytes)
{
    if (bytes.size() > MaxStatementBytes)
        return notStatement(tooLarge());
    // DOS programs may end a text file with Ctrl+Z marks.
    while (!bytes.empty() && bytes.back() == '\x1A')
        bytes.remove_suffix(1);
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return notStatement("файл пуст");
    if (looksUtf16(bytes))
        return notStatement("кодировка файла не распознана: файл в UTF-16, а выписка пишется в Windows-1251, "
                            "DOS или UTF-8");
    const bool utf8 = isValidUtf8(bytes);
    if (utf8 && bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    if (const std::size_t at = firstControl(bytes); at != std::string_view::npos) {
        // In a statement the place is worth telling: one stray byte, and the bank can be asked
        // for the file again. Anything else is no text at all.
        if (!bytes.starts_with(FirstLine))
            return notStatement("файл не текстовый");
        const auto line = std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(at), '\n') + 1;
        char code[8];
        std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(bytes[at]));
        return notStatement("в строке " + std::to_string(line) + " управляющий символ с кодом " + code);
    }

    const Encoding::Kind kind = utf8 ? Encoding::Utf8 : saysDos(bytes) ? Encoding::Dos : Encoding::Windows;
    int recognised = 0;
    ReadResult result = readAs(bytes, kind, recognised);
    if (recognised > 0)
        return result;
    // Not one key read: the header may name the other Cyrillic code page than the file's.
    if (kind != Encoding::Utf8) {
        const Encoding::Kind other = kind == Encoding::Dos ? Encoding::Windows : Encoding::Dos;
        int otherRecognised = 0;
        ReadResult second = readAs(bytes, other, otherRecognised);
        if (otherRecognised > 0)
            return second;
    }
    // A file of keys in ASCII letters is some other text; one whose keys have letters beyond ASCII
    // that no code page reads has been converted wrongly on its way (UTF-8 read as Windows-1251 and
    // saved again, or the reverse).
    if (result.status == ReadResult::Status::NotStatement && bytes.starts_with(FirstLine)
        && std::any_of(
            bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
        return notStatement(UnknownEncoding);
    return result;
}

ReadResult readStatementFile(const std::string& path)
{
    database::FileBytes file = database::readFile(path, MaxStatementBytes);
    switch (file.status) {
    case database::FileBytes::Status::Read: return readStatement(file.bytes);
    case database::FileBytes::Status::TooLarge: return notStatement(tooLarge());
    case database::FileBytes::Status::NotFound:
    case database::FileBytes::Status::Failed: break;
    }
    return ReadResult();
}

} // namespace bank
