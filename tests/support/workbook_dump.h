#pragma once

// A workbook as an independent reader sees it: python3-openpyxl (Debian's, hence /usr/bin/python3)
// reads the file and reports the first worksheet's cells with their values, types and formats,
// the merged ranges, the column widths and the sheet names.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <string>

struct WorkbookDump
{
    bool ok = false;
    QString error; // what went wrong when not ok
    QStringList sheets;
    QStringList merges; // "C2:E2", sorted
    // "A1" → {value, type, bold, colour, align, format, borders[4]}, merged cells each with the
    // format the file gives it
    QJsonObject cells;
    QJsonObject widths; // "A" → width
    int maxRow = 0;
    int maxColumn = 0;
    int paper = 0;
    bool landscape = false;
    bool onePageWide = false; // every column on one page's width, as many pages down as needed
    QString titleRows; // rows repeated on every printed page: "$1:$3"

    QJsonObject cell(const QString& address) const { return cells.value(address).toObject(); }
    QString text(const QString& address) const { return cell(address).value("value").toString(); }
    double number(const QString& address) const { return cell(address).value("value").toDouble(); }
    QString type(const QString& address) const { return cell(address).value("type").toString(); }
    bool bold(const QString& address) const { return cell(address).value("bold").toBool(); }
    QString colour(const QString& address) const { return cell(address).value("colour").toString(); }
    QString align(const QString& address) const { return cell(address).value("align").toString(); }
    QString format(const QString& address) const { return cell(address).value("format").toString(); }
    // All four edges thin.
    bool bordered(const QString& address) const;
    // No edge at all.
    bool unbordered(const QString& address) const;
    double width(const QString& column) const { return widths.value(column).toDouble(); }
};

WorkbookDump dumpWorkbook(const std::string& path);

// "A1" for row 1, column 1.
QString cellName(int column, int row);
