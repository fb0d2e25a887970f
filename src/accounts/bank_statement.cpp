#include "accounts/bank_statement.h"

#include "accounts/bank_statement_bytes.h"

#include "platform/file_system.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

namespace bank {
namespace {

using namespace statement;

constexpr std::string_view FirstLine = "1CClientBankExchange";

ReadResult notStatement(std::string problem)
{
    ReadResult result;
    result.status = ReadResult::Status::NotStatement;
    result.problem = std::move(problem);
    return result;
}

const char* const UnknownEncoding
    = "кодировка файла не распознана: названия полей не читаются ни в UTF-8, ни в Windows-1251, ни в DOS";

// A header value as the program keeps it, in UTF-8: tabs inside it become blanks.
void setValue(std::string& text, std::string_view value, const Encoding& code)
{
    text.clear();
    code.decodeAppend(value, text);
    if (text.find('\t') != std::string::npos)
        std::replace(text.begin(), text.end(), '\t', ' ');
}

// A value of this size or more is kept in a store of the document's own, which goes once the
// document no longer needs it whole (the import keeps such a text by its beginning only).
constexpr std::size_t LargeValue = std::size_t(64) << 10;

// Whether a line may be LargeValue long or longer: such a line holds a whole stretch of half
// that length without a line end, and a statement has a line end every few dozen bytes.
bool mayHoldLargeValues(std::string_view bytes)
{
    constexpr std::size_t Stretch = LargeValue / 2;
    for (std::size_t at = 0; at < bytes.size(); at += Stretch)
        if (!std::memchr(bytes.data() + at, '\n', std::min(Stretch, bytes.size() - at)))
            return true;
    return false;
}

// The fields of a document section, before they are put together.
class DocumentBuilder
{
public:
    // `views`: the file's bytes lie in `store`, a value that is its own UTF-8 is a view of them,
    // and the payer and the purpose of a Cyrillic code page are given in the file's bytes too for
    // the matching. Otherwise every value is copied, and the matching folds the copies.
    DocumentBuilder(const Encoding& code, std::shared_ptr<TextStore> store, const char* readable, bool views)
        : m_code(code),
          m_store(std::move(store)),
          m_readable(readable),
          m_views(views),
          m_codePage(!views                          ? Document::CodePage::None
                  : code.kind() == Encoding::Windows ? Document::CodePage::Windows
                  : code.kind() == Encoding::Dos     ? Document::CodePage::Dos
                                                     : Document::CodePage::None)
    { }

    void start(int line, std::string_view kind)
    {
        m_document = Document();
        m_own.reset();
        m_document.line = line;
        // Nearly every document of a statement is of the same kind: its text is kept once.
        if (kind != m_kindBytes) {
            m_kindBytes = kind;
            m_kind = m_code.keep(kind, *m_store, m_readable, m_views);
        }
        m_document.kind = m_kind;
        m_document.codePage = m_codePage;
        m_payer1 = {};
        m_payer1Bytes = {};
        m_purposeLines.fill({});
        m_purposeBytes.fill({});
    }

    void set(Key key, std::string_view value)
    {
        switch (key) {
        case Key::Number: m_document.number = keep(value); break;
        case Key::Date: m_document.date = keep(value); break;
        case Key::Sum: m_document.sum = keep(value); break;
        case Key::PayerAccount: m_document.payerAccount = keep(value); break;
        case Key::Payer:
            m_document.payer = keep(value);
            m_document.payerBytes = raw(value);
            break;
        case Key::Payer1:
            m_payer1 = keep(value);
            m_payer1Bytes = raw(value);
            break;
        case Key::PayerInn: m_document.payerInn = keep(value); break;
        case Key::PayeeAccount: m_document.payeeAccount = keep(value); break;
        case Key::Received: m_document.received = keep(value); break;
        case Key::Purpose:
            m_document.purpose = keep(value);
            m_document.purposeBytes = raw(value);
            break;
        default:
            if (key >= Key::Purpose1 && key <= Purpose6) {
                const std::size_t i = std::size_t(int(key) - int(Key::Purpose1));
                m_purposeLines[i] = keep(value);
                m_purposeBytes[i] = raw(value);
            }
            break;
        }
    }

    Document finish()
    {
        if (m_document.payer.empty()) {
            m_document.payer = m_payer1;
            m_document.payerBytes = m_payer1Bytes;
        }
        if (m_document.purpose.empty()) {
            m_document.purpose = joined(m_purposeLines);
            if (m_codePage != Document::CodePage::None)
                m_document.purposeBytes = joined(m_purposeBytes);
        }
        Document done = std::move(m_document);
        if (m_own)
            done.texts = std::move(m_own);
        else
            done.texts = m_store;
        return done;
    }

private:
    TextStore& storeFor(std::size_t size)
    {
        if (size < LargeValue)
            return *m_store;
        if (!m_own)
            m_own = std::make_shared<TextStore>(m_store);
        return *m_own;
    }
    std::string_view keep(std::string_view value)
    {
        return m_code.keep(value, storeFor(value.size()), m_readable, m_views);
    }
    // The value's bytes as the file has them, for the matching of a Cyrillic code page.
    std::string_view raw(std::string_view value) const
    {
        return m_codePage == Document::CodePage::None ? std::string_view() : value;
    }

