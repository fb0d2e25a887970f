#include "platform/printer.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

namespace {

// As fine as a printer's high resolution: the documents are drawn in device pixels.
constexpr int PdfResolution = 1200;

QPageLayout::Orientation layoutOrientation(PageOrientation orientation)
{
    return orientation == PageOrientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// The page is drawn edge to edge: the documents keep their own margins.
void preparePage(QPrinter& printer, PageOrientation orientation)
{
    printer.setFullPage(true);
    printer.setPageOrientation(layoutOrientation(orientation));
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

PagesDrawing onePage(const PageDrawing& drawing)
{
    return [&drawing](QPainter& painter, const QRectF& paper, int) {
        drawing(painter, paper);
        return true;
    };
}

// Draws the pages one after the other; `nextPage` starts a new sheet of paper.
Printer::Result drawPages(QPainter& painter, const QRectF& paper, int pageCount, const PagesDrawing& drawing,
    const std::function<bool()>& nextPage)
{
    for (int page = 0; page < pageCount; ++page) {
        if (page > 0 && !nextPage())
            return Printer::Result::Failed;
        painter.save();
        const bool goOn = drawing(painter, paper, page);
        painter.restore();
        if (!goOn)
            return Printer::Result::Cancelled;
    }
    return Printer::Result::Printed;
}

Printer::Result writePdf(
    const QString& fileName, PageOrientation orientation, int pageCount, const PagesDrawing& drawing)
{
    if (pageCount < 1)
        return Printer::Result::Failed;
    // The file appears under its name only when it is complete: a cancel or a failure half way
    // never leaves a document with pages missing, nor spoils one saved before under that name.
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return Printer::Result::Failed;
    Printer::Result result = Printer::Result::Failed;
    {
        QPdfWriter writer(&file);
        writer.setResolution(PdfResolution);
        writer.setCreator(QStringLiteral("Терволин"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), layoutOrientation(orientation),
            QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
        QPainter painter;
        if (painter.begin(&writer)) {
            const QRectF paper(0, 0, writer.width(), writer.height());
            result = drawPages(painter, paper, pageCount, drawing, [&writer] { return writer.newPage(); });
            painter.end();
        }
    }
    if (result != Printer::Result::Printed || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return result == Printer::Result::Cancelled ? result : Printer::Result::Failed;
    }
    return file.commit() ? Printer::Result::Printed : Printer::Result::Failed;
}

} // namespace

Printer::Printer() : Printer(Kind::System, QString())
{ }

Printer::Printer(Kind kind, QString folder) : m_kind(kind), m_folder(std::move(folder))
{ }

Printer Printer::intoFolder(const QString& folder)
{
    return Printer(Kind::Folder, folder);
}

Printer Printer::none()
{
    return Printer(Kind::None, QString());
}

QString Printer::defaultPrinterName() const
{
    switch (m_kind) {
    case Kind::None: return QString();
    case Kind::Folder: return m_folder;
    case Kind::System: break;
    }
    // With no print server running a default QPrinter quietly turns into a PDF printer without a
    // file, so the installed printers are asked first.
    const QStringList names = QPrinterInfo::availablePrinterNames();
    if (names.isEmpty())
        return QString();
    const QString defaultName = QPrinterInfo::defaultPrinterName();
    return names.contains(defaultName) ? defaultName : names.first();
}

Printer::Result Printer::printPages(PageOrientation orientation, int pageCount, const PagesDrawing& drawing)
{
    if (m_kind == Kind::Folder) {
        QDir().mkpath(m_folder);
        const QString file = QDir(m_folder).filePath(
            QStringLiteral("page-%1.pdf").arg(m_pagesPrinted + 1, 3, 10, QLatin1Char('0')));
        const Result result = writePdf(file, orientation, pageCount, drawing);
        if (result == Result::Printed)
            ++m_pagesPrinted;
        return result;
    }
    const QString name = defaultPrinterName();
    if (name.isEmpty())
        return Result::NoPrinter;
    QPrinter printer(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    if (!printer.isValid())
        return Result::NoPrinter;
    if (pageCount < 1)
        return Result::Failed;
    printer.setDocName(QStringLiteral("Терволин"));
    preparePage(printer, orientation);
    QPainter painter;
    if (!painter.begin(&printer))
        return Result::Failed;
    Result result = drawPages(painter, printer.paperRect(QPrinter::DevicePixel), pageCount, drawing,
        [&printer] { return printer.newPage(); });
    // A job cut short is withdrawn, so that the printer does not put out half a document.
    if (result != Result::Printed)
        printer.abort();
    painter.end();
    if (result == Result::Printed
        && (printer.printerState() == QPrinter::Error || printer.printerState() == QPrinter::Aborted))
        result = Result::Failed;
    if (result == Result::Printed)
        ++m_pagesPrinted;
    return result;
}

Printer::Result Printer::printPage(PageOrientation orientation, const PageDrawing& drawing)
{
    return printPages(orientation, 1, onePage(drawing));
}

Printer::Result Printer::savePdfPages(
    const QString& fileName, PageOrientation orientation, int pageCount, const PagesDrawing& drawing)
{
    return writePdf(fileName, orientation, pageCount, drawing);
}

bool Printer::savePdf(const QString& fileName, PageOrientation orientation, const PageDrawing& drawing)
{
    return writePdf(fileName, orientation, 1, onePage(drawing)) == Result::Printed;
}
