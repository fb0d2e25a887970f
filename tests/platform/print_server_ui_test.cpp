// A receipt through a real print server: a private CUPS with the cups-pdf printer as the default,
// whose pages land as PDF files in ~/PDF (cups-pdf's own setting).

#include "app/main_window.h"
#include "documents/preview_frame.h"
#include "documents/receipt_window.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"
#include "support/pdf.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

namespace {

const char* const Cupsd = "/usr/sbin/cupsd";
const char* const Lpadmin = "/usr/sbin/lpadmin";
const char* const Backend = "/usr/lib/cups/backend/cups-pdf";
const char* const Ppd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";

void writeText(const QString& path, const QString& text)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(text.toUtf8());
}

// A print server of the test's own, listening on a socket in its folder.
class PrintServer
{
public:
    explicit PrintServer(const QString& root) : m_root(root) { }
    ~PrintServer()
    {
        if (m_cupsd.state() != QProcess::NotRunning) {
            m_cupsd.terminate();
            if (!m_cupsd.waitForFinished(5000))
                m_cupsd.kill();
        }
    }

    QString socket() const { return m_root + "/cups.sock"; }

    // Empty when the server runs with CUPS-PDF as its default printer; otherwise why not.
    QString start()
    {
        for (const char* dir : { "etc/ppd", "spool/tmp", "cache", "run", "log" })
            QDir().mkpath(m_root + "/" + dir);
        QFile::setPermissions(m_root,
            QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                | QFile::ReadOther | QFile::ExeOther);
        writeText(m_root + "/etc/cupsd.conf",
            QStringLiteral("Listen %1\nLogLevel warn\nWebInterface No\nBrowsing Off\n"
                           "DefaultAuthType None\n<Location />\n  Order allow,deny\n"
                           "  Allow all\n</Location>\n")
                .arg(socket()));
        writeText(m_root + "/etc/cups-files.conf",
            QStringLiteral(
                "ServerRoot %1/etc\nRequestRoot %1/spool\nTempDir %1/spool/tmp\nCacheDir %1/cache\n"
                "StateDir %1/run\nErrorLog %1/log/error_log\nAccessLog %1/log/access_log\n"
                "PageLog %1/log/page_log\nSystemGroup root\nSandboxing Relaxed\n")
                .arg(m_root));

        m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
        m_cupsd.start(QString::fromLatin1(Cupsd),
            { "-f", "-c", m_root + "/etc/cupsd.conf", "-s", m_root + "/etc/cups-files.conf" });
        if (!m_cupsd.waitForStarted(5000))
            return QStringLiteral("cupsd did not start");
        for (int i = 0; i < 100 && !QFile::exists(socket()); ++i) {
            if (m_cupsd.waitForFinished(100))
                return QStringLiteral("cupsd ended: ") + QString::fromLocal8Bit(m_cupsd.readAll());
        }
        if (!QFile::exists(socket()))
            return QStringLiteral("cupsd opened no socket");
        const auto lpadmin = [this](const QStringList& arguments) {
            return QProcess::execute(QString::fromLatin1(Lpadmin), QStringList{ "-h", socket() } + arguments);
        };
        if (lpadmin({ "-p", "CUPS-PDF", "-v", "cups-pdf:/", "-P", QString::fromLatin1(Ppd), "-E" }) != 0
            || lpadmin({ "-d", "CUPS-PDF" }) != 0)
            return QStringLiteral("lpadmin could not set up the CUPS-PDF printer");
        return QString();
    }

private:
    QString m_root;
    QProcess m_cupsd;
};

