// A statement read from its file: the documents' texts are views of the file's own bytes where
// they need no decoding, the payers and purposes are folded for the matching from those bytes,
// and all of it must come out as the same bytes read from memory do.

#include "accounts/bank_import.h"
#include "accounts/bank_statement_bytes.h"
#include "accounts/bank_test_support.h"
#include "matching/folding.h"
#include "support/files.h"
#include "text/cp1251.h"
#include "text/cp866.h"

#include <gtest/gtest.h>

namespace {

using namespace bank;
using namespace banktest;
using namespace statementtest;

const std::vector<std::string> Names
    = { "Иванов И. И.", "Петрова А.С.", "Семёнов Л. Д.", "Козлова А. А.", "Ёлкин Ё. Ё.", "Волков Р. Ф." };

// Documents that take every way through the reader: texts beyond ASCII, tabs, a payer only in
// Плательщик1, a purpose in lines of its own, sums and numbers in ASCII alone.
std::vector<Lines> documents(const std::string& longText = {})
{
    std::vector<Lines> list = {
        payment("1", "1500.00", "Семёнов Леонид\tДмитриевич", "Оплата эл/энергии за март 2026, л/с 3"),
        payment("2", "700", "ООО \"Ромашка\"", "уч. 2 и 4 показания 12345 кВт*ч" + longText),
        payment("3", "2500,50", "ЁЛКИН Ё.Ё.", "за 02.2026 № 5\tпо квитанции"),
        payment("4", "300.00", "Kozlova A. A.", "Козлова А. А. за февраль"),
    };
    Lines payer1 = payment("5", "100.00", "", "", "05.02.2026", "40817810000000000077");
    for (auto& [key, value] : payer1)
        if (key == "Плательщик")
            key = "Плательщик1", value = "Волков Роман Фёдорович" + longText;
    std::erase_if(payer1, [](const auto& line) { return line.first == "НазначениеПлатежа"; });
    payer1.push_back({ "НазначениеПлатежа1", "Оплата за" });
    payer1.push_back({ "НазначениеПлатежа2", "" });
    payer1.push_back({ "НазначениеПлатежа3", "январь\t2026" });
    list.push_back(payer1);
    return list;
}

void expectSameTexts(const Document& a, const Document& b)
{
    EXPECT_EQ(a.line, b.line);
    for (const auto field : { &Document::kind, &Document::number, &Document::date, &Document::sum,
             &Document::payerAccount, &Document::payer, &Document::payerInn, &Document::payeeAccount,
             &Document::received, &Document::purpose })
        EXPECT_EQ(a.*field, b.*field);
}

void expectSameImport(const Import& a, const Import& b)
{
    EXPECT_EQ(a.skipped, b.skipped);
    ASSERT_EQ(a.payments.size(), b.payments.size());
    for (std::size_t i = 0; i < a.payments.size(); ++i) {
        SCOPED_TRACE(i);
        const Payment& x = a.payments[i];
        const Payment& y = b.payments[i];
        expectSameTexts(x.document, y.document);
        EXPECT_EQ(x.key, y.key);
        EXPECT_EQ(x.record, y.record);
        EXPECT_EQ(x.month, y.month);
        EXPECT_EQ(x.rule, y.rule);
        EXPECT_EQ(x.plots, y.plots);
        EXPECT_EQ(x.matched, y.matched);
        EXPECT_EQ(x.note, y.note);
    }
}

TEST(BankStatement, AFileIsReadAndMatchedAsTheSameBytesAreFromMemory)
{
    const RecordTable table = directory(Names);
    TempFolder folder;
    struct Case
    {
        const char* what;
        std::string bytes;
    };
    // A line of 100 KB: the reader copies such a file's texts, so that the import can let the long
    // ones go.
    const std::string longText(100 << 10, 'x');
    const std::vector<Case> cases = {
        { "Windows-1251", encoded(statementText(header("Windows"), documents()), "CP1251") },
        { "CP866", encoded(statementText(header("DOS"), documents(), "\n"), "CP866") },
        { "UTF-8", statementText(header("Windows"), documents()) },
        { "Windows-1251 with a long line",
            encoded(statementText(header("Windows"), documents(longText)), "CP1251") },
        { "UTF-8 with a long line", statementText(header("Windows"), documents(longText)) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder.file("statement.txt");
        writeBytes(path, c.bytes);
        ReadResult fromFile = readStatementFile(path);
        ReadResult fromMemory = readStatement(c.bytes);
        ASSERT_EQ(fromFile.status, ReadResult::Status::Read) << fromFile.problem;
        ASSERT_EQ(fromMemory.status, ReadResult::Status::Read) << fromMemory.problem;
        EXPECT_EQ(fromFile.statement.encoding, fromMemory.statement.encoding);
        EXPECT_EQ(fromFile.statement.sender, fromMemory.statement.sender);
        ASSERT_EQ(fromFile.statement.documents.size(), 5u);
        ASSERT_EQ(fromMemory.statement.documents.size(), 5u);
        for (std::size_t i = 0; i < 5; ++i)
            expectSameTexts(fromFile.statement.documents[i], fromMemory.statement.documents[i]);
        EXPECT_EQ(fromFile.statement.documents[0].payer, "Семёнов Леонид Дмитриевич");
        EXPECT_EQ(fromFile.statement.documents[4].purpose, "Оплата за январь 2026");

        const Import a = prepareImport(std::move(fromFile.statement), table, {}, OurAccount);
        const Import b = prepareImport(std::move(fromMemory.statement), table, {}, OurAccount);
        expectSameImport(a, b);
        ASSERT_EQ(a.payments.size(), 5u);
        EXPECT_EQ(a.payments[0].record, 3);
        EXPECT_EQ(a.payments[2].record, 5);
        EXPECT_EQ(a.payments[4].record, 6);
        EXPECT_EQ(a.payments[4].note, "по фамилии");
    }
}

TEST(BankStatement, ADocumentOfAFileKeepsItsTextsAfterTheStatementAndTheFileAreGone)
{
    TempFolder folder;
    const std::string path = folder.file("statement.txt");
    Document kept;
    {
        writeBytes(path,
            encoded(statementText(header(),
                        { payment("1", "10", "Иванов И. И.", "л/с 1"),
                            payment("2", "20.00", "Петрова А. С.", "л/с 2 за март") }),
                "CP1251"));
        ReadResult read = readStatementFile(path);
        ASSERT_EQ(read.status, ReadResult::Status::Read) << read.problem;
        kept = read.statement.documents.back();
    }
    std::filesystem::remove(filePath(path));
    writeBytes(
        path, encoded(statementText(header(), { payment("7", "70", "Орлов О. О.", "л/с 7") }), "CP1251"));
    const ReadResult other = readStatementFile(path);
    EXPECT_EQ(kept.number, "2");
    EXPECT_EQ(kept.sum, "20.00");
    EXPECT_EQ(kept.payer, "Петрова А. С.");
    EXPECT_EQ(kept.purpose, "л/с 2 за март");
    EXPECT_EQ(kept.payeeAccount, OurAccount);
    ASSERT_EQ(other.statement.documents.size(), 1u);
    EXPECT_EQ(other.statement.documents.front().payer, "Орлов О. О.");
}

// The matching folds a Windows-1251 or DOS text from its own bytes; it must give what folding the
// text in UTF-8 gives, for every byte, wherever it falls among the 16 bytes taken at once.
TEST(BankStatementBytes, ACodePageIsFoldedFromItsBytesAsItsTextIs)
{
    std::string every;
    for (int b = 1; b < 256; ++b)
        every += char(b);
    std::string letters; // runs of capitals and small letters, which are folded 16 at a time
    for (int b = 0xC0; b < 0x100; ++b)
        letters += char(b);
    letters += "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz [@`{ 0123456789";
    struct Page
    {
        statement::Encoding::Kind kind;
        std::string (*decode)(std::string_view);
    };
    for (const Page& page : { Page{ statement::Encoding::Windows, &cp1251::decode },
             Page{ statement::Encoding::Dos, &cp866::decode } }) {
        SCOPED_TRACE(int(page.kind));
        const statement::Encoding& code = statement::encoding(page.kind);
        std::string folded;
        for (const std::string* text : { &every, &letters }) {
            for (std::size_t from = 0; from < 20; ++from) {
                for (std::size_t size : { std::size_t(1), std::size_t(15), std::size_t(16), std::size_t(17),
                         std::size_t(33), std::size_t(255) }) {
                    const std::string bytes = (*text + *text).substr(from, size);
                    std::string utf8 = page.decode(bytes);
                    std::replace(utf8.begin(), utf8.end(), '\t', ' ');
                    code.fold(bytes, folded);
                    ASSERT_EQ(folded, matching::folded(utf8)) << "from " << from << ", " << size << " bytes";
                }
            }
        }
    }
}

} // namespace
