#include "app/main_window.h"
#include "app/payee_window.h"
#include "documents/payee_settings.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using PayeeWindow = AppFixture;

frmRekv* openPayee(Form1* form)
{
    form->findChild<QAction*>("Menu_Tuns_Rekv")->trigger();
    return form->findChild<frmRekv*>();
}

void type(QLineEdit* box, const QString& text)
{
    box->clear();
    // Key by key, as typed: Cyrillic has no key codes of its own in the test's keyboard.
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// An association's details as the treasurer types them, blanks between the groups of digits.
void typeGoodDetails(frmRekv* w)
{
    type(w->txtName, QStringLiteral("СНТ «Ромашка»"));
    type(w->txtAcc, QStringLiteral("40702 810 9 0000 0000025"));
    type(w->txtBank, QStringLiteral("ПАО «Примербанк»"));
    type(w->txtBIC, QStringLiteral("044514512"));
    type(w->txtKS, QStringLiteral("30101817000000000512"));
    type(w->txtINN, QStringLiteral("7707083893"));
    type(w->txtKPP, QStringLiteral("770701001"));
}

TEST_F(PayeeWindow, OpensFromTheSettingsMenuOverADisabledMainWindow)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    QAction* item = form->findChild<QAction*>("Menu_Tuns_Rekv");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), "&Реквизиты получателя платежа");
    frmRekv* w = openPayee(form);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->windowTitle(), "Реквизиты получателя платежа");
    EXPECT_EQ(w->windowModality(), Qt::WindowModal);
    // Nothing stored yet: empty boxes and the default purpose.
    EXPECT_EQ(w->txtName->text(), "");
    EXPECT_EQ(w->txtNazn->text(), "Электроэнергия за {месяц} {год}, {ФИО}, л/с {номер}");
    EXPECT_EQ(w->findChild<QPushButton*>("CmdOk")->text(), "Ok");
    EXPECT_EQ(w->findChild<QPushButton*>("CmdCancel")->text(), "Отмена");
}

TEST_F(PayeeWindow, GoodDetailsAreStoredCleanAndComeBack)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    frmRekv* w = openPayee(form);
    typeGoodDetails(w);
    type(w->txtNazn, QStringLiteral("Свет за {месяц} {год}, участок {номер}"));
    w->findChild<QPushButton*>("CmdOk")->click();
    EXPECT_TRUE(dialogs.shown.isEmpty());
    QApplication::processEvents();
    EXPECT_EQ(form->findChild<frmRekv*>(), nullptr);

    EXPECT_EQ(setting("Name", settings::Payee), "СНТ «Ромашка»");
    EXPECT_EQ(setting("PersonalAcc", settings::Payee), "40702810900000000025");
    EXPECT_EQ(setting("BankName", settings::Payee), "ПАО «Примербанк»");
    EXPECT_EQ(setting("BIC", settings::Payee), "044514512");
    EXPECT_EQ(setting("CorrespAcc", settings::Payee), "30101817000000000512");
    EXPECT_EQ(setting("PayeeINN", settings::Payee), "7707083893");
    EXPECT_EQ(setting("KPP", settings::Payee), "770701001");
    EXPECT_EQ(setting("Purpose", settings::Payee), "Свет за {месяц} {год}, участок {номер}");

    const documents::PayeeDetails read = documents::readPayee(settings);
    EXPECT_EQ(read.personalAcc, "40702810900000000025");
    EXPECT_TRUE(documents::payeeComplete(read));

    frmRekv* again = openPayee(form);
    EXPECT_EQ(again->txtAcc->text(), "40702810900000000025");
    EXPECT_EQ(again->txtKPP->text(), "770701001");
    EXPECT_EQ(again->txtNazn->text(), "Свет за {месяц} {год}, участок {номер}");
}

TEST_F(PayeeWindow, ABadFieldIsNamedFocusedAndNothingIsStored)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    frmRekv* w = openPayee(form);
    w->show();
    QApplication::setActiveWindow(w);
    typeGoodDetails(w);
    type(w->txtKS, QStringLiteral("30101817000000000513")); // one digit wrong
    type(w->txtINN, QStringLiteral("123")); // and a later field wrong too
    w->findChild<QPushButton*>("CmdOk")->click();
    ASSERT_EQ(dialogs.shown.size(), 1);
    EXPECT_EQ(dialogs.shown[0].text,
        "Корреспондентский счет: не сходится контрольный ключ с БИК банка. Проверьте номер счета и БИК.");
    EXPECT_EQ(dialogs.shown[0].title, "Ошибка ввода");
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Critical);
    EXPECT_EQ(QApplication::focusWidget(), w->txtKS);
    EXPECT_TRUE(w->isVisible());
    for (const char* key : { "Name", "PersonalAcc", "CorrespAcc", "PayeeINN", "Purpose" })
        EXPECT_EQ(setting(key, settings::Payee), "<none>") << key;

    type(w->txtKS, QStringLiteral("30101817000000000512"));
    w->findChild<QPushButton*>("CmdOk")->click();
    ASSERT_EQ(dialogs.shown.size(), 2);
    EXPECT_EQ(dialogs.shown[1].text,
        "ИНН: должен состоять из 10 цифр (организация) или 12 цифр (физическое лицо).");
    EXPECT_EQ(QApplication::focusWidget(), w->txtINN);
    EXPECT_EQ(setting("Name", settings::Payee), "<none>");
}

