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

// The modules a set of rectangles paints, row by row.
std::vector<unsigned char> painted(const QrCode& code, const std::vector<QrRect>& rects)
{
    std::vector<unsigned char> modules(code.modules.size(), 0);
    for (const QrRect& r : rects)
        for (int y = r.row; y < r.row + r.height; ++y)
            for (int x = r.column; x < r.column + r.width; ++x)
                modules[std::size_t(y) * code.size + x] = 1;
    return modules;
}

QrCode handMade(const std::vector<std::string>& rows)
{
    QrCode code;
    code.size = int(rows.size());
    for (const std::string& row : rows)
        for (char c : row)
            code.modules.push_back(c == '#' ? 1 : 0);
    return code;
}

TEST(QrCode, TheCoverPaintsTheDarkModulesWithFewerShapesThanRuns)
{
    // A cross takes one run across and one down, where runs across alone take three; a lone module
    // takes one.
    const QrCode cross = handMade({ ".#..", "###.", ".#..", "...#" });
    const std::vector<QrRect> crossCover = coverOfDarkModules(cross);
    EXPECT_EQ(crossCover.size(), 3u);
    EXPECT_EQ(painted(cross, crossCover), cross.modules);

    const std::optional<QrCode> code
        = encodeQr("Электроэнергия за март 2026, Петрова Клавдия Львовна, л/с 17");
    ASSERT_TRUE(code);
    EXPECT_EQ(painted(*code, code->cover), code->modules);
    for (const QrRect& r : code->cover) {
        EXPECT_TRUE(r.width == 1 || r.height == 1);
        EXPECT_GE(r.column, 0);
        EXPECT_LE(r.column + r.width, code->size);
        EXPECT_LE(r.row + r.height, code->size);
    }
    EXPECT_LT(code->cover.size() * 10, darkRuns(*code).size() * 9);
}

std::vector<std::string> payloads(int count)
{
    std::vector<std::string> all;
    for (int i = 0; i < count; ++i)
        all.push_back("ST00012|Name=СНТ|Sum=" + std::to_string(1000 + i) + "|PersAcc=" + std::to_string(i));
    return all;
}

TEST(QrCodesAhead, HandsOutTheSameCodesEachMadeOnce)
{
    const std::vector<std::string> some = payloads(40);
    std::vector<std::optional<QrCode>> plain;
    for (const std::string& p : some)
        plain.push_back(encodeQr(p));

    // Each payload twice (two copies of a receipt), and one with nothing to pay.
    std::vector<std::string> listed;
    for (const std::string& p : some) {
        listed.push_back(p);
        listed.push_back(p);
    }
    listed.push_back("");
    const std::optional<QrCode> other = encodeQr("другое");
    QrCodesAhead ahead(listed);
    for (std::size_t i = 0; i < some.size(); ++i) {
        for (int copy = 0; copy < 2; ++copy) {
            const std::optional<QrCode> code = encodeQr(some[i]);
            ASSERT_TRUE(code);
            EXPECT_EQ(code->modules, plain[i]->modules) << i;
            EXPECT_EQ(painted(*code, code->cover), code->modules);
        }
    }
    EXPECT_EQ(ahead.encodedCount(), 40);
    // A payload the printout did not list, or one asked for more often than listed, is made as always.
    EXPECT_EQ(encodeQr("другое")->modules, other->modules);
    EXPECT_EQ(encodeQr(some[0])->modules, plain[0]->modules);
    EXPECT_FALSE(encodeQr(""));
    EXPECT_EQ(ahead.encodedCount(), 40);
}

TEST(QrCodesAhead, PagesAheadOfTheThreadOrLeftUnfinishedNeitherWaitNorLoseCodes)
{
    const std::vector<std::string> many = payloads(600); // more than the thread keeps ready
    const std::optional<QrCode> last = encodeQr(many.back());
    {
        QrCodesAhead ahead(many);
        // The last first: the pages make it themselves rather than wait for the thread to get there.
        EXPECT_EQ(encodeQr(many.back())->modules, last->modules);
        for (std::size_t i = 0; i < 300; ++i)
            ASSERT_TRUE(encodeQr(many[i]));
        EXPECT_LE(ahead.encodedCount(), 600);
    } // stopped with half the codes never asked for
    {
        QrCodesAhead ahead(many);
        for (const std::string& p : many)
            ASSERT_TRUE(encodeQr(p));
        EXPECT_EQ(ahead.encodedCount(), 600);
    }
}

} // namespace
