// The bank statement reader: the code pages banks write in, the structure of the file, and the
// files that are no statement at all.

#include "accounts/bank_statement.h"
#include "accounts/statement_text.h"
#include "support/files.h"
#include "text/cp866.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace bank;
using namespace statementtest;

const std::string Purpose = "Оплата эл/энергии за январь 2026, л/с 5, показания=12345 кВт*ч";

Statement read(const std::string& bytes)
{
    ReadResult result = readStatement(bytes);
    EXPECT_EQ(result.status, ReadResult::Status::Read) << result.problem;
    return result.statement;
}

std::string problemOf(std::string_view bytes)
{
    const ReadResult result = readStatement(bytes);
    EXPECT_EQ(result.status, ReadResult::Status::NotStatement);
    return result.problem;
}

TEST(BankStatement, ReadsEachCodePageByItsBytesNotByTheHeader)
{
    const std::vector<Lines> documents = { payment("17", "1500.00", "Семёнов Леонид Дмитриевич", Purpose) };
    struct Case
    {
        const char* what;
        std::string bytes;
        const char* encoding;
    };
    const std::vector<Case> cases = {
        { "Windows-1251, CR LF", encoded(statementText(header("Windows"), documents), "CP1251"), "Windows" },
        { "CP866 under Кодировка=DOS, LF", encoded(statementText(header("DOS"), documents, "\n"), "CP866"),
            "DOS" },
        // The header says Windows, the bytes are UTF-8: the bytes win.
        { "UTF-8 under Кодировка=Windows", statementText(header("Windows"), documents), "UTF-8" },
        { "UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + statementText(header("DOS"), documents), "UTF-8" },
        // Without DOS in the header, bytes that are not UTF-8 are Windows-1251.
        { "Windows-1251 without a Кодировка",
            encoded(statementText({ { "РасчСчет", OurAccount } }, documents), "CP1251"), "Windows" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Statement statement = read(c.bytes);
        EXPECT_EQ(statement.encoding, c.encoding);
        EXPECT_EQ(statement.account, OurAccount);
        ASSERT_EQ(statement.documents.size(), 1u);
        const Document& d = statement.documents.front();
        EXPECT_EQ(d.kind, "Платежное поручение");
        EXPECT_EQ(d.number, "17");
        EXPECT_EQ(d.sum, "1500.00");
        EXPECT_EQ(d.payer, "Семёнов Леонид Дмитриевич");
        EXPECT_EQ(d.payeeAccount, OurAccount);
        EXPECT_EQ(d.received, "05.02.2026");
        // Only the first "=" of a line separates its key.
        EXPECT_EQ(d.purpose, Purpose);
    }
}

TEST(Cp866, TheWholeCodePageAsTheSystemHasIt)
{
    std::string every;
    for (int b = 0x80; b <= 0xFF; ++b)
        every += char(b);
    EXPECT_EQ(encoded(cp866::decode(every), "CP866"), every);
    EXPECT_EQ(cp866::encode(cp866::decode(every)), every);
    EXPECT_EQ(cp866::decode("\x8F\xE0\xA8\xA2\xA5\xE2 \xF0\xF1"), "Привет Ёё");
}

TEST(BankStatement, TakesTheKeysOfADocumentAsBanksWriteThem)
{
    const std::string text = "1CClientBankExchange\n"
                             "Кодировка=Windows\n"
                             "\n"
                             "СекцияРасчСчет\n"
                             "РасчСчет = "
        + OurAccount
        + "\n"
          "КонецРасчСчет\n"
          "СекцияДокумент=Банковский ордер\n"
          "  Номер = 5  \n"
          "Плательщик1=Петрова Анна Сергеевна\n"
          "НеизвестныйКлюч=что-то\n"
          "НазначениеПлатежа1=Оплата электроэнергии\n"
          "\n"
          "НазначениеПлатежа3=уч.\t12\n"
          "НазначениеПлатежа2=за март 2026\n"
          "КонецДокумента\n"
          "КонецФайла\n"
          "после конца файла ничего не читается\n";
    const Statement statement = read(text);
    // Without a РасчСчет of its own the header takes that of the account section.
    EXPECT_EQ(statement.account, OurAccount);
    ASSERT_EQ(statement.documents.size(), 1u);
    const Document& d = statement.documents.front();
    EXPECT_EQ(d.kind, "Банковский ордер");
    EXPECT_EQ(d.line, 7);
    EXPECT_EQ(d.number, "5");
    EXPECT_EQ(d.payer, "Петрова Анна Сергеевна");
    EXPECT_EQ(d.purpose, "Оплата электроэнергии за март 2026 уч. 12");
    EXPECT_TRUE(d.received.empty());
}

// Values are read sixteen bytes at a time where they are ASCII: Cyrillic letters and tabs at every
// place of such a block, and values shorter and longer than one.
TEST(BankStatement, ValuesOfEveryLengthComeAcrossWholeInEachCodePage)
{
    std::vector<std::string> purposes;
    for (std::size_t length = 1; length <= 40; ++length) {
        std::string purpose;
        for (std::size_t k = 0; k < length; ++k)
            purpose += k == length - 1          ? "Ё"
                : k == length / 2               ? "ж"
                : k == length / 3 && length > 3 ? "\t"
                                                : "x";
        purposes.push_back(purpose);
    }
    std::vector<Lines> documents;
    for (const std::string& purpose : purposes)
        documents.push_back(payment(std::to_string(documents.size() + 1), "1", "Семёнов Л. Д.", purpose));
    for (const char* page : { "UTF-8", "CP1251", "CP866" }) {
        SCOPED_TRACE(page);
        const std::string text
            = statementText(header(std::string(page) == "CP866" ? "DOS" : "Windows"), documents);
        const Statement statement = read(std::string(page) == "UTF-8" ? text : encoded(text, page));
        ASSERT_EQ(statement.documents.size(), purposes.size());
        for (std::size_t i = 0; i < purposes.size(); ++i) {
            std::string shown = purposes[i];
            std::replace(shown.begin(), shown.end(), '\t', ' ');
            EXPECT_EQ(statement.documents[i].purpose, shown) << "length " << i + 1;
            EXPECT_EQ(statement.documents[i].payer, "Семёнов Л. Д.");
        }
    }
}

TEST(BankStatement, ADocumentKeepsItsTextsAfterTheStatementIsGone)
{
    Document kept;
    {
        Statement statement = read(statementText(header(),
            { payment("1", "10", "Иванов И. И.", "л/с 1"), payment("2", "20", "Петрова А. С.", "л/с 2") }));
        kept = statement.documents.back();
    }
    // What the first statement's texts took is another's now.
    const Statement other = read(statementText(header(), { payment("7", "70", "Орлов О. О.", "л/с 7") }));
    EXPECT_EQ(kept.number, "2");
    EXPECT_EQ(kept.payer, "Петрова А. С.");
    EXPECT_EQ(kept.purpose, "л/с 2");
    EXPECT_EQ(other.documents.front().payer, "Орлов О. О.");
}

TEST(BankStatement, EachLineIsSplitAtItsOwnFirstSign)
{
    // A line without "=" beside lines with one, the kinds of documents changing and coming back.
    const std::string text
        = "1CClientBankExchange\r\nСекцияДокумент=Платежное поручение\r\nНомер=1\r\n"
          "НазначениеПлатежа\r\nСумма=5\r\nКонецДокумента\r\n"
          "СекцияДокумент=Банковский ордер\r\nНомер=2\r\nКонецДокумента\r\n"
          "СекцияДокумент=Платежное поручение\r\nНомер=3\r\nКонецДокумента\r\nКонецФайла\r\n";
    const Statement statement = read(encoded(text, "CP1251"));
    ASSERT_EQ(statement.documents.size(), 3u);
    EXPECT_EQ(statement.documents[0].purpose, "");
    EXPECT_EQ(statement.documents[0].sum, "5");
    EXPECT_EQ(statement.documents[0].kind, "Платежное поручение");
    EXPECT_EQ(statement.documents[1].kind, "Банковский ордер");
    EXPECT_EQ(statement.documents[2].kind, "Платежное поручение");
    EXPECT_EQ(statement.documents[2].line, 10);
}

TEST(BankStatement, AControlCharacterOrAByteOfNoCodePageIsFoundWhereverItIs)
{
    const std::string good = statementText(header(), { payment("1", "10", "Иванов И. И.", "л/с 1") });
    // Every place of the first lines, across the blocks they are looked at in, and of the last
    // bytes, which are no whole block.
    std::vector<std::size_t> places;
    for (std::size_t at = 22; at < 140; ++at)
        places.push_back(at);
    for (std::size_t at = good.size() - 70; at < good.size(); ++at)
        places.push_back(at);
    for (const std::size_t at : places) {
        for (const char control : { '\x01', '\x1F', '\x7F' }) {
            std::string bytes = good;
            bytes.insert(at, 1, control);
            const auto line = std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(at), '\n') + 1;
            char code[8];
            std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned char>(control));
            EXPECT_EQ(
                problemOf(bytes), "в строке " + std::to_string(line) + " управляющий символ с кодом " + code)
                << at;
        }
        // One byte that is no UTF-8, after runs of ASCII or inside a letter: the file is not read as
        // UTF-8, and in no other code page do its keys read.
        std::string bytes = good;
        bytes.insert(at, 1, '\xC0');
        EXPECT_EQ(problemOf(bytes),
            "кодировка файла не распознана: названия полей не читаются ни в UTF-8, ни в Windows-1251, ни в "
            "DOS")
            << at;
    }
}

