// What the user waits for with the documents, on the full database of 3001 subscribers with every
// month filled: a statement sheet and a ledger sheet shown in the preview frame, all sheets of the
// statement and of the ledger printout in one PDF, and a receipt page rendered to PDF. Each figure
// is printed beside a floor measured in the same run.
//
//   documents_bench [database file] [--receipts-only]
//       (make_demo_database <file> --subscribers 3001 --full)
//   --receipts-only measures the receipts for everyone alone, for profiling on a smaller database.

#include "app/main_window.h"
#include "app/program.h"
#include "bench_support.h"
#include "database/database_file.h"
#include "demo_data.h"
#include "documents/document_output.h"
#include "documents/ledger_print_page.h"
#include "documents/page_widgets.h"
#include "documents/payee_settings.h"
#include "documents/payee_text.h"
#include "documents/payment_qr.h"
#include "documents/receipt_batch_window.h"
#include "documents/receipt_window.h"
#include "documents/sheets.h"
#include "documents/statement_page.h"
#include "platform/clock.h"
#include "platform/print_window.h"
#include "platform/printer.h"
#include "platform/qr_code.h"
#include "platform/scripted_dialogs.h"
#include "platform/settings_store.h"
#include "platform/shell.h"
#include "session/app_state.h"
#include "sheet/sheet_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int Runs = 31;

double medianMs(const std::function<void(int)>& work)
{
    std::vector<double> times;
    for (int run = 0; run < Runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        work(run);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + Runs / 2, times.end());
    return times[Runs / 2];
}

// The processor time of the calling thread so far.
double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000 + double(t.tv_nsec) / 1e6;
}

void report(const char* what, double ms, const char* floorName, double floorMs)
{
    std::printf("%-34s median %7.2f ms   %-30s %7.2f ms   ratio %5.1f   target <= 100 ms: %s\n", what, ms,
        floorName, floorMs, floorMs > 0 ? ms / floorMs : 0.0, ms <= 100 ? "met" : "MISSED");
}

// The statement's sheets drawn straight onto PDF pages, without the page's widgets: the same
// texts in the same font at the same places, the same cell rules; what writing the file costs
// however the pages come about.
void drawStatementWithoutWidgets(const QString& fileName, const RecordTable& table,
    const std::vector<std::string>& readings, const QString& date)
{
    QPdfWriter writer(fileName);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    const double unit = writer.logicalDpiX() / 96.0;
    painter.scale(unit, unit);
    QFont font = documents::pageFont();
    font.setPointSizeF(font.pointSizeF() * 96.0 / writer.logicalDpiY());
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 0.6));
    const int widths[] = { 28, 187, 153, 147, 147, 5 };
    const int sheets = documents::statementSheetCount(table);
    for (int sheet = 1; sheet <= sheets; ++sheet) {
        if (sheet > 1)
            writer.newPage();
        painter.drawText(QRectF(67, 16, 400, 24), Qt::AlignLeft | Qt::AlignVCenter, date);
        painter.drawText(QRectF(600, 16, 133, 24), Qt::AlignRight | Qt::AlignVCenter,
            QStringLiteral("Лист %1").arg(sheet));
        double y = 44;
        const auto row = [&](const std::array<QString, 6>& cells, double height) {
            double x = 67;
            for (int c = 0; c < 6; ++c) {
                const QRectF cell(x, y, widths[c], height);
                painter.drawRect(cell);
                painter.drawText(
                    cell.adjusted(3, 0, -3, 0), Qt::AlignLeft | Qt::AlignVCenter, cells[std::size_t(c)]);
                x += widths[c];
            }
            y += height;
        };
        row({ QStringLiteral(" № "), QStringLiteral("Фамилия И. О."), QStringLiteral("Адрес"),
                QStringLiteral("Последн. показ. сч."), QStringLiteral("Текущее показ. сч."), QString() },
            26);
        for (const documents::StatementRow& r : documents::statementRows(table, readings, sheet)) {
            const auto text = [](const std::string& t) { return QString::fromStdString(t); };
            row({ text(r[0]), text(r[1]), text(r[2]), text(r[3]), text(r[4]), QString() }, 19);
        }
    }
}

