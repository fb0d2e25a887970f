#include "demo_data.h"

#include "database/money.h"
#include "sheet/sheet.h"
#include "sheet/sheet_calculation.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <random>
#include <string>

namespace {

constexpr std::array<const char*, 40> Surnames = { "Иванов", "Петрова", "Сидоренко", "Кузнецова", "Смирнов",
    "Васильева", "Попов", "Морозова", "Волков", "Соколова", "Лебедев", "Козлова", "Новиков", "Павлова",
    "Семёнов", "Голубева", "Виноградов", "Богданова", "Воробьёв", "Фёдорова", "Михайлов", "Белова", "Тарасов",
    "Комарова", "Беляев", "Орлова", "Киселёв", "Макарова", "Андреев", "Ковалёва", "Ильин", "Гусева", "Титов",
    "Кудрявцева", "Баранов", "Куликова", "Алексеев", "Степанова", "Яковлев", "Сорокина" };
constexpr std::array<const char*, 16> Initials = { "А. В.", "И. П.", "Н. С.", "О. Г.", "В. М.", "Т. Ю.",
    "С. А.", "Е. Н.", "Г. И.", "Л. Д.", "М. К.", "П. Р.", "Ю. Б.", "Д. Е.", "К. Л.", "Р. Ф." };
constexpr std::array<const char*, 6> Streets
    = { "ул. Лесная", "ул. Садовая", "ул. Речная", "ул. Центральная", "пер. Вишнёвый", "ул. Полевая" };
constexpr std::array<const char*, 5> Meters
    = { "СО-И446", "Меркурий 201.5", "НЕВА 101", "СЭТ1-4А", "Энергомера ЦЭ6807" };
constexpr std::array<const char*, 5> Notes = { "", "", "член правления", "льгота", "дом круглый год" };

// Tariffs of the years 2020 … 2027, roubles per kWh.
constexpr std::array<const char*, 8> Tariffs
    = { "5,47", "5,66", "5,92", "6,43", "6,99", "7,84", "8,52", "9,11" };
// Street-lighting hours and days of the months.
constexpr std::array<const char*, 12> Hours
    = { "14", "12", "10", "7", "5", "5", "6,5", "8", "11", "14", "15", "15" };
constexpr std::array<int, 12> Days = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
// More light and heat in winter.
constexpr std::array<double, 12> Season = { 1.6, 1.4, 1.1, 0.9, 0.8, 0.7, 0.7, 0.8, 0.9, 1.1, 1.3, 1.5 };

std::string two(int n)
{
    std::string text = std::to_string(n);
    if (n < 10)
        text.insert(0, 1, '0');
    return text;
}

} // namespace

DemoOptions fullDemoOptions(int subscribers)
{
    DemoOptions options;
    options.subscribers = subscribers;
    options.everyField = true;
    options.firstYear = fields::FirstBlockYear;
    options.lastYear = fields::FirstBlockYear + fields::YearCount - 1;
    return options;
}

