#pragma once

// How the documents reach paper or a PDF file: the names proposed for their files, the folder last
// used for PDFs, the question when nothing can be printed, and a progress box over documents of
// many pages. Every PDF the documents save goes through here.

#include "platform/file_places.h"
#include "platform/printer.h"

#include <QString>
#include <QStringList>
#include <optional>

class AppState;
class PreviewPage;
class QWidget;

namespace documents {

// The settings key (section "Nastr") of the folder where the last PDF was saved.
inline const QString LastPdfDirKey = places::settingsKey(places::Kind::Pdf);

// A file name of the parts joined by blanks and ".pdf": "Ведомость Март 2026.pdf". Characters a file
// name cannot hold ("/", ":", "?", line breaks, …) become "_", runs of blanks one blank, empty parts
// are left out, and the longest part is cut so that the name fits a file system (255 bytes).
QString pdfFileName(const QStringList& parts);

// The save dialog for a PDF: proposes the name and opens in the folder last used for PDFs. No name
// when the user cancels.
std::optional<QString> askPdfFileName(AppState& state, const QString& proposedName);

// A document to put on paper: its pages and what to call its PDF.
struct PrintJob
{
    PageOrientation orientation = PageOrientation::Portrait;
    int pageCount = 1;
    PagesDrawing drawing;
    QString proposedName;
    // Over a document of more than one page a progress box with this text lets the user cancel.
    QString progressText = {};
};

// Asks for the file's name and saves the pages into it; a file that cannot be written is reported
// and left as it was. On success the folder is remembered for the next PDF. True when saved.
bool savePdfDocument(AppState& state, const PrintJob& job);
// The pages as one print job. When there is no printer, or printing fails, the user is asked
// whether to save them as a PDF file instead. True when printed or saved; a cancel says nothing.
bool printDocument(AppState& state, const PrintJob& job);

// What a window shows, as one page (the window already in its print look).
bool PrintWindowImage(
    QWidget* window, PageOrientation orientation, AppState& state, const QString& proposedPdfName);
bool SaveWindowPdf(
    QWidget* window, PageOrientation orientation, AppState& state, const QString& proposedPdfName);

// The sheet a page of the preview frame shows, in the page's print look, as one page.
bool printShownSheet(AppState& state, PreviewPage& page);
bool saveShownSheetPdf(AppState& state, PreviewPage& page);

// Every sheet of a page of the preview frame, in order, as one print job or one PDF: each sheet is
// shown in turn and drawn exactly as it shows in the page's print look. Afterwards the page is back
// in its screen look with the sheet it showed before.
bool printAllSheets(AppState& state, PreviewPage& page);
bool saveAllSheetsPdf(AppState& state, PreviewPage& page);

} // namespace documents
