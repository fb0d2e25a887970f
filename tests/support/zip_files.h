#pragma once

// Small zip archives for reader tests: workbooks as other programs write them, and broken ones.

#include <string>
#include <utility>
#include <vector>

using ZipParts = std::vector<std::pair<std::string, std::string>>; // name, content

// The archive's bytes, every part deflated.
std::string zipBytes(const ZipParts& parts);

// A minimal .xlsx around a worksheet's <sheetData> content and, when given, a shared-strings
// part's <si> items.
ZipParts minimalWorkbook(const std::string& sheetData, const std::string& sharedItems = {});
