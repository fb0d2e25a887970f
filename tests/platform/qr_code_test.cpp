#include "platform/qr_code.h"

#include "support/files.h"
#include "support/qr_decode.h"

#include <gtest/gtest.h>

namespace {

// The code as a grey-scale picture a scanner can read: four pixels a module, four modules of white
// around it.
std::string portableGreyMap(const QrCode& code)
{
    constexpr int Scale = 4;
    constexpr int Quiet = 4;
    const int side = (code.size + 2 * Quiet) * Scale;
    std::string picture = "P5\n" + std::to_string(side) + " " + std::to_string(side) + "\n255\n";
    for (int py = 0; py < side; ++py)
        for (int px = 0; px < side; ++px)
            picture += code.dark(px / Scale - Quiet, py / Scale - Quiet) ? char(0) : char(255);
    return picture;
}

std::string scanned(const QrCode& code)
{
    TempFolder folder;
    writeBytes(folder.file("code.pgm"), portableGreyMap(code));
    return decodeQr(folder.file("code.pgm"));
}

TEST(QrCode, ScansBackToTheSameBytes)
{
    const std::string payload = "ST00012|Name=СНТ «Ромашка»|PersonalAcc=40702810900000000025|Sum=123450";
    const std::optional<QrCode> code = encodeQr(payload);
    ASSERT_TRUE(code);
    EXPECT_EQ(scanned(*code), payload);
}

TEST(QrCode, TakesTheSmallestVersionThatHoldsTheBytes)
{
    // Version 1 (21 modules) holds 14 bytes at level M, version 2 (25) holds 26.
    EXPECT_EQ(encodeQr(std::string(14, 'x'))->size, 21);
    EXPECT_EQ(encodeQr(std::string(15, 'x'))->size, 25);
    EXPECT_EQ(encodeQr(std::string(26, 'x'))->size, 25);
    // The largest code, version 40, holds 2331 bytes at level M.
    EXPECT_EQ(encodeQr(std::string(2331, 'x'))->size, 177);
    EXPECT_FALSE(encodeQr(std::string(2332, 'x')));
    EXPECT_FALSE(encodeQr(""));
}

TEST(QrCode, RunsCoverExactlyTheDarkModules)
{
    const std::optional<QrCode> code = encodeQr("Электроэнергия за март 2026, л/с 17");
    ASSERT_TRUE(code);
    std::vector<unsigned char> painted(code->modules.size(), 0);
    const std::vector<QrRun> runs = darkRuns(*code);
    for (std::size_t i = 0; i < runs.size(); ++i) {
        const QrRun& run = runs[i];
        ASSERT_GT(run.length, 0);
        for (int x = run.column; x < run.column + run.length; ++x)
            painted[std::size_t(run.row) * code->size + x] = 1;
        // A run ends where the dark ends: two runs of one row never touch.
        if (i + 1 < runs.size() && runs[i + 1].row == run.row) {
            EXPECT_GT(runs[i + 1].column, run.column + run.length);
        }
    }
    EXPECT_EQ(painted, code->modules);
    EXPECT_LT(runs.size(), code->modules.size() / 3); // far fewer shapes than modules
}

} // namespace