    // The lines of a purpose joined with blanks.
    std::string_view joined(const std::array<std::string_view, 6>& parts)
    {
        std::size_t size = 0;
        for (std::string_view part : parts)
            size += part.size() + 1;
        TextStore& store = storeFor(size);
        char* const begin = store.room(size);
        char* out = begin;
        for (std::string_view part : parts) {
            if (part.empty())
                continue;
            if (out != begin)
                *out++ = ' ';
            std::memcpy(out, part.data(), part.size());
            out += part.size();
        }
        return store.commit(std::size_t(out - begin));
    }

    const Encoding& m_code;
    std::shared_ptr<TextStore> m_store;
    const char* m_readable; // the end of the file's bytes
    bool m_views;
    Document::CodePage m_codePage;
    std::shared_ptr<TextStore> m_own; // of the document being read, when it has a large value
    Document m_document;
    std::string_view m_kindBytes;
    std::string_view m_kind;
    std::string_view m_payer1;
    std::string_view m_payer1Bytes;
    std::array<std::string_view, 6> m_purposeLines;
    std::array<std::string_view, 6> m_purposeBytes;
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
// `source`, when given, holds the bytes: the documents' texts may be views of it.
ReadResult readAs(
    std::string_view bytes, Encoding::Kind kind, int& recognised, const std::shared_ptr<const char[]>& source)
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
    auto store = std::make_shared<TextStore>();
    if (source)
        store->keepAlive(source);
    DocumentBuilder builder(code, std::move(store), bytes.data() + bytes.size(), source != nullptr);

    // A payment takes some three hundred bytes of the file.
    statement.documents.reserve(bytes.size() / 300 + 1);
    Lines lines(bytes);
    Line line;
    if (!lines.next(line) || line.text != FirstLine)
        return notStatement("первая строка не «1CClientBankExchange»");
    while (!ended && lines.next(line)) {
        if (line.text.empty())
            continue;
        const std::string_view value = line.value;
        const Key key = code.key(line.key);
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
            builder.start(sectionLine, value);
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
                builder.set(key, value);
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

std::string_view TextStore::keep(std::string_view text)
{
    if (text.empty())
        return {};
    std::memcpy(room(text.size()), text.data(), text.size());
    return commit(text.size());
}

char* TextStore::newBlock(std::size_t size)
{
    // Blocks grow with the statement, up to a size whose untouched end costs nothing; a longer
    // text has a block of its own.
    constexpr std::size_t Largest = std::size_t(1) << 20;
    const std::size_t block = std::max(size, m_nextBlock);
    m_nextBlock = std::min(Largest, m_nextBlock * 2);
    m_blocks.push_back(std::make_unique_for_overwrite<char[]>(block));
    m_free = m_blocks.back().get();
    m_left = block;
    return m_free;
}

namespace {

// readStatement, for bytes that `source` may hold.
ReadResult read(std::string_view bytes, const std::shared_ptr<const char[]>& source)
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
    ReadResult result = readAs(bytes, kind, recognised, source);
    if (recognised > 0)
        return result;
    // Not one key read: the header may name the other Cyrillic code page than the file's.
    if (kind != Encoding::Utf8) {
        const Encoding::Kind other = kind == Encoding::Dos ? Encoding::Windows : Encoding::Dos;
        int otherRecognised = 0;
        ReadResult second = readAs(bytes, other, otherRecognised, source);
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

} // namespace

ReadResult readStatement(std::string_view bytes)
{
    return read(bytes, nullptr);
}

ReadResult readStatementFile(const std::string& path)
{
    // The file is read straight into the buffer its texts stay views of: not zero-filled first,
    // nor copied after.
    files::InputFile file;
    if (file.open(path) != files::OpenStatus::Opened)
        return ReadResult();
    const std::optional<std::uint64_t> size = file.regularSize();
    if (!size)
        return ReadResult();
    if (*size > MaxStatementBytes)
        return notStatement(tooLarge());
    std::shared_ptr<char[]> bytes = std::make_shared_for_overwrite<char[]>(std::size_t(*size));
    std::size_t filled = 0;
    while (filled < *size) {
        const std::int64_t n = file.read(bytes.get() + filled, std::size_t(*size) - filled);
        if (n < 0)
            return ReadResult();
        if (n == 0)
            break; // a file that shrank while it was read is taken as far as it went
        filled += static_cast<std::size_t>(n);
    }
    const std::string_view text(bytes.get(), filled);
    // The file's bytes stay with the statement, and its texts are views of them where they are
    // UTF-8 as they stand: unless a line is so long that the import lets it go after.
    std::shared_ptr<const char[]> source;
    if (!mayHoldLargeValues(text))
        source = std::move(bytes);
    return read(text, source);
}

} // namespace bank
