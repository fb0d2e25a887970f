// The QR codes of a page drawn when the rest of the page is done.

#include "platform/print_window.h"
#include "platform/qr_code_view.h"
#include "support/files.h"
#include "support/pdf.h"
#include "support/qr_decode.h"

#include <QLabel>
#include <QPainter>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

std::string payload(int n)
{
    return "ST00012|Name=СНТ «Ромашка»|PersonalAcc=40702810900000000025|BankName=ПАО «Примербанк»"
           "|BIC=044514512|CorrespAcc=30101817000000000512|PayeeINN=7707083893|Sum="
        + std::to_string(100000 + 37 * n) + "|Purpose=Электроэнергия за март 2026, л/с " + std::to_string(n)
        + "|PersAcc=" + std::to_string(n);
}

// A receipt's copy in small: a caption, and a code for each payload given, one under the other.
struct Copy
{
    QWidget window;

    explicit Copy(const std::vector<std::string>& payloads)
    {
        window.resize(700, 130 + 140 * int(payloads.size()));
        auto* caption = new QLabel(QStringLiteral("Показания счетчика на конец месяца, кВт*Ч"), &window);
        caption->setGeometry(20, 20, 400, 20);
        for (std::size_t i = 0; i < payloads.size(); ++i) {
            auto* code = new QrCodeView(&window);
            code->setGeometry(520, 40 + 140 * int(i), 113, 113);
            code->setCode(encodeQr(payloads[i]));
        }
    }
};

std::string printed(const TempFolder& folder, const std::string& name, const std::vector<Copy*>& halves)
{
    const std::string file = folder.file(name);
    Printer printer = Printer::none();
    EXPECT_TRUE(printer.savePdf(
        QString::fromStdString(file), PageOrientation::Portrait, [&](QPainter& painter, const QRectF& paper) {
            PageCodes codes;
            const double half = paper.height() / double(halves.size());
            for (std::size_t i = 0; i < halves.size(); ++i)
                paintWindow(painter,
                    QRectF(paper.left(), paper.top() + double(i) * half, paper.width(), half),
                    &halves[i]->window, &codes);
            codes.paint(painter);
            EXPECT_TRUE(codes.isEmpty());
        }));
    return file;
}

TEST(PageCodes, TheCodesOfBothHalvesComeOutWhereTheirWindowsHaveThem)
{
    TempFolder folder;
    Copy upper({ payload(1) });
    Copy lower({ payload(2) });
    const std::string file = printed(folder, "page.pdf", { &upper, &lower });
    const std::string scanned = decodeQr(file);
    EXPECT_TRUE(scanned == payload(1) + payload(2) || scanned == payload(2) + payload(1)) << scanned;
    EXPECT_EQ(occurrences(pdfText(file), "Показания счетчика"), 2);
    // Each code in its own half: the upper half of the page alone holds the first.
    const std::string top = folder.file("top");
    commandOutput("pdftoppm -png -r 300 -singlefile -H 1754 " + shellQuoted(file) + " " + shellQuoted(top));
    EXPECT_EQ(decodeQr(top + ".png"), payload(1));
}

TEST(PageCodes, TwoCopiesOfACodeCostLittleMoreThanOne)
{
    TempFolder folder;
    Copy none({});
    Copy one({ payload(3) });
    Copy two({ payload(3), payload(3) });
    const auto size = [&](Copy& copy, const std::string& name) {
        return double(std::filesystem::file_size(printed(folder, name, { &copy })));
    };
    const double without = size(none, "none.pdf");
    const double first = size(one, "one.pdf") - without;
    const double second = size(two, "two.pdf") - without - first;
    EXPECT_GT(first, 1000);
    EXPECT_LT(second, first / 4) << first << " " << second;
}

} // namespace
