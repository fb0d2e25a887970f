#include "app/window_place.h"

#include <gtest/gtest.h>

namespace {

using windowplace::choosePlace;
using windowplace::fromTexts;
using windowplace::Rect;

// A main screen of 1600 × 1000 with a panel at the top, and a second one to its right.
const std::vector<Rect> TwoScreens = { { 0, 30, 1600, 970 }, { 1600, 0, 1280, 1024 } };

TEST(WindowPlace, StoredNumbersMakeAPlaceOnlyWhenAllFourAreSound)
{
    EXPECT_EQ(fromTexts("120", "-8", "1200", "700"), (Rect{ 120, -8, 1200, 700 }));
    EXPECT_EQ(fromTexts(" 120 ", "80", "1200", "700"), (Rect{ 120, 80, 1200, 700 }));
    const char* broken[][4] = {
        { "", "80", "1200", "700" }, // never stored
        { "120", "80", "1200", "" },
        { "120", "80", "12o0", "700" },
        { "120", "80", "1200.5", "700" },
        { "120", "80", "0", "700" }, // no size at all
        { "120", "80", "1200", "-700" },
        { "120", "80", "99999999999", "700" },
    };
    for (const auto& texts : broken)
        EXPECT_FALSE(fromTexts(texts[0], texts[1], texts[2], texts[3])) << texts[0] << " " << texts[2];
}

TEST(WindowPlace, ARememberedPlaceThatCanStillBeReachedIsKept)
{
    const Rect places[] = {
        { 200, 100, 1200, 700 }, // on the main screen
        { 1700, 50, 1100, 800 }, // on the second screen
        { 1000, 100, 1200, 700 }, // across both
        { -900, 100, 1200, 700 }, // mostly off to the left, its title bar still in reach
        { 100, 40, 3000, 2000 }, // larger than any screen: the window manager fits it
    };
    for (const Rect& place : places)
        EXPECT_EQ(choosePlace(place, TwoScreens, 1100, 760), place) << place.x << "," << place.y;
}

TEST(WindowPlace, APlaceOffEveryScreenFallsBackToTheMiddleOfTheMainScreen)
{
    const Rect centred{ 250, 135, 1100, 760 };
    const Rect lost[] = {
        { 3000, 100, 1200, 700 }, // where a screen unplugged since used to be
        { -1150, 100, 1200, 700 }, // only 50 pixels of it left on the screen
        { 200, 1200, 1200, 700 }, // below the screens
        { 200, 0, 1200, 700 }, // its title bar under the main screen's panel
        { 200, -400, 1200, 700 }, // its title bar above the screens
    };
    for (const Rect& place : lost)
        EXPECT_EQ(choosePlace(place, TwoScreens, 1100, 760), centred) << place.x << "," << place.y;
    EXPECT_EQ(choosePlace(std::nullopt, TwoScreens, 1100, 760), centred);
    // A default larger than the main screen fills it.
    EXPECT_EQ(choosePlace(std::nullopt, { { 0, 0, 1024, 600 } }, 1100, 760), (Rect{ 0, 0, 1024, 600 }));
}

} // namespace
