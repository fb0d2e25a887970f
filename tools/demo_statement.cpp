#include "demo_statement.h"

#include <array>
#include <cstdio>
#include <random>

namespace {

const std::array<const char*, 12> Months = { "январь", "февраль", "март", "апрель", "май", "июнь", "июль",
    "август", "сентябрь", "октябрь", "ноябрь", "декабрь" };

struct Given
{
    const char* letter;
    const char* man;
    const char* woman;
    const char* father; // the patronymic without its ending
};
const std::array<Given, 16> GivenNames = { {
    { "А", "Алексей", "Анна", "Алексеев" },
    { "В", "Владимир", "Валентина", "Владимиров" },
    { "Г", "Григорий", "Галина", "Григорьев" },
    { "Д", "Дмитрий", "Дарья", "Дмитриев" },
    { "Е", "Евгений", "Елена", "Евгеньев" },
    { "И", "Игорь", "Ирина", "Игорев" },
    { "К", "Константин", "Ксения", "Константинов" },
    { "Л", "Леонид", "Людмила", "Леонидов" },
    { "М", "Михаил", "Марина", "Михайлов" },
    { "Н", "Николай", "Наталья", "Николаев" },
    { "О", "Олег", "Ольга", "Олегов" },
    { "П", "Павел", "Полина", "Павлов" },
    { "Р", "Роман", "Раиса", "Романов" },
    { "С", "Сергей", "Светлана", "Сергеев" },
    { "Т", "Тимур", "Татьяна", "Тимуров" },
    { "Ю", "Юрий", "Юлия", "Юрьев" },
} };

// The payer's name as the bank writes it, from the directory's "Петрова А. В.": "Петрова Анна
// Владимировна". Initials without a name here stay as they are.
std::string fullName(std::string_view directoryName)
{
    const std::size_t blank = directoryName.find(' ');
    if (blank == std::string_view::npos)
        return std::string(directoryName);
    const std::string_view surname = directoryName.substr(0, blank);
    const bool woman = surname.ends_with("а") || surname.ends_with("я");
    std::string result(surname);
    std::string_view rest = directoryName.substr(blank + 1);
    for (int part = 0; !rest.empty(); ++part) {
        const std::size_t point = rest.find('.');
        const std::string_view initial = rest.substr(0, point);
        std::string word = std::string(initial) + ".";
        for (const Given& given : GivenNames) {
            if (initial != given.letter)
                continue;
            word = part == 0 ? (woman ? given.woman : given.man)
                             : std::string(given.father) + (woman ? "на" : "ич");
        }
        result += " " + word;
        if (point == std::string_view::npos)
            break;
        rest = rest.substr(point + 1);
        while (!rest.empty() && rest.front() == ' ')
            rest.remove_prefix(1);
    }
    return result;
}

} // namespace

std::string demoStatement(const RecordTable& table, const DemoStatementOptions& options)
{
    std::mt19937 random(options.seed);
    const int year = options.year;
    char period[64];
    std::snprintf(period, sizeof period, "01.%02d.%d", options.month, year);
    std::string text = "1CClientBankExchange\r\nВерсияФормата=1.03\r\nКодировка=Windows\r\n"
                       "Отправитель=Бухгалтерия Онлайн\r\nПолучатель=\r\n";
    text += std::string("ДатаНачала=") + period + "\r\n";
    char periodEnd[64];
    std::snprintf(periodEnd, sizeof periodEnd, "28.%02d.%d", options.month, year);
    text += std::string("ДатаКонца=") + periodEnd + "\r\n";
    text += "РасчСчет=" + options.account + "\r\n";
    text += "СекцияРасчСчет\r\nРасчСчет=" + options.account
        + "\r\nНачальныйОстаток=48210.35\r\nКонецРасчСчет\r\n";

    const int records = table.recordCount();
    for (int i = 0; i < options.payments; ++i) {
        const int record = 1 + int(random() % std::uint32_t(records));
        const std::string name(table.field(record, fields::FullName));
        char date[16];
        std::snprintf(date, sizeof date, "%02d.%02d.%d", 1 + int(random() % 28), options.month, year);
        char sum[32];
        std::snprintf(sum, sizeof sum, "%u.%02u", 300 + random() % 4700, random() % 100);
        char payerAccount[32];
        std::snprintf(payerAccount, sizeof payerAccount, "408178100%011d", record);
        const int paidMonth = options.month == 1 ? 12 : options.month - 1;
        const int paidYear = options.month == 1 ? year - 1 : year;

        std::string payer = fullName(name);
        std::string purpose;
        switch (random() % 10) {
        case 0:
        case 1:
        case 2:
        case 3:
            purpose = "Оплата электроэнергии л/с " + std::to_string(record) + " за " + Months[paidMonth - 1]
                + " " + std::to_string(paidYear) + " г.";
            break;
        case 4:
        case 5:
        case 6:
            purpose
                = "Электроэнергия, показания " + std::to_string(1000 + random() % 9000) + " кВт*ч, " + name;
            break;
        case 7: purpose = "Взнос за эл/энергию уч. " + std::to_string(record); break;
        case 8:
            payer = "ИНН 77" + std::to_string(10000000 + random() % 89999999) + " " + payer;
            purpose = "Оплата по квитанции за " + std::to_string(paidMonth) + "/" + std::to_string(paidYear);
            break;
        default:
            payer = "ООО \"Садовый центр\"";
            purpose = "Возврат излишне перечисленных средств";
            break;
        }
        text += "СекцияДокумент=Платежное поручение\r\n";
        text += "Номер=" + std::to_string(1000 + i) + "\r\n";
        text += std::string("Дата=") + date + "\r\n";
        text += std::string("Сумма=") + sum + "\r\n";
        text += std::string("ПлательщикСчет=") + payerAccount + "\r\n";
        text += "Плательщик=" + payer + "\r\n";
        text += "ПолучательСчет=" + options.account + "\r\n";
        text += "Получатель=СНТ \"Рассвет\"\r\n";
        text += std::string("ДатаПоступило=") + date + "\r\n";
        text += "НазначениеПлатежа=" + purpose + "\r\n";
        text += "КонецДокумента\r\n";
        // Now and then the association's own payment to its supplier.
        if (i % 25 == 24) {
            text += "СекцияДокумент=Платежное поручение\r\nНомер=" + std::to_string(50 + i) + "\r\n";
            text += std::string("Дата=") + date + "\r\nСумма=95000.00\r\nПлательщикСчет=" + options.account
                + "\r\n";
            text += "Плательщик=СНТ \"Рассвет\"\r\nПолучательСчет=40702810038000012345\r\n";
            text += std::string("ДатаСписано=") + date
                + "\r\nНазначениеПлатежа=Оплата по договору энергоснабжения\r\n";
            text += "КонецДокумента\r\n";
        }
    }
    return text + "КонецФайла\r\n";
}
