// Feeds the bank statement reader whole files as they come, and the payments of every statement
// it reads on to the matching against a small directory and a journal that knows one payer, so
// that the purposes, names, sums and dates of the documents are what varies.

#include "accounts/bank_import.h"
#include "accounts/bank_statement.h"

#include <cstdint>
#include <string_view>

namespace {

const RecordTable& directory()
{
    static const RecordTable table = [] {
        RecordTable t;
        const char* names[] = { "Иванов И. И.", "Петрова А.С.", "Семёнов Л. Д.", "Кузнецов П. А.",
            "Кузнецов П. А.", "Смирнова Е.", "Орлов" };
        t.setRecordCount(7);
        for (int i = 1; i <= 7; ++i) {
            t.set(i, fields::Number, std::to_string(i));
            t.set(i, fields::FullName, names[i - 1]);
        }
        return t;
    }();
    return table;
}

const bank::Journal& journal()
{
    static const bank::Journal known = [] {
        bank::Journal j;
        j.add({ { "1", "05.02.2026", "100,00", "40817810000000000001" }, 6, 6, 1, "06.02.2026",
            "Смирнова Е." });
        return j;
    }();
    return known;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    bank::ReadResult read = bank::readStatement(input);
    if (read.status != bank::ReadResult::Status::Read)
        return 0;
    const std::string account = read.statement.account;
    const bank::Import import
        = bank::prepareImport(std::move(read.statement), directory(), journal(), account);
    // What the window would enter: the matched payments, into a copy of the directory.
    std::vector<bank::Posting> postings;
    for (const bank::Payment& payment : import.payments)
        if (payment.matched)
            postings.push_back({ payment.record, *payment.month, *payment.sum });
    if (!postings.empty()) {
        RecordTable table = directory();
        bank::post(table, postings);
    }
    return 0;
}
