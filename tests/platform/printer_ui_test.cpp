// Documents of many pages: one print job, one PDF file, nothing left behind by a cancel or a
// failure; and the dialogs' folder and progress box.

#include "platform/printer.h"
#include "platform/qt_dialogs.h"
#include "platform/scripted_dialogs.h"
#include "support/files.h"
#include "support/pdf.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Writes "Страница <n>" on page n (1 …); stops before page `stopAt` (1 …) when asked.
PagesDrawing numberedPages(int stopAt = 0, QList<int>* drawn = nullptr)
{
    return [stopAt, drawn](QPainter& painter, const QRectF& paper, int page) {
        if (page + 1 == stopAt)
            return false;
        if (drawn)
            drawn->append(page);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(24);
        painter.setFont(font);
        painter.drawText(paper, Qt::AlignCenter, QStringLiteral("Страница %1").arg(page + 1));
        return true;
    };
}

QStringList filesIn(const std::filesystem::path& folder)
{
    return QDir(QString::fromStdString(folder.string())).entryList(QDir::Files | QDir::Hidden);
}

TEST(Printer, AJobOfManyPagesIsOneFileWithThePagesInOrder)
{
    TempFolder folder;
    Printer printer = Printer::intoFolder(QString::fromStdString(folder.file("printed")));
    QList<int> drawn;
    ASSERT_EQ(printer.printPages(PageOrientation::Landscape, 3, numberedPages(0, &drawn)),
        Printer::Result::Printed);
    EXPECT_EQ(drawn, QList<int>({ 0, 1, 2 }));
    EXPECT_EQ(printer.pagesPrinted(), 1);
    EXPECT_EQ(filesIn(folder.path() / "printed"), QStringList({ "page-001.pdf" }));
    const auto info = pdfInfo(folder.file("printed/page-001.pdf"));
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 3);
    EXPECT_FALSE(info->portrait());
    const std::string text = pdfText(folder.file("printed/page-001.pdf"));
    const auto first = text.find("Страница 1");
    const auto second = text.find("Страница 2");
    const auto third = text.find("Страница 3");
    ASSERT_NE(third, std::string::npos);
    EXPECT_LT(first, second);
    EXPECT_LT(second, third);

    // The next job, of one page, is the next file.
    ASSERT_EQ(printer.printPage(PageOrientation::Portrait,
                  [](QPainter& painter, const QRectF& paper) { painter.drawText(paper, "Одна"); }),
        Printer::Result::Printed);
    EXPECT_EQ(printer.pagesPrinted(), 2);
    const auto single = pdfInfo(folder.file("printed/page-002.pdf"));
    ASSERT_TRUE(single);
    EXPECT_EQ(single->pages, 1);
    EXPECT_TRUE(single->portrait());
}

TEST(Printer, ACancelledJobPrintsNothing)
{
    TempFolder folder;
    Printer printer = Printer::intoFolder(QString::fromStdString(folder.file("printed")));
    QList<int> drawn;
    EXPECT_EQ(printer.printPages(PageOrientation::Portrait, 5, numberedPages(2, &drawn)),
        Printer::Result::Cancelled);
    EXPECT_EQ(drawn, QList<int>({ 0 }));
    EXPECT_EQ(printer.pagesPrinted(), 0);
    EXPECT_TRUE(filesIn(folder.path() / "printed").isEmpty());
    // The next job takes the first file name.
    ASSERT_EQ(printer.printPages(PageOrientation::Portrait, 2, numberedPages()), Printer::Result::Printed);
    EXPECT_EQ(filesIn(folder.path() / "printed"), QStringList({ "page-001.pdf" }));
}

TEST(Printer, NoPrinterIsSaidAsSuch)
{
    Printer printer = Printer::none();
    EXPECT_EQ(printer.printPages(PageOrientation::Portrait, 2, numberedPages()), Printer::Result::NoPrinter);
    EXPECT_EQ(printer.pagesPrinted(), 0);
}

TEST(Printer, APdfIsReplacedOnlyByACompleteOne)
{
    TempFolder folder;
    Printer printer = Printer::none();
    const std::string pdf = folder.file("Ведомость Март 2026.pdf");
    const QString name = QString::fromStdString(pdf);
    writeBytes(pdf, "saved before");

    // Cancelled on the second page, and failed because nothing is to be drawn: the old file stays.
    EXPECT_EQ(printer.savePdfPages(name, PageOrientation::Portrait, 3, numberedPages(2)),
        Printer::Result::Cancelled);
    EXPECT_EQ(
        printer.savePdfPages(name, PageOrientation::Portrait, 0, numberedPages()), Printer::Result::Failed);
    EXPECT_EQ(readBytes(pdf), "saved before");
    EXPECT_EQ(filesIn(folder.path()), QStringList({ "Ведомость Март 2026.pdf" }));

    ASSERT_EQ(
        printer.savePdfPages(name, PageOrientation::Portrait, 3, numberedPages()), Printer::Result::Printed);
    const auto info = pdfInfo(pdf);
    ASSERT_TRUE(info);
    EXPECT_EQ(info->pages, 3);
    EXPECT_TRUE(info->portrait());
    EXPECT_EQ(filesIn(folder.path()), QStringList({ "Ведомость Март 2026.pdf" }));
}

