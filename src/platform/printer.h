#pragma once

// Paper: one page at a time, in portrait or landscape, to the system's default printer (CUPS on
// Linux) or into a PDF file. What goes on the page is drawn by the caller.

#include <QString>
#include <functional>

class QPainter;
class QRectF;

enum class PageOrientation { Portrait = 1, Landscape = 2 };

// Draws one page. `paper` is the whole sheet in the painter's units (device pixels).
using PageDrawing = std::function<void(QPainter& painter, const QRectF& paper)>;

class Printer
{
public:
    enum class Result { Printed, NoPrinter, Failed };

    // Pages go to the default printer of the system.
    Printer();
    // Pages go into PDF files in the folder, page-001.pdf, page-002.pdf, … as a printer would take
    // them: for machines that print through files, and for the tests.
    static Printer intoFolder(const QString& folder);
    // A machine without any printer installed.
    static Printer none();

    Result printPage(PageOrientation orientation, const PageDrawing& drawing);
    // One page as a PDF file; false when the file could not be written.
    bool savePdf(const QString& fileName, PageOrientation orientation, const PageDrawing& drawing);

    // The default printer's name; empty when there is none.
    QString defaultPrinterName() const;
    // The files written so far by a printer that prints into a folder.
    int pagesPrinted() const { return m_pagesPrinted; }

private:
    enum class Kind { System, Folder, None };
    Printer(Kind kind, QString folder);

    Kind m_kind;
    QString m_folder;
    int m_pagesPrinted = 0;
};
