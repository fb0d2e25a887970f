// A payment code on a window and on its printed page, read back by a scanner.

#include "platform/print_window.h"
#include "platform/qr_code_view.h"
#include "support/files.h"
#include "support/pdf.h"
#include "support/qr_decode.h"

#include <QLabel>
#include <QPainter>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

const std::string Payload = "ST00012|Name=СНТ «Ромашка»|PersonalAcc=40702810900000000025|BankName=ПАО "
                            "«Примербанк»|BIC=044514512|CorrespAcc=30101817000000000512|PayeeINN=7707083893"
                            "|KPP=770701001|Sum=123450|Purpose=Электроэнергия за март 2026, Петрова Клавдия "
                            "Львовна, л/с 17|PersAcc=17|LastName=Петрова|FirstName=Клавдия|MiddleName=Львовна"
                            "|PaymPeriod=032026";

// A page like a receipt's copy: a caption at the left, the code at the right, about 30 mm square.
struct Page
{
    QWidget window;
    QrCodeView* code = nullptr;

    Page()
    {
        window.resize(700, 300);
        auto* caption
            = new QLabel(QStringLiteral("Отсканируйте QR-код в приложении банка для оплаты"), &window);
        caption->setGeometry(20, 20, 400, 20);
        code = new QrCodeView(&window);
        code->setGeometry(520, 40, 113, 113);
        code->setCode(encodeQr(Payload));
    }

    std::string pdf(const TempFolder& folder)
    {
        const std::string file = folder.file("page.pdf");
        Printer printer = Printer::none();
        const bool saved = printer.savePdf(QString::fromStdString(file), PageOrientation::Portrait,
            [this](QPainter& painter, const QRectF& paper) { paintWindow(painter, paper, &window); });
        EXPECT_TRUE(saved);
        return file;
    }
};

TEST(QrCodeView, ThePrintedCodeScansToThePayloadInVectorSquares)
{
    TempFolder folder;
    Page page;
    const std::string file = page.pdf(folder);
    EXPECT_EQ(decodeQr(file), Payload);
    EXPECT_NE(pdfText(file).find("Отсканируйте QR-код"), std::string::npos);
    // No picture on the page: "pdfimages -list" prints its two header lines only.
    const std::string images = commandOutput("pdfimages -list '" + file + "'");
    EXPECT_EQ(occurrences(images, "\n"), 2) << images;
    // A few bytes a run of modules: thousands of receipts stay a file of a sensible size.
    TempFolder other;
    Page blank;
    blank.code->setCode(std::nullopt);
    const std::string without = blank.pdf(other);
    EXPECT_LT(std::filesystem::file_size(file), std::filesystem::file_size(without) + 8'000);
}

TEST(QrCodeView, TheCodeOnScreenScansToo)
{
    TempFolder folder;
    Page page;
    page.code->resize(260, 260); // a screen has a few pixels a module only at this size
    ASSERT_TRUE(page.code->grab().save(QString::fromStdString(folder.file("screen.png"))));
    EXPECT_EQ(decodeQr(folder.file("screen.png")), Payload);
}

TEST(QrCodeView, NoCodeLeavesThePlaceBlank)
{
    TempFolder folder;
    Page page;
    page.code->setCode(std::nullopt);
    EXPECT_TRUE(page.code->darkRects().empty());
    EXPECT_EQ(decodeQr(page.pdf(folder)), "");
}

TEST(QrCodeView, TheCodeKeepsItsQuietZoneInTheMiddleOfAnOblongPlace)
{
    Page page;
    page.code->setGeometry(0, 0, 200, 100);
    const std::vector<QRectF> rects = page.code->darkRects();
    ASSERT_FALSE(rects.empty());
    QRectF bounds;
    for (const QRectF& r : rects)
        bounds = bounds.united(r);
    const double module = 100.0 / (page.code->code()->size + 8);
    EXPECT_NEAR(bounds.top(), 4 * module, 1e-9);
    EXPECT_NEAR(bounds.left(), 50 + 4 * module, 1e-9);
    EXPECT_NEAR(bounds.width(), page.code->code()->size * module, 1e-9);
}

} // namespace
