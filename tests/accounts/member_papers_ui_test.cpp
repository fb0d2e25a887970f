#include "accounts/act_page.h"
#include "accounts/act_window.h"
#include "accounts/certificate_page.h"
#include "accounts/reconciliation.h"
#include "accounts/subscriber_menu.h"
#include "app/main_window.h"
#include "app/payee_window.h"
#include "demo_data.h"
#include "documents/payee_settings.h"
#include "documents/preview_frame.h"
#include "documents/receipt_window.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"
#include "support/pdf.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

namespace {

void settle()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

class MemberPapers : public AppFixture
{
protected:
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<MDIfrmPrint*>(w) || qobject_cast<frmAct*>(w))
                delete w;
        }
    }

    static MDIfrmPrint* shownFrame()
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* f = qobject_cast<MDIfrmPrint*>(w); f && f->isVisible())
                return f;
        }
        return nullptr;
    }

    static frmKvit* octoberReceipt(Form1* form)
    {
        QTest::mouseClick(form->sheet()->monthLabel(10), Qt::RightButton);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return nullptr;
        QAction* single = menu->findChild<QAction*>("Kvit");
        menu->close();
        settle();
        single->trigger();
        settle();
        MDIfrmPrint* frame = shownFrame();
        return frame ? qobject_cast<frmKvit*>(frame->page()) : nullptr;
    }

    // Two subscribers with March 2026 of their own: Ivanov pays more than he is charged, Petrova
    // pays nothing.
    Form1* startWithMarch()
    {
        writeDatabase({ { "1", "Иванов И. И.", "уч. 12" }, { "2", "Петрова К. Л.", "уч. 3" } });
        Form1* form = start();
        const int b = fields::ledgerBaseOfMonth(2026, 3);
        state.table.set(1, b - 1, "100,00");
        state.table.set(1, b + 6, "150,00");
        state.table.set(2, b - 1, "1234,56");
        return form;
    }

    frmSpravka* certificateOf(int record)
    {
        openNoDebtCertificate(state, record);
        settle();
        MDIfrmPrint* frame = shownFrame();
        return frame ? qobject_cast<frmSpravka*>(frame->page()) : nullptr;
    }
};

TEST_F(MemberPapers, TheReceiptSaysWhomToPayAndWhoseAccountItIs)
{
    const documents::PayeeDetails payee = demoPayee();
    documents::storePayee(settings, payee);
    writeDemoDatabase(1);
    settings.setValue(settings::Main, "Cmb1", "2026");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    frmKvit* receipt = octoberReceipt(form);
    ASSERT_NE(receipt, nullptr);
    EXPECT_TRUE(receipt->payeeText(0)->isVisible());
    EXPECT_TRUE(receipt->payeeText(0)->text().contains("Р/с: " + QString::fromStdString(payee.personalAcc)));
    EXPECT_TRUE(receipt->account(0)->text().startsWith("л/с 1"));
    QTest::mouseClick(receipt->printButton(), Qt::LeftButton);
    settle();
    const std::string text = pdfText(printedPage(1));
    for (const std::string& expected :
        { std::string("Получатель:"), "БИК: " + payee.bic, std::string("л/с 1") })
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}

TEST_F(MemberPapers, RemovedDetailsLeaveReceiptsWithoutCodeAndLines)
{
    documents::storePayee(settings, demoPayee());
    writeDemoDatabase(1);
    settings.setValue(settings::Main, "Cmb1", "2026");
    Form1* form = start();
    ASSERT_NE(form, nullptr);

    const auto clearDetails = [&](Answer answer) {
        form->findChild<QAction*>("Menu_Tuns_Rekv")->trigger();
        auto* window = form->findChild<frmRekv*>();
        ASSERT_NE(window, nullptr);
        QPushButton* clear = window->findChild<QPushButton*>("CmdClear");
        ASSERT_NE(clear, nullptr);
        EXPECT_EQ(clear->text(), "Удалить реквизиты");
        dialogs.answers.push_back(answer);
        clear->click();
        settle();
    };
    clearDetails(Answer::No);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text,
        "Удалить реквизиты получателя платежа? Квитанции будут печататься без QR-кода и без реквизитов.");
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(documents::payeeComplete(documents::readPayee(settings)));
    form->findChild<frmRekv*>()->close();
    settle();

    clearDetails(Answer::Yes);
    EXPECT_EQ(form->findChild<frmRekv*>(), nullptr);
    EXPECT_TRUE(documents::payeeBlank(documents::readPayee(settings)));
    frmKvit* receipt = octoberReceipt(form);
    ASSERT_NE(receipt, nullptr);
    EXPECT_FALSE(receipt->hasCode());
    EXPECT_FALSE(receipt->payeeText(0)->isVisible());
    QTest::mouseClick(receipt->printButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(pdfText(printedPage(1)).find("Получатель"), std::string::npos);
}

