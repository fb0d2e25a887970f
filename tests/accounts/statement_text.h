#pragma once

// Bank statements written by the tests: a header and documents as key and value pairs, put
// together as a bank writes them, and turned into the bytes of a code page by the system's own
// tables, iconv or Windows' code pages (not by the program's tables, which are what is tested).

#include <gtest/gtest.h>
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <iconv.h>
#endif

#include <string>
#include <utility>
#include <vector>

namespace statementtest {

using Lines = std::vector<std::pair<std::string, std::string>>;

inline const std::string OurAccount = "40703810900000001234";

inline Lines header(const std::string& encoding = "Windows")
{
    return { { "ВерсияФормата", "1.03" }, { "Кодировка", encoding }, { "Отправитель", "Бухгалтерия" },
        { "Получатель", "" }, { "ДатаСоздания", "06.02.2026" }, { "ДатаНачала", "01.02.2026" },
        { "ДатаКонца", "05.02.2026" }, { "РасчСчет", OurAccount } };
}

// An incoming payment to the association's account.
inline Lines payment(const std::string& number, const std::string& sum, const std::string& payer,
    const std::string& purpose, const std::string& received = "05.02.2026",
    const std::string& payerAccount = "40817810000000000001")
{
    return { { "Номер", number }, { "Дата", received }, { "Сумма", sum }, { "ПлательщикСчет", payerAccount },
        { "Плательщик", payer }, { "ПлательщикИНН", "" }, { "ПолучательСчет", OurAccount },
        { "Получатель", "СНТ Рассвет" }, { "ДатаПоступило", received }, { "НазначениеПлатежа", purpose } };
}

inline std::string statementText(
    const Lines& head, const std::vector<Lines>& documents, const std::string& lineEnd = "\r\n")
{
    std::string text = "1CClientBankExchange" + lineEnd;
    for (const auto& [key, value] : head)
        text += key + "=" + value + lineEnd;
    text += "СекцияРасчСчет" + lineEnd + "ДатаНачала=01.02.2026" + lineEnd + "РасчСчет=" + OurAccount
        + lineEnd + "НачальныйОстаток=1000.00" + lineEnd + "КонецРасчСчет" + lineEnd;
    for (const Lines& document : documents) {
        text += "СекцияДокумент=Платежное поручение" + lineEnd;
        for (const auto& [key, value] : document)
            text += key + "=" + value + lineEnd;
        text += "КонецДокумента" + lineEnd;
    }
    return text + "КонецФайла" + lineEnd;
}

// UTF-8 text in another code page ("CP1251", "CP866").
inline std::string encoded(const std::string& utf8, const char* codePage)
{
#ifdef _WIN32
    const std::string name = codePage;
    const UINT page = name == "CP1251" ? 1251 : name == "CP866" ? 866 : 0;
    EXPECT_NE(page, 0u) << codePage;
    std::wstring text(utf8.size() + 1, L'\0');
    text.resize(std::size_t(
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), text.data(), int(text.size()))));
    std::string out(text.size() * 2 + 16, '\0');
    BOOL lossy = FALSE;
    out.resize(std::size_t(::WideCharToMultiByte(page, WC_NO_BEST_FIT_CHARS, text.data(), int(text.size()),
        out.data(), int(out.size()), nullptr, &lossy)));
    EXPECT_FALSE(lossy) << "to " << codePage;
    return out;
#else
    iconv_t converter = iconv_open(codePage, "UTF-8");
    EXPECT_NE(converter, iconv_t(-1)) << codePage;
    if (converter == iconv_t(-1))
        return {};
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    const std::size_t done = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    EXPECT_NE(done, std::size_t(-1)) << "iconv to " << codePage;
    iconv_close(converter);
    out.resize(out.size() - outLeft);
    return out;
#endif
}

} // namespace statementtest

// Bytes of one code page read as another ("CP1251", "CP866") and saved again as UTF-8, as a mail
// program or an editor may do: each byte its character, or U+FFFD where the page has none.
inline std::string misreadAs(const std::string& bytes, const char* codePage)
{
    std::string out;
#ifdef _WIN32
    const std::string name = codePage;
    const UINT page = name == "CP1251" ? 1251 : name == "CP866" ? 866 : 0;
    EXPECT_NE(page, 0u) << codePage;
    for (const char c : bytes) {
        wchar_t wide[2] = {};
        char utf8[8];
        const int n = ::MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, &c, 1, wide, 2);
        const int m = n > 0
            ? ::WideCharToMultiByte(CP_UTF8, 0, wide, n, utf8, int(sizeof utf8), nullptr, nullptr)
            : 0;
        if (m <= 0 || (page == 1251 && static_cast<unsigned char>(c) == 0x98))
            out += "\xEF\xBF\xBD";
        else
            out.append(utf8, std::size_t(m));
    }
#else
    iconv_t converter = iconv_open("UTF-8", codePage);
    EXPECT_NE(converter, iconv_t(-1));
    for (const char c : bytes) {
        char in[1] = { c };
        char* inPtr = in;
        std::size_t inLeft = 1;
        char buffer[8];
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == std::size_t(-1))
            out += "\xEF\xBF\xBD";
        else
            out.append(buffer, sizeof buffer - outLeft);
    }
    iconv_close(converter);
#endif
    return out;
}
