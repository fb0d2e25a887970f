#pragma once

// Where the main window opens: the place and size it had when it was last hidden or closed, as
// long as the user can still reach it on one of the screens; otherwise centred on the main screen.
// Plain rectangles in pixels, so that the choice is worked out without any display.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace windowplace {

struct Rect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect&) const = default;
};

// The four stored numbers of a place; nothing when any is missing or unreadable, or the size is
// not a positive one.
std::optional<Rect> fromTexts(
    std::string_view left, std::string_view top, std::string_view width, std::string_view height);

// Enough of the window's top edge lies on one screen that the user can take it with the mouse.
bool reachable(const Rect& window, const std::vector<Rect>& screens);

// The remembered place when it is reachable (a window larger than its screen is left to the window
// manager, which keeps it within the screen); otherwise the default size, no larger than the first
// screen, centred on the first screen, which is the main one. `screens` are the free areas of the
// screens, main screen first.
Rect choosePlace(const std::optional<Rect>& remembered, const std::vector<Rect>& screens, int defaultWidth,
    int defaultHeight);

} // namespace windowplace