TEST_F(MemberPapers, AnOverpaidReceiptSaysOverpayment)
{
    writeDemoDatabase(1);
    settings.setValue(settings::Main, "Cmb1", "2026");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    state.table.set(1, fields::ledgerBaseOfMonth(2026, 10) + 1, "99999,00");
    frmKvit* receipt = octoberReceipt(form);
    ASSERT_NE(receipt, nullptr);
    EXPECT_EQ(receipt->caption(20)->text(), "Переплата, Руб");
    EXPECT_EQ(receipt->caption(41)->text(), "Переплата, Руб");
    const QString shown = receipt->value(documents::TotalDue)->text();
    EXPECT_FALSE(shown.startsWith('-')) << shown.toStdString();
    EXPECT_EQ("-" + shown.toStdString(), receipt->receipt().values[documents::TotalDue]);
}

TEST_F(MemberPapers, TheSubscribersPopUpOpensTheActForItsRecord)
{
    Form1* form = startWithMarch();
    ASSERT_NE(form, nullptr);
    QWidget owner;
    QMenu* menu = subscriberMenu(state, &owner, [] { return 2; });
    QAction* act = menu->findChild<QAction*>("CmdAct");
    ASSERT_NE(act, nullptr);
    ASSERT_NE(menu->findChild<QAction*>("CmdSpravka"), nullptr);
    act->trigger();
    auto* window = owner.findChild<frmAct*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->windowTitle(), "Акт сверки расчётов");
    // The year up to the last month with data.
    EXPECT_EQ(window->month(1)->currentText(), "Март");
    EXPECT_EQ(window->year(1)->currentText(), "2026");
    EXPECT_EQ(window->month(0)->currentText(), "Апрель");
    EXPECT_EQ(window->year(0)->currentText(), "2025");

    window->setPeriod({ 2026, 4 }, { 2026, 3 });
    window->CmdOk_Click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Начало периода позже его конца.");
    EXPECT_EQ(shownFrame(), nullptr);

    // Across the new year, into the preview and onto paper.
    window->setPeriod({ 2025, 12 }, { 2026, 3 });
    window->CmdOk_Click();
    settle();
    MDIfrmPrint* frame = shownFrame();
    ASSERT_NE(frame, nullptr);
    auto* page = qobject_cast<frmActPrint*>(frame->page());
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->act().record, 2);
    EXPECT_EQ(page->grid()->rowCount(), 5); // four months and the totals
    EXPECT_EQ(page->grid()->item(3, 4)->text(), "1 234,56");
    frame->findChild<QAction*>("Print")->trigger();
    const std::string text = pdfText(printedPage(1));
    for (const char* expected : { "АКТ СВЕРКИ РАСЧЁТОВ", "Петрова К. Л.",
             "Задолженность на 01.12.2025: 0,00 р.", "Задолженность на 31.03.2026: 1 234,56 р.",
             "одна тысяча двести тридцать четыре рубля 56 копеек" })
        EXPECT_NE(text.find(expected), std::string::npos) << expected;
}

TEST_F(MemberPapers, NoCertificateWhileTheAccountEndsInDebt)
{
    ASSERT_NE(startWithMarch(), nullptr);
    EXPECT_EQ(certificateOf(2), nullptr);
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text, "Справка не выдана: задолженность 1 234,56 р. на 31.03.2026.");
    EXPECT_EQ(setting("2026", documents::CertificateSection), "<none>");
}

TEST_F(MemberPapers, CertificatesAreNumberedWithinTheYearOnceGiven)
{
    ASSERT_NE(startWithMarch(), nullptr);
    settings.setValue(documents::CertificateSection, "2026", "14");
    frmSpravka* page = certificateOf(1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->number(), "2026-015");
    EXPECT_TRUE(page->body()->text().contains("по состоянию на 31.03.2026"));
    // Saving is cancelled: the number is not used up.
    dialogs.fileNames.push_back(std::nullopt);
    page->savePdf();
    EXPECT_EQ(setting("2026", documents::CertificateSection), "14");
    page->printSheet();
    EXPECT_EQ(setting("2026", documents::CertificateSection), "15");
    const std::string text = pdfText(printedPage(1));
    EXPECT_NE(text.find("№ 2026-015 от 06.12.2026"), std::string::npos);
    EXPECT_NE(text.find("Переплата на 31.03.2026: 50,00 р."), std::string::npos);
    // Printed again, it is the same certificate.
    page->printSheet();
    EXPECT_EQ(setting("2026", documents::CertificateSection), "15");
    page->window()->close();
    settle();
    ASSERT_NE(page = certificateOf(1), nullptr);
    EXPECT_EQ(page->number(), "2026-016");
}

TEST_F(MemberPapers, AnArchivesCertificateTakesNoNumber)
{
    ASSERT_NE(startWithMarch(), nullptr);
    state.viewArchive(QString::fromStdString(databasePath()));
    frmSpravka* page = certificateOf(1);
    ASSERT_NE(page, nullptr);
    EXPECT_TRUE(page->number().isEmpty());
    page->printSheet();
    EXPECT_NE(pdfText(printedPage(1)).find("№ __________ от"), std::string::npos);
    EXPECT_EQ(setting("2026", documents::CertificateSection), "<none>");
}

} // namespace
