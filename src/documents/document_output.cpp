#include "documents/document_output.h"

#include "documents/preview_frame.h"
#include "platform/dialogs.h"
#include "platform/print_window.h"
#include "platform/settings_store.h"
#include "session/app_state.h"

#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPointer>
#include <memory>

namespace documents {

namespace {

const QString PrintTitle = QStringLiteral("Печать");
// What most file systems take for one name, in bytes of UTF-8.
constexpr qsizetype NameBytes = 255;
const QString PdfSuffix = QStringLiteral(".pdf");

QString cleanPart(const QString& part)
{
    QString clean;
    clean.reserve(part.size());
    for (const QChar c : part) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            clean += QLatin1Char(' ');
        else if (QStringLiteral("/\\:*?\"<>|").contains(c))
            clean += QLatin1Char('_');
        else
            clean += c;
    }
    return clean.simplified();
}

// The text cut to at most `bytes` bytes of UTF-8, never in the middle of a character.
QString cutToBytes(const QString& text, qsizetype bytes)
{
    QByteArray utf8 = text.toUtf8();
    if (utf8.size() <= bytes)
        return text;
    qsizetype end = qMax<qsizetype>(0, bytes);
    while (end > 0 && (uchar(utf8[end]) & 0xC0) == 0x80)
        --end;
    utf8.truncate(end);
    return QString::fromUtf8(utf8).trimmed();
}

// The drawing with a progress box over it when the document has more than one page: the box is
// told before each page how many are done, and a cancel stops the drawing there.
class WithProgress
{
public:
    WithProgress(AppState& state, const PrintJob& job) : m_state(state), m_job(job) { }

    // The box comes with the first page: a job that never starts (no printer) shows none.
    PagesDrawing drawing()
    {
        return [this](QPainter& painter, const QRectF& paper, int page) {
            if (!m_progress && m_job.pageCount > 1)
                m_progress
                    = m_state.services.dialogs.progress(m_job.progressText, PrintTitle, m_job.pageCount);
            if (m_progress && !m_progress->advance(page))
                return false;
            if (!m_job.drawing(painter, paper, page))
                return false;
            return !m_progress || page + 1 < m_job.pageCount || m_progress->advance(page + 1);
        };
    }

private:
    AppState& m_state;
    const PrintJob& m_job;
    std::unique_ptr<Progress> m_progress;
};

PrintJob windowJob(QWidget* window, PageOrientation orientation, const QString& proposedPdfName)
{
    QPointer<QWidget> shown = window;
    return { orientation, 1,
        [shown](QPainter& painter, const QRectF& paper, int) {
            if (!shown)
                return false;
            paintWindow(painter, paper, shown);
            return true;
        },
        proposedPdfName };
}

// The page's print look for as long as this lives.
class PaperLook
{
public:
    explicit PaperLook(PreviewPage& page) : m_page(&page) { page.paperLook(true); }
    ~PaperLook()
    {
        if (m_page)
            m_page->paperLook(false);
    }
    PaperLook(const PaperLook&) = delete;
    PaperLook& operator=(const PaperLook&) = delete;

private:
    QPointer<PreviewPage> m_page;
};

// The sheet the page's frame shows (the first when the page has no frame).
int shownSheetOf(PreviewPage& page)
{
    auto* frame = qobject_cast<MDIfrmPrint*>(page.window());
    return frame && frame->page() == &page ? frame->shownSheet() : 1;
}

// Every sheet of the page as one document; the page shows its sheet again afterwards.
template <typename Output>
bool allSheets(AppState& state, PreviewPage& page, const QString& progressText, Output output)
{
    const int sheets = qMax(1, page.sheetCount());
    const int shown = shownSheetOf(page);
    QPointer<PreviewPage> alive = &page;
    bool done = false;
    {
        const PaperLook look(page);
        const PrintJob job{ page.orientation(), sheets,
            [alive](QPainter& painter, const QRectF& paper, int sheet) {
                if (!alive)
                    return false;
                alive->showSheet(sheet + 1);
                paintWindow(painter, paper, alive);
                return true;
            },
            page.pdfName(), progressText };
        done = output(state, job);
    }
    if (alive)
        alive->showSheet(shown);
    return done;
}

} // namespace