TEST(BankStatement, RefusesWhatIsNoCompleteStatement)
{
    const std::string good = statementText(header(), { payment("1", "10", "Иванов И. И.", "л/с 1") });
    struct Case
    {
        const char* what;
        std::string bytes;
        std::string problem;
    };
    const std::vector<Case> cases = {
        { "empty", "", "файл пуст" },
        { "only blank lines", "\r\n \r\n\t\n", "файл пуст" },
        { "binary", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16), "файл не текстовый" },
        // In a statement, where: the bank can be asked for the file again.
        { "a control character in a statement",
            "1CClientBankExchange\r\nВерсияФормата=1.03\r\nНомер=1\x0B"
            "2\r\n",
            "в строке 3 управляющий символ с кодом 0x0B" },
        { "another first line", "Выписка по счету\r\n" + good, "первая строка не «1CClientBankExchange»" },
        { "a workbook", "PK\x03\x04 whatever", "файл не текстовый" },
        { "cut short", good.substr(0, good.size() - 30),
            "документ в строке 15 не закончен строкой «КонецДокумента»" },
        { "no end of file", good.substr(0, good.find("КонецФайла")),
            "нет строки «КонецФайла»: файл неполный" },
        { "a document inside a document",
            "1CClientBankExchange\nСекцияДокумент=Платежное поручение\nНомер=1\nСекцияДокумент=Платежное "
            "поручение\nКонецДокумента\nКонецФайла\n",
            "документ в строке 2 не закончен строкой «КонецДокумента»" },
        { "an account section left open", "1CClientBankExchange\nСекцияРасчСчет\nКонецФайла\n",
            "раздел счета в строке 2 не закончен строкой «КонецРасчСчет»" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(problemOf(c.bytes), c.problem);
    }
    // A DOS end-of-file mark after the last line is no binary content.
    EXPECT_EQ(readStatement(good + "\x1A").status, ReadResult::Status::Read);
}

