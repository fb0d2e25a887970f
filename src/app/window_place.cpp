#include "app/window_place.h"

#include <algorithm>
#include <charconv>

namespace windowplace {

namespace {

// How much of the window's top band (where its title bar is) must lie on a screen.
constexpr int GripWidth = 100;
constexpr int GripHeight = 30;

std::optional<int> number(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

int overlap(int from1, int length1, int from2, int length2)
{
    const long long start = std::max<long long>(from1, from2);
    const long long end = std::min<long long>(
        static_cast<long long>(from1) + length1, static_cast<long long>(from2) + length2);
    return end > start ? static_cast<int>(end - start) : 0;
}

} // namespace

std::optional<Rect> fromTexts(
    std::string_view left, std::string_view top, std::string_view width, std::string_view height)
{
    const auto x = number(left);
    const auto y = number(top);
    const auto w = number(width);
    const auto h = number(height);
    if (!x || !y || !w || !h || *w <= 0 || *h <= 0)
        return std::nullopt;
    return Rect{ *x, *y, *w, *h };
}

bool reachable(const Rect& window, const std::vector<Rect>& screens)
{
    for (const Rect& screen : screens) {
        const int across = overlap(window.x, window.width, screen.x, screen.width);
        const int down = overlap(window.y, std::min(window.height, GripHeight), screen.y, screen.height);
        if (across >= std::min(GripWidth, window.width) && down >= std::min(GripHeight, window.height))
            return true;
    }
    return false;
}

Rect choosePlace(const std::optional<Rect>& remembered, const std::vector<Rect>& screens, int defaultWidth,
    int defaultHeight)
{
    if (screens.empty())
        return remembered.value_or(Rect{ 0, 0, defaultWidth, defaultHeight });
    if (remembered && reachable(*remembered, screens))
        return *remembered;
    const Rect& main = screens.front();
    Rect place{ 0, 0, std::min(defaultWidth, main.width), std::min(defaultHeight, main.height) };
    place.x = main.x + (main.width - place.width) / 2;
    place.y = main.y + (main.height - place.height) / 2;
    return place;
}

} // namespace windowplace