// The receipts of the batch drawn straight onto PDF pages, two to a page, without the paper's
// widgets and without the codes: the same texts in the same font, one line after another, the payee's
// lines in the small type beside the box.
void drawReceiptsWithoutWidgets(const QString& fileName, const std::vector<documents::Receipt>& receipts,
    const documents::PayeeDetails& payee)
{
    static const char* const captions[] = { "Показания счетчика на конец месяца, кВт*Ч",
        "Показания счетчика на начало месяца, кВт*Ч", "Итого , кВт*Ч", "Уличное освещение, кВт*Ч",
        "Потери в трансформаторе, кВт*Ч", "Всего, кВт*Ч", "Оплата, Руб", "Обслуживание эл. сетей, Руб",
        "ИТОГО по электроэнергии, Руб", "Зарплата электрику, Руб", "Прочие начисления, Руб",
        "За предыдущие месяцы переплата, Руб", "За предыдущие месяцы недоплата, Руб", "ИТОГО  К ОПЛАТЕ, Руб",
        "Примечание: предоплата в МОСЭНЕРГОСБЫТе на данный месяц составляет:", "Оплата до 25.11.2026",
        "Отсканируйте QR-код в приложении банка для оплаты" };
    QPdfWriter writer(fileName);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    const double unit = writer.logicalDpiX() / 96.0;
    painter.scale(unit, unit);
    QFont font = documents::pageFont();
    font.setPointSizeF(font.pointSizeF() * 96.0 / writer.logicalDpiY());
    QFont small = documents::pageFont(7);
    small.setPointSizeF(small.pointSizeF() * 96.0 / writer.logicalDpiY());
    painter.setFont(font);
    painter.setPen(QPen(Qt::black, 0.6));
    const auto text = [](const std::string& t) { return QString::fromStdString(t); };
    for (std::size_t n = 0; n < receipts.size(); ++n) {
        if (n > 0 && n % 2 == 0)
            writer.newPage();
        const documents::Receipt& r = receipts[n];
        const double top = n % 2 == 0 ? 0 : 561;
        painter.drawText(QRectF(128, top + 24, 240, 22), Qt::AlignLeft | Qt::AlignVCenter, text(r.date));
        painter.drawText(QRectF(376, top + 24, 300, 22), Qt::AlignLeft | Qt::AlignVCenter, text(r.name));
        painter.drawRect(QRectF(104, top + 52, 579, 392));
        for (int line = 0; line < int(std::size(captions)); ++line) {
            const double y = top + 56 + 28 * line;
            painter.drawText(
                QRectF(112, y, 480, 20), Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(captions[line]));
            if (line < documents::ReceiptValueCount)
                painter.drawText(QRectF(600, y, 75, 20), Qt::AlignRight | Qt::AlignVCenter,
                    text(r.values[std::size_t(line)]));
        }
        painter.drawText(
            QRectF(420, top + 168, 160, 20), Qt::AlignLeft | Qt::AlignVCenter, text(r.lossesPercent));
        painter.drawText(QRectF(420, top + 224, 160, 20), Qt::AlignLeft | Qt::AlignVCenter, text(r.tariff));
        painter.drawText(
            QRectF(420, top + 252, 160, 20), Qt::AlignLeft | Qt::AlignVCenter, text(r.servicePercent));
        painter.drawText(QRectF(376, top + 40, 300, 12), Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("л/с %1, участок: %2").arg(text(r.number), text(r.address)));
        const documents::PaymentFacts facts{ r.values[documents::TotalDue], r.number, r.name, r.month,
            r.year };
        QStringList lines;
        for (const std::string& line : documents::payeeTextLines(documents::payeeLines(payee, facts)))
            lines << text(line);
        painter.setFont(small);
        painter.drawText(QRectF(691, top + 200, 200, 240), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
            lines.join(QLatin1Char('\n')));
        painter.setFont(font);
    }
}

