#pragma once

// What the files of the main window Form1 share: the places of the picture buttons on its frame
// and the reading of its settings.

#include <QString>
#include <string_view>

class SettingsStore;

namespace mainwindow {

// The picture buttons in their order on the frame (main_window.cpp lists them).
constexpr int SaveButton = 0;
constexpr int PrintButton = 1;
constexpr int DirectoryButton = 2;
constexpr int LedgerButton = 3;
constexpr int CalculatorButton = 4;
constexpr int ChartButton = 5;
constexpr int ExportButton = 6;
constexpr int HelpButton = 7;

inline QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A whole number of the main settings section, or the default for an empty or unreadable one.
int storedInteger(const SettingsStore& store, const QString& key, int defaultValue);

} // namespace mainwindow