QString pdfFileName(const QStringList& parts)
{
    QStringList clean;
    for (const QString& part : parts) {
        const QString c = cleanPart(part);
        if (!c.isEmpty())
            clean << c;
    }
    const qsizetype room = NameBytes - PdfSuffix.toUtf8().size();
    qsizetype excess = clean.join(QLatin1Char(' ')).toUtf8().size() - room;
    while (excess > 0 && !clean.isEmpty()) {
        qsizetype longest = 0;
        for (qsizetype i = 1; i < clean.size(); ++i) {
            if (clean[i].toUtf8().size() > clean[longest].toUtf8().size())
                longest = i;
        }
        const qsizetype bytes = clean[longest].toUtf8().size();
        clean[longest] = cutToBytes(clean[longest], bytes - excess);
        if (clean[longest].isEmpty())
            clean.removeAt(longest);
        excess = clean.join(QLatin1Char(' ')).toUtf8().size() - room;
    }
    return clean.join(QLatin1Char(' ')) + PdfSuffix;
}

std::optional<QString> askPdfFileName(AppState& state, const QString& proposedName)
{
    const QString folder = places::folder(state.services.settings, places::Kind::Pdf);
    return state.services.dialogs.saveFileName(
        { QStringLiteral("Документ PDF|*.pdf|"), QStringLiteral("*.pdf"), proposedName, folder });
}

bool savePdfDocument(AppState& state, const PrintJob& job)
{
    const std::optional<QString> name = askPdfFileName(state, job.proposedName);
    if (!name)
        return false;
    WithProgress progress(state, job);
    switch (state.services.printer.savePdfPages(*name, job.orientation, job.pageCount, progress.drawing())) {
    case Printer::Result::Printed:
        places::remember(state.services.settings, places::Kind::Pdf, *name);
        state.notices.exported(*name);
        return true;
    case Printer::Result::Cancelled: return false;
    case Printer::Result::NoPrinter:
    case Printer::Result::Failed: break;
    }
    state.services.dialogs.error(
        QStringLiteral("Не удалось сохранить файл %1").arg(QDir::toNativeSeparators(*name)), PrintTitle);
    return false;
}

bool printDocument(AppState& state, const PrintJob& job)
{
    Printer::Result result = Printer::Result::Failed;
    {
        WithProgress progress(state, job);
        result = state.services.printer.printPages(job.orientation, job.pageCount, progress.drawing());
    }
    if (result == Printer::Result::Printed)
        return true;
    if (result == Printer::Result::Cancelled)
        return false;
    // A page that silently goes nowhere would look printed: the user decides what becomes of it.
    const QString what = job.pageCount > 1 ? QStringLiteral("все листы") : QStringLiteral("страницу");
    const QString why = result == Printer::Result::NoPrinter ? QStringLiteral("Принтер не найден.")
                                                             : QStringLiteral("Не удалось напечатать.");
    const Answer answer
        = state.services.dialogs.message({ QStringLiteral("%1 Сохранить %2 в PDF?").arg(why, what),
            PrintTitle, MessageIcon::Question, MessageButtons::YesNo, Answer::Yes });
    if (answer != Answer::Yes)
        return false;
    return savePdfDocument(state, job);
}

bool PrintWindowImage(
    QWidget* window, PageOrientation orientation, AppState& state, const QString& proposedPdfName)
{
    return printDocument(state, windowJob(window, orientation, proposedPdfName));
}

bool SaveWindowPdf(
    QWidget* window, PageOrientation orientation, AppState& state, const QString& proposedPdfName)
{
    return savePdfDocument(state, windowJob(window, orientation, proposedPdfName));
}

bool printShownSheet(AppState& state, PreviewPage& page)
{
    const PaperLook look(page);
    return PrintWindowImage(&page, page.orientation(), state, page.pdfName());
}

bool saveShownSheetPdf(AppState& state, PreviewPage& page)
{
    const PaperLook look(page);
    return SaveWindowPdf(&page, page.orientation(), state, page.pdfName());
}

bool printAllSheets(AppState& state, PreviewPage& page)
{
    return allSheets(state, page, QStringLiteral("Печать всех листов…"), printDocument);
}

bool saveAllSheetsPdf(AppState& state, PreviewPage& page)
{
    return allSheets(state, page, QStringLiteral("Сохранение всех листов в PDF…"), savePdfDocument);
}

} // namespace documents