TEST(Printer, APdfThatCannotBeWrittenLeavesNothing)
{
    TempFolder folder;
    Printer printer = Printer::none();
    const std::string missing = folder.file("нет такой папки/Лист.pdf");
    EXPECT_EQ(
        printer.savePdfPages(QString::fromStdString(missing), PageOrientation::Portrait, 2, numberedPages()),
        Printer::Result::Failed);
    EXPECT_FALSE(printer.savePdf(QString::fromStdString(missing), PageOrientation::Portrait,
        [](QPainter& painter, const QRectF& paper) { painter.drawText(paper, "Лист"); }));

    // A folder the user may not write in; the superuser writes anywhere, so the save is made as an
    // ordinary user in a child process.
    const std::filesystem::path closed = folder.path() / "закрыта";
    std::filesystem::create_directory(closed);
    std::filesystem::permissions(closed, std::filesystem::perms(0555));
    std::filesystem::permissions(folder.path(), std::filesystem::perms(0755));
    const QString name = QString::fromStdString((closed / "Лист.pdf").string());
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(2);
        _exit(printer.savePdfPages(name, PageOrientation::Portrait, 2, numberedPages())
                    == Printer::Result::Failed
                ? 0
                : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(filesIn(closed).isEmpty());
    std::filesystem::permissions(closed, std::filesystem::perms::owner_all);
}

TEST(ScriptedDialogs, AProgressIsRecordedAndCancelledWhereTheTestSays)
{
    ScriptedDialogs dialogs;
    dialogs.cancelProgressAt = 2;
    {
        std::unique_ptr<Progress> progress = dialogs.progress("Печать листов", "Печать", 5);
        EXPECT_TRUE(progress->advance(0));
        EXPECT_TRUE(progress->advance(1));
        EXPECT_FALSE(progress->advance(2));
        EXPECT_FALSE(progress->advance(3)) << "a cancel holds";
    }
    ASSERT_EQ(dialogs.progresses.size(), 1);
    EXPECT_EQ(dialogs.progresses[0].text, "Печать листов");
    EXPECT_EQ(dialogs.progresses[0].title, "Печать");
    EXPECT_EQ(dialogs.progresses[0].total, 5);
    EXPECT_EQ(dialogs.progresses[0].steps, QList<int>({ 0, 1, 2, 3 }));
}

TEST(QtDialogs, TheProgressBoxCancelsFromItsButton)
{
    QtDialogs dialogs;
    std::unique_ptr<Progress> progress = dialogs.progress("Сохранение листов", "Печать", 10);
    EXPECT_TRUE(progress->advance(1));
    QProgressDialog* box = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* p = qobject_cast<QProgressDialog*>(w))
            box = p;
    }
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->labelText(), "Сохранение листов");
    EXPECT_EQ(box->windowTitle(), "Печать");
    EXPECT_EQ(box->maximum(), 10);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    auto* cancel = box->findChild<QPushButton*>();
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(cancel->text(), "Отмена");
    cancel->click();
    EXPECT_FALSE(progress->advance(2));
    progress.reset();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<QProgressDialog*>(w), nullptr) << "the box goes with its work";
}

TEST(QtDialogs, TheFileDialogOpensInTheFolderAsked)
{
    TempFolder folder;
    const QString asked = QString::fromStdString(folder.file("Документы"));
    QDir().mkpath(asked);
    const struct
    {
        QString folder;
        QString opens;
    } cases[] = {
        { asked, asked },
        { QString(), QDir::homePath() },
        { QString::fromStdString(folder.file("удалена")), QDir::homePath() },
    };
    for (const auto& c : cases) {
        QString opened;
        QString proposed;
        // Goes with this case: a dialog that never came up leaves no look to run in a later test.
        QObject thisCase;
        QTimer::singleShot(0, &thisCase, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (auto* dialog = qobject_cast<QFileDialog*>(w); dialog && dialog->isVisible()) {
                    opened = dialog->directory().absolutePath();
                    proposed = dialog->selectedFiles().value(0);
                    dialog->reject();
                }
            }
        });
        QtDialogs dialogs;
        FileRequest request{ "Документ PDF|*.pdf|", "*.pdf", "Ведомость Март 2026.pdf" };
        request.folder = c.folder;
        EXPECT_EQ(dialogs.saveFileName(request), std::nullopt);
        EXPECT_EQ(opened, QDir(c.opens).absolutePath()) << c.folder.toStdString();
        EXPECT_EQ(QFileInfo(proposed).fileName(), "Ведомость Март 2026.pdf");
    }
}

} // namespace