TEST(BankStatement, AFileInAnEncodingNoneReadsIsSaidToBeSoNotIncomplete)
{
    const std::string text = statementText(header(), { payment("17", "1500.00", "Семёнов Л. Д.", Purpose) });
    const std::string windows = encoded(text, "CP1251");
    std::string replaced;
    for (const char c : windows)
        replaced += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string("\xEF\xBF\xBD");
    const std::string unknown
        = "кодировка файла не распознана: названия полей не читаются ни в UTF-8, ни в Windows-1251, ни в DOS";
    EXPECT_EQ(problemOf(misreadAs(text, "CP1251")), unknown) << "UTF-8 read as Windows-1251";
    EXPECT_EQ(problemOf(misreadAs(windows, "CP866")), unknown) << "Windows-1251 read as DOS";
    EXPECT_EQ(problemOf(replaced), unknown) << "Windows-1251 read as UTF-8";
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("1CClientBankExchange\r\n"))
        utf16 += std::string(1, c) + '\0';
    EXPECT_EQ(problemOf(utf16),
        "кодировка файла не распознана: файл в UTF-16, а выписка пишется в Windows-1251, DOS или UTF-8");

    // A header that names the other Cyrillic code page than the file's: the bytes are read in theirs.
    const Statement saysDos = read(
        encoded(statementText(header("DOS"), { payment("17", "1", "Семёнов Л. Д.", Purpose) }), "CP1251"));
    EXPECT_EQ(saysDos.encoding, "Windows");
    ASSERT_EQ(saysDos.documents.size(), 1u);
    EXPECT_EQ(saysDos.documents[0].purpose, Purpose);
}

TEST(BankStatement, RefusesAFileOver128MegabytesFromItsSizeAlone)
{
    TempFolder folder;
    const std::string path = folder.file("huge.txt");
    writeBytes(path, "1CClientBankExchange\r\n");
    // A sparse file: were it read whole, the test would take its memory.
    std::filesystem::resize_file(path, MaxStatementBytes + 1);
    const ReadResult huge = readStatementFile(path);
    EXPECT_EQ(huge.status, ReadResult::Status::NotStatement);
    EXPECT_EQ(huge.problem, "файл больше 128 МБ");

    EXPECT_EQ(readStatementFile(folder.file("missing.txt")).status, ReadResult::Status::Unreadable);
    EXPECT_EQ(readStatementFile(folder.path().string()).status, ReadResult::Status::Unreadable);
    writeBytes(path, encoded(statementText(header(), {}), "CP1251"));
    EXPECT_EQ(readStatementFile(path).status, ReadResult::Status::Read);
    writeBytes(path, "");
    const ReadResult empty = readStatementFile(path);
    EXPECT_EQ(empty.status, ReadResult::Status::NotStatement);
    EXPECT_EQ(empty.problem, "файл пуст");
}

} // namespace
