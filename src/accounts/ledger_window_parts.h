#pragma once

// What the files of the ledger window frmRedLS share: the places of the tool buttons on its frame.

namespace ledgerwindow {

// The tool buttons in their order on the frame (ledger_window.cpp lists them with their hints).
enum ToolButtonIndex {
    SaveButton = 0,
    PrintButton = 1,
    CalculatorButton = 2,
    ExportButton = 3,
    SettingsButton = 4,
    HelpButton = 5,
    BankButton = 6
};

} // namespace ledgerwindow
