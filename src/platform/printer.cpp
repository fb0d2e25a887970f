#include "platform/printer.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {

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

bool drawPage(QPrinter& printer, const PageDrawing& drawing)
{
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    drawing(painter, printer.paperRect(QPrinter::DevicePixel));
    painter.end();
    return printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
}

bool writePdf(const QString& fileName, PageOrientation orientation, const PageDrawing& drawing)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(fileName);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setCreator(QStringLiteral("Терволин"));
    preparePage(printer, orientation);
    // A PDF whose file cannot be created still "begins"; only the file tells.
    return drawPage(printer, drawing) && QFileInfo(fileName).size() > 0;
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

Printer::Result Printer::printPage(PageOrientation orientation, const PageDrawing& drawing)
{
    if (m_kind == Kind::Folder) {
        QDir().mkpath(m_folder);
        const QString file = QDir(m_folder).filePath(
            QStringLiteral("page-%1.pdf").arg(m_pagesPrinted + 1, 3, 10, QLatin1Char('0')));
        if (!writePdf(file, orientation, drawing))
            return Result::Failed;
        ++m_pagesPrinted;
        return Result::Printed;
    }
    const QString name = defaultPrinterName();
    if (name.isEmpty())
        return Result::NoPrinter;
    QPrinter printer(QPrinterInfo::printerInfo(name), QPrinter::HighResolution);
    if (!printer.isValid())
        return Result::NoPrinter;
    printer.setDocName(QStringLiteral("Терволин"));
    preparePage(printer, orientation);
    if (!drawPage(printer, drawing))
        return Result::Failed;
    ++m_pagesPrinted;
    return Result::Printed;
}

bool Printer::savePdf(const QString& fileName, PageOrientation orientation, const PageDrawing& drawing)
{
    return writePdf(fileName, orientation, drawing);
}