TEST_F(PayeeWindow, EnterIsOkAndEscapeCancels)
{
    writeDatabase({ { "1", "Иванов" } });
    settings.setValue(settings::Payee, "Name", "СНТ «Прежнее»");
    Form1* form = start();
    frmRekv* w = openPayee(form);
    w->show();
    typeGoodDetails(w);
    QTest::keyClick(w->txtName, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(form->findChild<frmRekv*>(), nullptr);
    EXPECT_EQ(setting("Name", settings::Payee), "СНТ «Прежнее»");
    EXPECT_EQ(setting("BIC", settings::Payee), "<none>");

    w = openPayee(form);
    w->show();
    EXPECT_EQ(w->txtName->text(), "СНТ «Прежнее»");
    typeGoodDetails(w);
    QTest::keyClick(w->txtKPP, Qt::Key_Return);
    EXPECT_EQ(setting("Name", settings::Payee), "СНТ «Ромашка»");
    EXPECT_EQ(setting("BIC", settings::Payee), "044514512");
}

TEST_F(PayeeWindow, StoredDetailsThatFailAreShownWithWhatIsWrong)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    {
        frmRekv* w = openPayee(form);
        EXPECT_FALSE(w->findChild<QLabel*>("lblFault")->isVisibleTo(w)) << "nothing stored is no fault";
        w->close();
        QApplication::processEvents();
    }
    // Good details, then the settings file edited by hand.
    frmRekv* w = openPayee(form);
    typeGoodDetails(w);
    w->findChild<QPushButton*>("CmdOk")->click();
    QApplication::processEvents();
    const struct
    {
        const char* key;
        QString value;
        QString fault;
        const char* box;
    } cases[] = {
        { "KPP", "12", "КПП: должен состоять из 9 цифр или остаться пустым.", "txtKPP" },
        { "Name", "СНТ|Sum=1", "Наименование получателя: знак «|» недопустим.", "txtName" },
        { "Purpose", "Свет\nза {месяц}",
            "Назначение платежа: перевод строки и другие управляющие символы недопустимы.", "txtNazn" },
    };
    for (const auto& c : cases) {
        const QString before = setting(c.key, settings::Payee);
        settings.setValue(settings::Payee, c.key, c.value);
        w = openPayee(form);
        w->show();
        QApplication::setActiveWindow(w);
        const QLabel* fault = w->findChild<QLabel*>("lblFault");
        EXPECT_TRUE(fault->isVisible()) << c.key;
        EXPECT_EQ(fault->text(), "Квитанции печатаются без QR-кода. " + c.fault);
        EXPECT_EQ(QApplication::focusWidget(), w->findChild<QLineEdit*>(c.box)) << c.key;
        EXPECT_TRUE(dialogs.shown.isEmpty());
        // Ok refuses it as it refuses the same typed.
        w->findChild<QPushButton*>("CmdOk")->click();
        ASSERT_EQ(dialogs.shown.size(), 1);
        EXPECT_EQ(dialogs.shown[0].text, c.fault);
        dialogs.shown.clear();
        w->close();
        QApplication::processEvents();
        settings.setValue(settings::Payee, c.key, before);
    }
    // Blanks around a hand-edited value are what the window takes out of typing anyway.
    settings.setValue(settings::Payee, "BIC", " 044 514 512 ");
    w = openPayee(form);
    EXPECT_FALSE(w->findChild<QLabel*>("lblFault")->isVisibleTo(w));
    EXPECT_EQ(w->txtBIC->text(), "044514512");
}

TEST_F(PayeeWindow, TabGoesDownTheFieldsToTheButtons)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    frmRekv* w = openPayee(form);
    w->show();
    QApplication::setActiveWindow(w);
    w->txtName->setFocus();
    const QWidget* expected[] = { w->txtName, w->txtAcc, w->txtBank, w->txtBIC, w->txtKS, w->txtINN,
        w->txtKPP, w->txtNazn, w->findChild<QPushButton*>("CmdOk"), w->findChild<QPushButton*>("CmdCancel") };
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(QApplication::focusWidget(), expected[i]) << i;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
}

} // namespace
