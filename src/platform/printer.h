#pragma once

// Paper: documents of one page or many, in portrait or landscape, to the system's default printer
// (CUPS on Linux) or into a PDF file. What goes on each page is drawn by the caller.

#include <QString>
#include <functional>

class QPainter;
class QRectF;

enum class PageOrientation { Portrait = 1, Landscape = 2 };

// Draws one page. `paper` is the whole sheet in the painter's units (device pixels).
using PageDrawing = std::function<void(QPainter& painter, const QRectF& paper)>;
// Draws page `page` (0 …) of a document; returns false to stop (the user cancelled).
using PagesDrawing = std::function<bool(QPainter& painter, const QRectF& paper, int page)>;

class Printer
{
public:
    enum class Result { Printed, NoPrinter, Failed, Cancelled };

    // Pages go to the default printer of the system.
    Printer();
    // Each print job goes into one PDF file in the folder, page-001.pdf, page-002.pdf, … with all
    // the job's pages, as a printer would take them: for machines that print through files, and
    // for the tests.
    static Printer intoFolder(const QString& folder);
    // A machine without any printer installed.
    static Printer none();

    // The pages as one print job (a cancelled job is withdrawn from the printer).
    Result printPages(PageOrientation orientation, int pageCount, const PagesDrawing& drawing);
    Result printPage(PageOrientation orientation, const PageDrawing& drawing);

    // The pages into one PDF, written atomically: a temporary file in the same folder, renamed over
    // the name only when every page was drawn; a cancelled or failed run leaves no file (and an
    // existing file of that name untouched). Returns Printed, Cancelled or Failed.
    Result savePdfPages(
        const QString& fileName, PageOrientation orientation, int pageCount, const PagesDrawing& drawing);
    // One page as a PDF file; false when the file could not be written.
    bool savePdf(const QString& fileName, PageOrientation orientation, const PageDrawing& drawing);

    // The default printer's name; empty when there is none.
    QString defaultPrinterName() const;
    // The print jobs sent so far, whatever their number of pages; a printer into a folder names its
    // files after them.
    int pagesPrinted() const { return m_pagesPrinted; }

private:
    enum class Kind { System, Folder, None };
    Printer(Kind kind, QString folder);

    Kind m_kind;
    QString m_folder;
    int m_pagesPrinted = 0;
};
