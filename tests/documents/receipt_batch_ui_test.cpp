#include "app/main_window.h"
#include "database/money.h"
#include "demo_data.h"
#include "documents/payee_settings.h"
#include "documents/preview_frame.h"
#include "documents/receipt_batch_window.h"
#include "documents/receipt_window.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"
#include "support/pdf.h"
#include "support/qr_decode.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <filesystem>

namespace {

constexpr int Year2026 = 2026;

void settle()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

class ReceiptsForAll : public AppFixture
{
protected:
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<MDIfrmPrint*>(w))
                delete w;
        }
    }

    // Subscribers "Абонент 1" … with March 2026 readings; with `everyOtherDue` the even ones have
    // no new reading and nothing to pay. The street lighting comes last, with a reading of its own.
    void fillTable(int count, bool everyOtherDue)
    {
        RecordTable& table = state.table;
        table.clear();
        table.setRecordCount(count + 1);
        for (int i = 1; i <= count + 1; ++i) {
            const bool lighting = i == count + 1;
            table.set(i, fields::Number, std::to_string(i));
            table.set(i, fields::FullName, lighting ? "Уличное освещение" : "Абонент " + std::to_string(i));
            const int m = fields::baseOfMonth(Year2026, 3);
            table.set(i, m + fields::PreviousReading, std::to_string(10000 + i));
            if (!everyOtherDue || i % 2 == 1 || lighting)
                table.set(i, m + fields::CurrentReading, std::to_string(10100 + i));
            table.set(i, m + fields::Tariff, "5,47");
        }
    }

    // The batch of March 2026 into a PDF; its file, or "" when none was written.
    std::string batchPdf(bool onlyDue, bool twoCopies, const std::string& name = "batch.pdf")
    {
        QWidget owner;
        frmKvitAll window(state, owner, QStringLiteral("2026"), 3);
        window.onlyDue()->setChecked(onlyDue);
        window.twoCopies()->setChecked(twoCopies);
        const std::string path = folder.file(name);
        dialogs.fileNames.push_back(QString::fromStdString(path));
        window.CmdPdf_Click();
        return std::filesystem::exists(path) ? path : std::string();
    }

    // The single receipt of the month, as the sheet's pop-up opens it; null when it did not open.
    static frmKvit* singleReceipt(Form1* form, int month)
    {
        QTest::mouseClick(form->sheet()->monthLabel(month), Qt::RightButton);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return nullptr;
        QAction* single = menu->findChild<QAction*>("Kvit");
        menu->close();
        settle();
        single->trigger();
        settle();
        auto* frame = qobject_cast<MDIfrmPrint*>(QApplication::activeWindow());
        return frame ? qobject_cast<frmKvit*>(frame->page()) : nullptr;
    }

    int pages(const std::string& path)
    {
        const auto info = pdfInfo(path);
        return info ? info->pages : -1;
    }
};

TEST_F(ReceiptsForAll, TwoReceiptsToAPageOrOneWithTwoCopies)
{
    struct Case
    {
        int subscribers, all, due, twoCopies;
    };
    // With every other subscriber due: 1 → 1, 2 → 1, 3 → 2, 61 → 31 due.
    for (const Case c :
        { Case{ 1, 1, 1, 1 }, Case{ 2, 1, 1, 2 }, Case{ 3, 2, 1, 3 }, Case{ 61, 31, 16, 61 } }) {
        fillTable(c.subscribers, true);
        EXPECT_EQ(pages(batchPdf(false, false, "all.pdf")), c.all) << c.subscribers;
        EXPECT_EQ(pages(batchPdf(true, false, "due.pdf")), c.due) << c.subscribers;
        EXPECT_EQ(pages(batchPdf(false, true, "two.pdf")), c.twoCopies) << c.subscribers;
    }
    const std::string text = pdfText(folder.file("all.pdf"));
    EXPECT_EQ(occurrences(text, "Март 2026"), 61);
    EXPECT_EQ(occurrences(text, "Абонент 61"), 1);
    // The street lighting's only mention is the line of each receipt.
    EXPECT_EQ(occurrences(text, "Уличное освещение"), 61);
    EXPECT_TRUE(pdfInfo(folder.file("all.pdf"))->portrait());
    // The second copy carries no prepayment note.
    EXPECT_EQ(occurrences(pdfText(folder.file("two.pdf")), "Примечание: предоплата"), 61);
}