void fillDemoTable(RecordTable& table, const DemoOptions& options)
{
    std::mt19937 random(options.seed);
    const auto uniform
        = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };

    table.clear();
    const fields::YearWindow years(
        std::max(fields::FirstBlockYear, options.lastYear - fields::YearCount + 1));
    table.setYears(years);
    table.setRecordCount(options.subscribers);
    for (int row = 1; row <= options.subscribers; ++row) {
        table.set(row, fields::Number, std::to_string(row));
        if (row == options.subscribers && options.subscribers > 3) {
            // The partnership's own street lighting is kept as a subscriber too.
            table.set(row, fields::FullName, "Уличное освещение");
            table.set(row, fields::Address, "опоры ул. Лесная и ул. Садовая");
            table.set(row, fields::MeterType, Meters[0]);
        } else {
            std::string name = std::string(Surnames[(row - 1) % Surnames.size()]) + " "
                + Initials[(row * 7 + row / Surnames.size()) % Initials.size()];
            table.set(row, fields::FullName, name);
            table.set(row, fields::Address,
                std::string("уч. ") + std::to_string(row) + ", " + Streets[row % Streets.size()]);
            std::string telephone = "+7 9";
            telephone += std::to_string(uniform(10, 99));
            telephone += ' ';
            telephone += std::to_string(uniform(100, 999));
            telephone += '-';
            telephone += two(uniform(0, 99));
            telephone += '-';
            telephone += two(uniform(0, 99));
            table.set(row, fields::Telephone, telephone);
            table.set(row, fields::MeterType, Meters[uniform(0, int(Meters.size()) - 1)]);
            table.set(row, fields::Note, Notes[uniform(0, int(Notes.size()) - 1)]);
        }

        int reading = uniform(1000, 25000);
        const int usage = uniform(60, 420);
        const bool careless = uniform(0, 9) == 0; // pays late now and then
        const std::string power = uniform(0, 3) == 0 ? "0,1" : "0,05";
        Currency under;
        Currency over;

        for (int year = std::max(options.firstYear, years.first()); year <= options.lastYear; ++year) {
            const int lastMonth
                = options.everyField || year < options.lastYear ? 12 : options.lastMonthOfLastYear;
            sheet::SheetTexts texts;
            for (int m = 1; m <= lastMonth; ++m) {
                auto& t = texts[m - 1];
                const int day = m == 2 && fields::isLeapYear(year) ? 29 : Days[m - 1];
                const int used = int(usage * Season[m - 1] * (0.85 + uniform(0, 30) / 100.0));
                t[fields::Date] = two(day) + "." + two(m) + "." + two(year % 100);
                t[fields::PreviousReading] = std::to_string(reading);
                reading += used;
                t[fields::CurrentReading] = std::to_string(reading);
                t[fields::LightingPower] = power;
                t[fields::LightingHours] = Hours[m - 1];
                t[fields::LightingDays] = std::to_string(day);
                t[fields::LossesPercent] = "4";
                t[fields::Tariff] = Tariffs[std::size_t(std::clamp(year - fields::FirstBlockYear, 0, 7))];
                t[fields::ServicePercent] = "1,8";
            }
            const sheet::SheetComputation computed = sheet::computeSheet(texts);
            for (int m = 1; m <= lastMonth; ++m) {
                texts[m - 1][fields::MonthCharge] = computed.hiddenTotal[m];
                for (int b = 0; b < sheet::TypedElements; ++b)
                    table.set(row, sheet::cellField(year, m, b), texts[m - 1][b]);

                // The month's personal account.
                const int base = fields::ledgerBaseOfMonth(year, m);
                const Currency charge = computed.results[m][sheet::MonthTotal];
                // The electrician is paid quarterly, the membership fee in May; the benchmarks'
                // database has every charge every month.
                const Currency electrician
                    = options.everyField || m % 3 == 0 ? Currency::fromUnits(150) : Currency();
                const Currency other = options.everyField ? Currency::fromRaw(uniform(1000, 9999) * 100)
                    : m == 5                              ? Currency::fromUnits(uniform(0, 1) * 500)
                                                          : Currency();
                const Currency due = Currency::fromRaw(
                    under.raw() - over.raw() + charge.raw() + electrician.raw() + other.raw());
                Currency paid;
                if (!careless || uniform(0, 2) != 0) {
                    // Most pay the bill rounded up to ten roubles.
                    const std::int64_t tens = (due.raw() + 99999) / 100000;
                    paid = Currency::fromUnits(tens > 0 ? tens * 10 : 0);
                }
                const Currency net = Currency::fromRaw(paid.raw() - due.raw());
                table.set(row, base, moneyText(under));
                table.set(row, base + 1, moneyText(over));
                table.set(row, base + 3, moneyText(electrician));
                table.set(row, base + 4, moneyText(other));
                table.set(row, base + 5, moneyText(due));
                table.set(row, base + 6, moneyText(paid));
                under = net.isNegative() ? Currency::fromRaw(-net.raw()) : Currency();
                over = net.isNegative() ? Currency() : net;
                table.set(row, base + 9, moneyText(under));
                table.set(row, base + 10, moneyText(over));
            }
            // The month after the last one kept opens with its balances, as the ledger's store
            // of that month carries them: the treasurer's December starts from what November left.
            if (lastMonth < 12) {
                const int next = fields::ledgerBaseOfMonth(year, lastMonth + 1);
                table.set(row, next, moneyText(under));
                table.set(row, next + 1, moneyText(over));
            }
        }
    }
}

bool parseDemoArguments(const std::vector<std::string>& arguments, DemoOptions& options, std::string& error)
{
    bool full = false;
    std::optional<int> subscribers;
    std::optional<int> lastYear;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--full") {
            full = true;
        } else if (argument == "--subscribers") {
            if (i + 1 == arguments.size()) {
                error = "--subscribers needs a number";
                return false;
            }
            const std::string& text = arguments[++i];
            int number = 0;
            const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), number);
            if (failure != std::errc() || end != text.data() + text.size() || number < 1
                || number > fields::MaxRecords) {
                error = "--subscribers " + text + ": a number of subscribers 1 … "
                    + std::to_string(fields::MaxRecords);
                return false;
            }
            subscribers = number;
        } else if (argument == "--last-year") {
            const std::optional<int> year
                = i + 1 < arguments.size() ? fields::parseYear(arguments[i + 1]) : std::nullopt;
            if (!year || *year < fields::FirstBlockYear
                || *year > fields::LastFirstYear + fields::YearCount - 1) {
                error = "--last-year needs a year 2020 … 2107";
                return false;
            }
            ++i;
            lastYear = *year;
        } else {
            error = "unknown argument: " + argument;
            return false;
        }
    }
    options = full ? fullDemoOptions() : DemoOptions();
    if (subscribers)
        options.subscribers = *subscribers;
    if (lastYear)
        options.lastYear = *lastYear;
    return true;
}

documents::PayeeDetails demoPayee()
{
    documents::PayeeDetails payee;
    payee.name = "СНТ «Ромашка»";
    payee.personalAcc = "40702810900000000025";
    payee.bankName = "ПАО «Примербанк»";
    payee.bic = "044514512";
    payee.correspAcc = "30101817000000000512";
    payee.payeeInn = "7707083893";
    payee.kpp = "770701001";
    payee.purpose = documents::DefaultPurpose;
    return payee;
}
