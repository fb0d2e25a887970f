#pragma once

// The user's guide "Help.pdf" beside the program, opened with the desktop's PDF viewer.

#include <QString>

class AppState;

namespace help {

inline constexpr const char* FileName = "Help.pdf";

QString helpFilePath(const AppState& state);

// Opens the guide; when it is missing or the desktop has no viewer for it, says so and names the
// file, so that the user can open it by hand.
void openHelp(AppState& state);

} // namespace help