TEST_F(ReceiptsForAll, NobodyToPayIsSaidAndNothingIsAsked)
{
    fillTable(4, true);
    for (int i = 1; i <= 5; ++i)
        state.table.set(i, fields::baseOfMonth(Year2026, 3) + fields::CurrentReading, "");
    QWidget owner;
    frmKvitAll window(state, owner, QStringLiteral("2026"), 3);
    window.CmdPdf_Click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "За Март 2026 ни у одного абонента нет суммы к оплате.");
    EXPECT_TRUE(dialogs.fileRequests.isEmpty());
}

TEST_F(ReceiptsForAll, CancelLeavesNoFile)
{
    fillTable(61, false);
    dialogs.cancelProgressAt = 2;
    EXPECT_EQ(batchPdf(false, false), "");
    EXPECT_TRUE(
        std::filesystem::is_empty(folder.path()) || !std::filesystem::exists(folder.file("batch.pdf")));
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        EXPECT_EQ(entry.path().extension(), std::filesystem::path()) << entry.path();
}

// The receipt of one subscriber, alone and among everyone's, reads the same on paper.
TEST_F(ReceiptsForAll, TheBatchReceiptIsTheSingleReceipt)
{
    writeDemoDatabase(1);
    settings.setValue(settings::Main, "Cmb1", "2026");
    settings.setValue(settings::Main, "txtOPL", "25.11.2026");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    for (const bool two : { false, true }) {
        settings.setValue(settings::Main, "Ch100", two ? "1" : "0");
        frmKvit* receipt = singleReceipt(form, 10);
        ASSERT_NE(receipt, nullptr);
        QTest::mouseClick(receipt->printButton(), Qt::LeftButton);
        settle();

        QWidget owner;
        frmKvitAll window(state, owner, QStringLiteral("2026"), 10);
        ASSERT_EQ(window.twoCopies()->isChecked(), two);
        ASSERT_EQ(window.payBy()->text(), "25.11.2026");
        const std::string batch = folder.file(two ? "two.pdf" : "one.pdf");
        dialogs.fileNames.push_back(QString::fromStdString(batch));
        window.CmdPdf_Click();

        const std::string alone = pdfText(printedPage(two ? 2 : 1));
        EXPECT_NE(alone.find("25.11.2026"), std::string::npos);
        EXPECT_NE(alone.find(form->subscriberSelector()->currentText().toStdString()), std::string::npos);
        EXPECT_EQ(pdfText(batch), alone) << (two ? "two copies" : "one copy");
    }
}

TEST_F(ReceiptsForAll, FromTheSheetsMonthAndFromTheMenu)
{
    writeDemoDatabase(5);
    settings.setValue(settings::Main, "Cmb1", "2026");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    // A reading typed and not yet stored when the receipts are asked for.
    SheetCell* reading = form->sheet()->typed(11, 1);
    reading->setText(QString::number(reading->text().toInt() + 1000));

    QTest::mouseClick(form->sheet()->monthLabel(11), Qt::RightButton);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    QAction* all = menu->findChild<QAction*>("KvitAll");
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->text(), "Квитанции всем &абонентам");
    menu->close();
    settle();
    all->trigger();
    auto* window = form->findChild<frmKvitAll*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowModality(), Qt::WindowModal);
    EXPECT_EQ(window->yearBox()->currentText(), "2026");
    EXPECT_EQ(window->monthBox()->currentText(), "Ноябрь");
    EXPECT_TRUE(window->onlyDue()->isChecked());
    const int row = form->CurrentRecord;
    EXPECT_EQ(state.table.field(row, fields::baseOfMonth(Year2026, 11) + fields::CurrentReading),
        reading->text().toStdString());

    window->payBy()->setText("10.12.2026");
    QTest::mouseClick(window->findChild<QPushButton*>("CmdPrint"), Qt::LeftButton);
    settle();
    EXPECT_EQ(form->findChild<frmKvitAll*>(), nullptr);
    EXPECT_EQ(setting("txtOPL"), "10.12.2026");
    // One print job: four subscribers (the fifth is the street lighting) on two pages.
    EXPECT_EQ(pdfInfo(printedPage(1))->pages, 2);
    const std::string printed = pdfText(printedPage(1));
    EXPECT_EQ(occurrences(printed, "Оплата до"), 4) << printed;
    EXPECT_EQ(occurrences(printed, "10.12.2026"), 4);

    // The tools menu takes today's month of the sheet's year.
    clock.set(QDateTime(QDate(2026, 4, 14), QTime(9, 0)));
    form->findChild<QAction*>("Menu_Tools_KvitAll")->trigger();
    window = form->findChild<frmKvitAll*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->monthBox()->currentText(), "Апрель");
    QTest::mouseClick(window->findChild<QPushButton*>("CmdCancel"), Qt::LeftButton);
    settle();
    EXPECT_EQ(form->findChild<frmKvitAll*>(), nullptr);
}