// The statement, the ledger printout and the single receipt, each beside its floor.
void benchSheetsAndReceipt(AppState& state, Form1& form, ScriptedDialogs& dialogs, Printer& printer,
    const QTemporaryDir& folder, const QString& floorPdf)
{
    SettingsStore& settings = state.services.settings;
    const RecordTable& table = state.table;
    // Statement: the sheets in turn, 53 rows each, filled and drawn; the floor is drawing the frame
    // again without a change of sheet.
    state.ReportYear = QStringLiteral("2026");
    state.ReportMonthName = QStringLiteral("Март");
    MDIfrmPrint statementFrame(state);
    auto* statement = new frmPrint2(state, &statementFrame);
    state.ReportMonth = 103;
    statement->Form_Load();
    statementFrame.setPage(statement);
    statementFrame.show();
    QApplication::processEvents();
    const double statementOpen = medianMs([&](int) {
        state.ReportMonth = 103;
        statement->Form_Load();
        statementFrame.repaint();
    });
    const int statementSheets = statement->sheetCount();
    const double statementSheet = medianMs([&](int run) {
        statementFrame.Cmd1_Click(1 + run % statementSheets);
        statementFrame.repaint();
    });
    const double statementRedraw = medianMs([&](int) { statementFrame.repaint(); });
    report("statement: open (all readings)", statementOpen, "drawing the frame again", statementRedraw);
    report("statement: show a sheet", statementSheet, "drawing the frame again", statementRedraw);

    // All sheets of the statement into one PDF, as "Все листы в PDF" does it, beside the same pages
    // drawn without the widgets.
    constexpr int WholeRuns = 5;
    const QString wholePdf = folder.filePath(QStringLiteral("Ведомость.pdf"));
    const bench::Timing statementAll = bench::medianMs(WholeRuns, [&] {
        dialogs.fileNames = { wholePdf };
        documents::saveAllSheetsPdf(state, *statement);
    });
    const qint64 statementAllSize = QFileInfo(wholePdf).size();
    const bench::Timing statementFloor = bench::medianMs(WholeRuns, [&] {
        drawStatementWithoutWidgets(floorPdf, table, state.LastReadings, QStringLiteral("Март 2026"));
    });
    std::printf("statement: all %d sheets into one PDF (%lld KB, %.1f KB a page; target <= 10 s)\n",
        statementSheets, statementAllSize / 1024, statementAllSize / 1024.0 / statementSheets);
    bench::printRow("  all sheets to PDF", statementAll, "ms", statementFloor, "pages drawn without widgets");

    // Ledger printout: 33 rows a sheet.
    const documents::LedgerSums sums
        = { "1,00", "2,00", "3,00", "", "5,00", "6,00", "7,00", "8,00", "", "", "11,00", "12,00", "" };
    MDIfrmPrint* ledgerFrame
        = openLedgerPrint(state, nullptr, { "2026", "Март", fields::ledgerBase(6, 3), sums });
    QApplication::processEvents();
    const int ledgerSheets = ledgerFrame->page()->sheetCount();
    const double ledgerSheet = medianMs([&](int run) {
        ledgerFrame->Cmd1_Click(1 + run % ledgerSheets);
        ledgerFrame->repaint();
    });
    const double ledgerRedraw = medianMs([&](int) { ledgerFrame->repaint(); });
    report("ledger printout: show a sheet", ledgerSheet, "drawing the frame again", ledgerRedraw);
    const QString ledgerPdf = folder.filePath(QStringLiteral("Лицевой счет.pdf"));
    const bench::Timing ledgerAll = bench::medianMs(WholeRuns, [&] {
        dialogs.fileNames = { ledgerPdf };
        documents::saveAllSheetsPdf(state, *ledgerFrame->page());
    });
    // Its pages are wider and fuller than the statement's: the floor is the statement's, page for page.
    std::printf("ledger printout: all %d sheets into one PDF (%lld KB)\n", ledgerSheets,
        QFileInfo(ledgerPdf).size() / 1024);
    const auto perPage = [](bench::Timing t, int pages) {
        return bench::Timing{ t.wall / pages, t.cpu / pages };
    };
    bench::printRow("  a page of all sheets", perPage(ledgerAll, ledgerSheets), "ms",
        perPage(statementFloor, statementSheets), "statement page w/o widgets");
    delete ledgerFrame;

    // Receipt: the two-copy page into a PDF file; the floor is an empty page through the same PDF
    // writer.
    settings.setValue(settings::Main, QStringLiteral("Ch100"), QStringLiteral("1"));
    state.ReportMonthName = QStringLiteral("Октябрь");
    state.ReportMonth = 110;
    MDIfrmPrint receiptFrame(state);
    auto* receipt = new frmKvit(state, form.shown(), receiptFrame);
    receipt->Form_Load();
    receiptFrame.setPage(receipt);
    receiptFrame.show();
    QApplication::processEvents();
    const QString pdf = folder.filePath(QStringLiteral("receipt.pdf"));
    const double receiptPdf = medianMs([&](int) {
        printer.savePdf(pdf, PageOrientation::Portrait,
            [&](QPainter& painter, const QRectF& paper) { paintWindow(painter, paper, receipt); });
    });
    const double emptyPdf = medianMs(
        [&](int) { printer.savePdf(pdf, PageOrientation::Portrait, [](QPainter&, const QRectF&) {}); });
    report("receipt: two copies to PDF", receiptPdf, "an empty page to PDF", emptyPdf);
    receiptFrame.close();
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("tervolin"));
    QCoreApplication::setApplicationName(QStringLiteral("tervolin"));

    const char* given = nullptr;
    bool receiptsOnly = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--receipts-only") == 0)
            receiptsOnly = true;
        else
            given = argv[i];
    }
    QTemporaryDir folder;
    const std::string database = QDir(folder.path()).filePath(QStringLiteral("Tervolin2.spb")).toStdString();
    if (!bench::useOrMakeFullDatabase(given, database))
        return 1;

    ScriptedDialogs dialogs;
    SettingsStore settings;
    FixedClock clock(QDateTime(QDate(2026, 12, 6), QTime(21, 5)));
    RecordingShell shell;
    Printer printer = Printer::intoFolder(folder.filePath(QStringLiteral("printed")));
    AppState state({ dialogs, settings, clock, shell, printer }, folder.path());
    Program program(state);
    if (!program.start()) {
        std::fprintf(stderr, "the database could not be loaded\n");
        return 1;
    }
    Form1* form = program.mainWindow();
    form->yearSelector()->setEditText(QStringLiteral("2026"));
    form->ZAPOLNIT();
    form->VICHISLIT();
    const RecordTable& table = state.table;
    std::printf("%d subscribers\n", table.recordCount());
    const QString floorPdf = folder.filePath(QStringLiteral("floor.pdf"));
    if (!receiptsOnly)
        benchSheetsAndReceipt(state, *form, dialogs, printer, folder, floorPdf);

    // The receipts of October for everyone into one PDF, with the payment codes, as "В PDF" of
    // "Квитанции всем абонентам" makes it; the floor is the same pages with the same texts drawn
    // by the PDF writer alone.
    const documents::PayeeDetails payee = demoPayee();
    documents::storePayee(settings, payee);
    settings.setValue(settings::Main, QStringLiteral("Ch100"), QStringLiteral("0"));
    settings.setValue(settings::Main, QStringLiteral("txtOPL"), QStringLiteral("25.11.2026"));
    const QString batchPdf = folder.filePath(QStringLiteral("Квитанции Октябрь 2026.pdf"));
    QWidget owner;
    std::vector<double> drawingThread; // processor time of this thread alone, without the codes' thread
    const bench::Timing batch = bench::medianMs(3, [&] {
        const double start = threadCpuMs();
        frmKvitAll window(state, owner, QStringLiteral("2026"), 10);
        window.onlyDue()->setChecked(false);
        dialogs.fileNames = { batchPdf };
        window.CmdPdf_Click();
        drawingThread.push_back(threadCpuMs() - start);
    });
    std::nth_element(drawingThread.begin(), drawingThread.begin() + 1, drawingThread.end());
    const auto receipts = documents::monthReceipts(table, "2026", 10, false);
    const int batchPages = int((receipts->size() + 1) / 2);
    const bench::Timing batchFloor
        = bench::medianMs(3, [&] { drawReceiptsWithoutWidgets(floorPdf, *receipts, payee); });
    const qint64 batchSize = QFileInfo(batchPdf).size();
    // Kept for looking at: the pages must come out alike however they are drawn.
    const QString kept
        = QDir(QString::fromStdString(bench::workFolder())).filePath(QStringLiteral("receipts.pdf"));
    QFile::remove(kept);
    QFile::copy(batchPdf, kept);
    std::printf("receipts for all: %zu receipts on %d pages into one PDF (%lld KB, %.1f KB a page; "
                "target <= 40 KB a page: %s)\n",
        receipts->size(), batchPages, batchSize / 1024, batchSize / 1024.0 / batchPages,
        batchSize / 1024.0 / batchPages <= 40 ? "met" : "MISSED");
    bench::printRow("  receipts to PDF with codes", batch, "ms", batchFloor, "same texts by the PDF writer");
    // The codes are made on the second core while the pages are drawn: what the user waits for is the
    // wall time, beside the floor's in the same run.
    // With the second core free for the codes, the wall time is that of the drawing thread.
    std::printf("  of which the drawing thread       cpu %9.2f ms  (%.2fx the floor's cpu)\n",
        drawingThread[1], batchFloor.cpu > 0 ? drawingThread[1] / batchFloor.cpu : 0.0);
    const double batchRatio = batchFloor.wall > 0 ? batch.wall / batchFloor.wall : 0;
    std::printf("  targets <= 2.5x the floor (%.2fx): %s, <= 5 s (%.1f s): %s\n", batchRatio,
        batchRatio <= 2.5 ? "met" : "MISSED", batch.wall / 1000, batch.wall <= 5000 ? "met" : "MISSED");
    // Where the time goes: the receipts worked out, and their codes encoded, alone.
    const bench::Timing working
        = bench::medianMs(3, [&] { documents::monthReceipts(table, "2026", 10, false); });
    const bench::Timing encoding = bench::medianMs(3, [&] {
        for (const documents::Receipt& r : *receipts)
            encodeQr(documents::paymentPayload(
                payee, { r.values[documents::TotalDue], r.number, r.name, r.month, r.year }));
    });
    bench::printRow("  of which the receipts worked out", working, "ms");
    bench::printRow("  of which the codes encoded", encoding, "ms");
    return 0;
}
