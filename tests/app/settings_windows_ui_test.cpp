#include "app/colour_window.h"
#include "app/main_window.h"
#include "app/save_settings_window.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>

namespace {

using SettingsWindows = AppFixture;

template <typename Window> Window* openFrom(Form1* form, const char* action)
{
    form->findChild<QAction*>(action)->trigger();
    auto* window = form->findChild<Window*>();
    EXPECT_NE(window, nullptr);
    return window;
}

void click(QWidget* window, const char* button)
{
    window->findChild<QPushButton*>(button)->click();
}

QColor oddRowColour(Form1* form)
{
    return form->sheet()->typed(1, 3)->palette().color(QPalette::Base);
}

TEST_F(SettingsWindows, TurningAutosaveOffStopsTheTimerAtOnceAndIsStored)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    auto* window = openFrom<frmTunSave>(form, "Menu_Tuns_Save");
    EXPECT_EQ(window->windowTitle(), "Параметры сохранения");
    EXPECT_EQ(window->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(window->ChSave1->isChecked());
    window->ChSave1->setChecked(false);
    click(window, "CmdOk");
    EXPECT_EQ(state.AutosaveEnabled, 0);
    EXPECT_FALSE(form->timer2()->isActive());
    EXPECT_EQ(setting("flSave"), "0");
}

TEST_F(SettingsWindows, ClosingTheSaveWindowStoresTheFlagUnchanged)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    auto* window = openFrom<frmTunSave>(form, "Menu_Tuns_Save");
    window->ChSave1->setChecked(false); // without Ok
    window->close();
    EXPECT_EQ(state.AutosaveEnabled, 1);
    EXPECT_TRUE(form->timer2()->isActive());
    EXPECT_EQ(setting("flSave"), "1");
}

TEST_F(SettingsWindows, FirstOkOfTheColourWindowStoresTheDefaults)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    auto* window = openFrom<frmColor>(form, "Menu_Tuns_Coloor");
    EXPECT_EQ(window->windowTitle(), "Настройка цвета таблицы");
    click(window, "CmdOk");
    EXPECT_EQ(setting("Color1"), "16777152");
    EXPECT_EQ(setting("Color2"), "16776960");
    EXPECT_EQ(setting("Color3"), "65535");
}

TEST_F(SettingsWindows, AChosenColourPaintsTheRowsOnlyAfterOk)
{
    writeDatabase({ { "1", "Иванов" } });
    Form1* form = start();
    auto* window = openFrom<frmColor>(form, "Menu_Tuns_Coloor");
    dialogs.colours = { quint32(0x00204060) };
    click(window, "Cmd1");
    EXPECT_EQ(window->W1, 0x00204060u);
    EXPECT_EQ(oddRowColour(form), QColor(0xC0, 0xFF, 0xFF)); // not yet
    click(window, "CmdOk");
    EXPECT_EQ(oddRowColour(form), QColor(0x60, 0x40, 0x20));
    EXPECT_EQ(setting("Color1"), QString::number(0x00204060));

    // The next start paints with the stored colour.
    form->close();
    program.reset(); // the run ends and gives the database up
    Program again(state);
    ASSERT_TRUE(again.start());
    EXPECT_EQ(oddRowColour(again.mainWindow()), QColor(0x60, 0x40, 0x20));
}

TEST_F(SettingsWindows, DefaultsWithoutOkChangeNothing)
{
    writeDatabase({ { "1", "Иванов" } });
    settings.setValue(settings::Main, "Color1", QString::number(0x00204060));
    Form1* form = start();
    auto* window = openFrom<frmColor>(form, "Menu_Tuns_Coloor");
    dialogs.colours = { std::nullopt }; // a cancelled colour dialog keeps the working colour
    click(window, "Cmd2");
    EXPECT_EQ(window->W2, 0x00FFFF00u);
    click(window, "CmdUmolch");
    EXPECT_EQ(window->W1, 0x00FFFFC0u);
    window->close();
    EXPECT_EQ(state.RowColourOdd, 0x00204060u);
    EXPECT_EQ(oddRowColour(form), QColor(0x60, 0x40, 0x20));
    EXPECT_EQ(setting("Color1"), QString::number(0x00204060));
}

TEST_F(SettingsWindows, UnreadableStoredColoursFallBackToTheDefaults)
{
    writeDatabase({ { "1", "Иванов" } });
    settings.setValue(settings::Main, "Color1", "");
    settings.setValue(settings::Main, "Color2", "зелёный");
    Form1* form = start();
    EXPECT_EQ(state.RowColourOdd, 0x00FFFFC0u);
    EXPECT_EQ(state.RowColourEven, 0x00FFFF00u);
    EXPECT_EQ(oddRowColour(form), QColor(0xC0, 0xFF, 0xFF));
}

} // namespace
