#pragma once

// The supplier's figures of each month as the operator types them from the supplier's papers: the
// kWh on the association's common meter and the supplier's bill. They live in "Tervolin2.balance"
// beside the database: Windows-1251 text, one line per year and month that has a figure, CR LF,
// each line the year, the month number, the kWh and the bill, each followed by "|":
//   2024|3|12500|87500,50|
// A figure not typed is an empty field.

#include "database/money.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace reports {

inline constexpr const char* SupplierFileName = "Tervolin2.balance";

struct SupplierMonth
{
    std::string kwh; // as typed, "" for none
    std::string bill;
    bool empty() const { return kwh.empty() && bill.empty(); }
    friend bool operator==(const SupplierMonth&, const SupplierMonth&) = default;
};

class SupplierFigures
{
public:
    // The year (2020 …), month m (1 … 12). Months of years the database no longer holds stay in
    // the file as they are.
    SupplierMonth month(int year, int m) const;
    void setMonth(int year, int m, SupplierMonth figures);

    // The file's content, months in order.
    std::string fileText() const;
    // Nothing when a line is not as the program writes it: `badLine` (1-based) then says which.
    static std::optional<SupplierFigures> parse(std::string_view fileText, int* badLine = nullptr);

    friend bool operator==(const SupplierFigures&, const SupplierFigures&) = default;

private:
    std::map<std::pair<int, int>, SupplierMonth> m_months;
};

// A figure as typed into the window: a number not below zero with a decimal comma (a full stop
// serves too), blanks around it dropped; "" stays "" (no figure). Nothing for anything else.
std::optional<std::string> typedFigure(std::string_view typed);

// "Tervolin2.balance" in the folder of the database file ("<archive>.balance" beside an archive).
std::string supplierFilePath(const std::string& databasePath);

struct SupplierFile
{
    enum class Status { Loaded, Missing, BadLine, Unreadable };
    Status status = Status::Unreadable;
    int line = 0; // the bad line, 1-based
    SupplierFigures figures;
};

// A missing file holds no figures yet.
SupplierFile loadSupplierFigures(const std::string& path);
// Written as the database is: the file is either the old one or the new one.
bool saveSupplierFigures(
    const std::string& path, const SupplierFigures& figures, std::string* error = nullptr);

} // namespace reports