// The payee's details make a payment code on the receipt, alone and among everyone's, that says what
// the receipt says.
TEST_F(ReceiptsForAll, ThePaymentCodeSaysWhatTheReceiptSays)
{
    documents::PayeeDetails payee;
    payee.name = "СНТ «Ромашка»";
    payee.personalAcc = "40602810700000000025";
    payee.bankName = "ПАО СБЕРБАНК";
    payee.bic = "049805746";
    payee.correspAcc = "30101810800000000746";
    payee.payeeInn = "7707083893";
    payee.kpp = "773601001";
    payee.purpose = documents::DefaultPurpose;
    documents::storePayee(settings, payee);
    writeDemoDatabase(1);
    settings.setValue(settings::Main, "Cmb1", "2026");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    frmKvit* receipt = singleReceipt(form, 10);
    ASSERT_NE(receipt, nullptr);
    ASSERT_TRUE(receipt->hasCode());
    EXPECT_TRUE(receipt->findChild<QWidget*>("QrCode_0")->isVisible());
    EXPECT_FALSE(receipt->findChild<QWidget*>("QrCode_1")->isVisible());
    receipt->twoCopies()->setChecked(true);
    EXPECT_TRUE(receipt->findChild<QWidget*>("QrCode_1")->isVisible());
    receipt->twoCopies()->setChecked(false);

    const std::string total = receipt->value(documents::TotalDue)->text().toStdString();
    const std::optional<Currency> due = Currency::parse(total);
    ASSERT_TRUE(due && *due > Currency()) << total;
    const std::string name = form->subscriberSelector()->currentText().toStdString();
    const std::string expected = "ST00012|Name=СНТ «Ромашка»|PersonalAcc=40602810700000000025|"
                                 "BankName=ПАО СБЕРБАНК|BIC=049805746|CorrespAcc=30101810800000000746|"
                                 "PayeeINN=7707083893|KPP=773601001|Sum="
        + std::to_string(due->raw() / 100) + "|Purpose=Электроэнергия за октябрь 2026, " + name
        + ", л/с 1|PersAcc=1|PaymPeriod=102026";
    QTest::mouseClick(receipt->printButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(decodeQr(printedPage(1)), expected);
    EXPECT_EQ(occurrences(pdfText(printedPage(1)), "Отсканируйте QR-код"), 1);

    QWidget owner;
    frmKvitAll window(state, owner, QStringLiteral("2026"), 10);
    const std::string batch = folder.file("batch.pdf");
    dialogs.fileNames.push_back(QString::fromStdString(batch));
    window.CmdPdf_Click();
    EXPECT_EQ(decodeQr(batch), expected);
    EXPECT_EQ(pdfText(batch), pdfText(printedPage(1)));
}

// Details edited by hand that the payee window would refuse: the receipt goes without a code, as
// when none are given.
TEST_F(ReceiptsForAll, DetailsThePayeeWindowWouldRefuseMakeNoCode)
{
    documents::storePayee(settings, demoPayee());
    writeDemoDatabase(1);
    settings.setValue(settings::Main, "Cmb1", "2026");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    for (const QString& kpp : { QStringLiteral("12"), QStringLiteral("770701001") }) {
        settings.setValue(settings::Payee, "KPP", kpp);
        frmKvit* receipt = singleReceipt(form, 10);
        ASSERT_NE(receipt, nullptr);
        EXPECT_EQ(receipt->hasCode(), kpp.size() == 9) << kpp.toStdString();
        EXPECT_EQ(receipt->findChild<QWidget*>("QrCode_0")->isVisible(), kpp.size() == 9);
        receipt->window()->close();
        settle();
    }
}

} // namespace
