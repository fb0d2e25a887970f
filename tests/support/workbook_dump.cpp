#include "support/workbook_dump.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace {

const char* const DumpScript = R"PY(
import json, sys
import openpyxl
from openpyxl.utils import get_column_letter
from openpyxl.worksheet.worksheet import Worksheet

# openpyxl replaces the cells of a merged range, all but the first, with stand-ins that show only
# the range's outer edges; every cell is to be seen with the format the file gives it.
Worksheet._clean_merge_range = lambda self, merged: None

wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
out = {
    "sheets": wb.sheetnames,
    "merges": sorted(str(r) for r in ws.merged_cells.ranges),
    "cells": {},
    "widths": {},
    "maxRow": ws.max_row,
    "maxColumn": ws.max_column,
    "paper": int(ws.page_setup.paperSize or 0),
    "landscape": ws.page_setup.orientation == "landscape",
    "onePageWide": bool(ws.sheet_properties.pageSetUpPr is not None and ws.sheet_properties.pageSetUpPr.fitToPage
                        and ws.page_setup.fitToWidth in (None, 1) and ws.page_setup.fitToHeight == 0),
    "titleRows": ws.print_title_rows or "",
}
for row in ws.iter_rows():
    for c in row:
        if c.value is None and not c.has_style:
            continue
        f = c.font
        b = c.border
        colour = f.color.rgb if f is not None and f.color is not None and f.color.type == "rgb" else None
        value = c.value
        if value is not None and not isinstance(value, (str, int, float, bool)):
            value = str(value)
        out["cells"][c.coordinate] = {
            "value": value,
            "type": c.data_type,
            "bold": bool(f.b),
            "colour": colour,
            "align": c.alignment.horizontal,
            "format": c.number_format,
            "borders": [s.style for s in (b.left, b.right, b.top, b.bottom)],
        }
for key, dimension in ws.column_dimensions.items():
    if dimension.customWidth:
        for column in range(dimension.min or 1, (dimension.max or dimension.min or 1) + 1):
            out["widths"][get_column_letter(column)] = dimension.width
print(json.dumps(out, ensure_ascii=False))
)PY";

} // namespace

bool WorkbookDump::bordered(const QString& address) const
{
    const QJsonArray edges = cell(address).value("borders").toArray();
    if (edges.size() != 4)
        return false;
    for (const auto& edge : edges)
        if (edge.toString() != "thin")
            return false;
    return true;
}

bool WorkbookDump::unbordered(const QString& address) const
{
    for (const auto& edge : cell(address).value("borders").toArray())
        if (!edge.isNull())
            return false;
    return true;
}

WorkbookDump dumpWorkbook(const std::string& path)
{
    WorkbookDump dump;
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
        { QStringLiteral("-c"), QString::fromUtf8(DumpScript), QString::fromStdString(path) });
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        dump.error = QStringLiteral("openpyxl could not read %1: %2")
                         .arg(QString::fromStdString(path), QString::fromUtf8(python.readAllStandardError()));
        return dump;
    }
    const QJsonObject root = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    for (const auto& sheet : root.value("sheets").toArray())
        dump.sheets << sheet.toString();
    for (const auto& merge : root.value("merges").toArray())
        dump.merges << merge.toString();
    dump.cells = root.value("cells").toObject();
    dump.widths = root.value("widths").toObject();
    dump.maxRow = root.value("maxRow").toInt();
    dump.maxColumn = root.value("maxColumn").toInt();
    dump.paper = root.value("paper").toInt();
    dump.landscape = root.value("landscape").toBool();
    dump.onePageWide = root.value("onePageWide").toBool();
    dump.titleRows = root.value("titleRows").toString();
    dump.ok = true;
    return dump;
}

QString cellName(int column, int row)
{
    QString letters;
    while (column > 0) {
        letters.prepend(QChar('A' + (column - 1) % 26));
        column = (column - 1) / 26;
    }
    return letters + QString::number(row);
}