class PrintServerTest : public AppFixture
{
protected:
    // One server for the tests of the suite: the print system's library keeps to the first server
    // it was pointed at.
    static void SetUpTestSuite()
    {
        for (const char* needed : { Cupsd, Lpadmin, Backend, Ppd }) {
            if (!std::filesystem::exists(needed)) {
                skipped = std::string("No print server here (") + needed
                    + " is missing; install cups and printer-driver-cups-pdf): the test through CUPS is "
                      "skipped";
                return;
            }
        }
        serverFolder = std::make_unique<TempFolder>();
        server = std::make_unique<PrintServer>(QString::fromStdString(serverFolder->file("cups")));
        const QString failure = server->start();
        if (!failure.isEmpty()) {
            skipped = "The print server could not be started (" + failure.toStdString()
                + "): the test through CUPS is skipped";
            return;
        }
        qputenv("CUPS_SERVER", server->socket().toLocal8Bit());
    }

    static void TearDownTestSuite()
    {
        server.reset();
        serverFolder.reset();
    }

    void SetUp() override
    {
        if (!skipped.empty())
            GTEST_SKIP() << skipped;
        printer = Printer();
        // Whole seconds: a file system may keep no finer times.
        started = QDateTime::currentDateTime().addSecs(-1);
    }

    // The file the printer put out since the test began; empty when nothing came within 30 s. Every
    // test's server numbers its jobs from 1, so the printer may write over a file of an earlier
    // test's: what counts is the time the file was written.
    QString printedFile()
    {
        for (int i = 0; i < 300; ++i) {
            QTest::qWait(100);
            for (const QString& file : output.entryList({ "*.pdf" }, QDir::Files)) {
                const QFileInfo info(output.filePath(file));
                if (info.lastModified() >= started && info.size() > 0) {
                    QTest::qWait(300); // the backend may still be writing
                    return output.filePath(file);
                }
            }
        }
        return QString();
    }

    static inline std::string skipped;
    static inline std::unique_ptr<TempFolder> serverFolder;
    static inline std::unique_ptr<PrintServer> server;
    const QDir output{ QDir::homePath() + "/PDF" };
    QDateTime started;
};

TEST_F(PrintServerTest, AReceiptGoesToTheDefaultPrinter)
{
    EXPECT_EQ(printer.defaultPrinterName(), "CUPS-PDF");
    writeDemoDatabase(3);
    settings.setValue(settings::Main, "Cmb1", "2026");
    settings.setValue(settings::Main, "Ch100", "1");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    state.ReportMonthName = "Октябрь";
    state.ReportMonth = 110;
    program->openOverMainWindow(receiptFrame(state, form->shown()));
    MDIfrmPrint* frame = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* f = qobject_cast<MDIfrmPrint*>(w); f && f->isVisible())
            frame = f;
    }
    ASSERT_NE(frame, nullptr);
    QTest::mouseClick(frame->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    EXPECT_TRUE(dialogs.shown.isEmpty());
    EXPECT_EQ(printer.pagesPrinted(), 1);

    const QString pdf = printedFile();
    ASSERT_FALSE(pdf.isEmpty()) << "nothing came out of the printer";
    const auto info = pdfInfo(pdf.toStdString());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 1);
    EXPECT_TRUE(info->portrait());
    QFile::remove(pdf);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(PrintServerTest, ADocumentOfManyPagesIsOneJob)
{
    const auto drawing = [](QPainter& painter, const QRectF& paper, int page) {
        painter.drawRect(paper.adjusted(500, 500 + 300 * page, -500, -500));
        return true;
    };
    ASSERT_EQ(printer.printPages(PageOrientation::Portrait, 3, drawing), Printer::Result::Printed);
    EXPECT_EQ(printer.pagesPrinted(), 1);
    const QString pdf = printedFile();
    ASSERT_FALSE(pdf.isEmpty()) << "nothing came out of the printer";
    const auto info = pdfInfo(pdf.toStdString());
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 3);
    EXPECT_TRUE(info->portrait());
    int written = 0;
    for (const QFileInfo& file : output.entryInfoList({ "*.pdf" }, QDir::Files))
        written += file.lastModified() >= started ? 1 : 0;
    EXPECT_EQ(written, 1) << "one job, one file";
    QFile::remove(pdf);
}

} // namespace
