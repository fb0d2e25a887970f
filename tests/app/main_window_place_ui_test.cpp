// The main window's place and size between windows and runs, and how the sheet fills a larger
// window.

#include "app/main_window.h"
#include "directory/directory_window.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPointer>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

namespace {

class MainWindowPlace : public AppFixture
{
protected:
    static void settle()
    {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
    static void resizeTo(Form1* form, int width, int height)
    {
        form->resize(width, height);
        settle();
    }
};

TEST_F(MainWindowPlace, ComesBackWhereItWasAfterTheChartAndAfterTheDirectory)
{
    writeDemoDatabase(3);
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const QRect place(10, 20, 1100, 560);
    form->setGeometry(place);
    settle();

    form->findChild<QAction*>("Menu_Tools_Gr1")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(setting("Form1.Left"), "10");
    EXPECT_EQ(setting("Form1.Top"), "20");
    EXPECT_EQ(setting("Form1.Width"), "1100");
    EXPECT_EQ(setting("Form1.Height"), "560");
    // Whatever moved the hidden window meanwhile, it comes back to where the user left it.
    form->setGeometry(200, 150, 1024, 400);
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() == "frmGr1" && window->isVisible())
            window->close();
    }
    settle();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->geometry(), place);

    // The directory reloads a new main window: it opens at the same place too.
    const QPointer<Form1> first(form);
    form->findChild<QAction*>("Mnu_Abonenty")->trigger();
    settle();
    ASSERT_NE(program->directoryWindow(), nullptr);
    program->directoryWindow()->close();
    settle();
    Form1* reloaded = program->mainWindow();
    ASSERT_NE(reloaded, nullptr);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(reloaded->geometry(), place);
}

TEST_F(MainWindowPlace, APlaceOffEveryScreenOpensInTheMiddleOfTheScreen)
{
    writeDemoDatabase(3);
    settings.setValue(settings::Main, "Form1.Left", "5000");
    settings.setValue(settings::Main, "Form1.Top", "4000");
    settings.setValue(settings::Main, "Form1.Width", "1100");
    settings.setValue(settings::Main, "Form1.Height", "560");
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(form->geometry().topLeft()))
        << form->geometry().x() << "," << form->geometry().y();
    EXPECT_NEAR(form->geometry().center().y(), screen.center().y(), 2);
}

TEST_F(MainWindowPlace, OnAScreenNarrowerThanTheSheetTheYearsTotalsShowAboveTheScrollBar)
{
    writeDemoDatabase(3);
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    settle();
    auto* scroller = form->findChild<QScrollArea*>("sheetScroller");
    ASSERT_NE(scroller, nullptr);
    // The case looked at: the sheet is wider than the window can open on this screen.
    ASSERT_TRUE(scroller->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(scroller->verticalScrollBar()->isVisible());
    QWidget* totals = form->sheet()->computed(13, 7);
    const int bottom = totals->mapTo(scroller->viewport(), QPoint(0, totals->height())).y();
    EXPECT_LE(bottom, scroller->viewport()->height());
}

TEST_F(MainWindowPlace, AWiderWindowWidensTheColumnsAndKeepsTheRowsAtTheTop)
{
    writeDemoDatabase(3);
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    SheetView* sheet = form->sheet();
    auto* scroller = form->findChild<QScrollArea*>("sheetScroller");
    ASSERT_NE(scroller, nullptr);

    resizeTo(form, 1024, 640);
    EXPECT_EQ(form->width(), 1024);
    const QRect reading = sheet->typed(3, 1)->geometry();
    const QRect money = sheet->computed(3, 7)->geometry();
    const QRect totals = sheet->computed(13, 7)->geometry();
    const int sheetTop = sheet->mapTo(form, QPoint(0, 0)).y();
    // Narrow, the sheet keeps the room its captions need and the window scrolls sideways.
    EXPECT_GE(sheet->width(), sheet->minimumSizeHint().width());
    EXPECT_EQ(scroller->horizontalScrollBar()->isVisible(),
        scroller->widget()->minimumSizeHint().width() > scroller->viewport()->width());

    resizeTo(form, 1600, 1000);
    EXPECT_FALSE(scroller->horizontalScrollBar()->isVisible());
    EXPECT_GT(sheet->typed(3, 1)->width(), reading.width() * 5 / 4);
    EXPECT_GT(sheet->computed(3, 7)->width(), money.width() * 5 / 4);
    EXPECT_EQ(sheet->typed(3, 1)->height(), reading.height());
    EXPECT_EQ(sheet->computed(3, 7)->y(), money.y());
    EXPECT_EQ(sheet->computed(13, 7)->y(), totals.y());
    EXPECT_EQ(sheet->mapTo(form, QPoint(0, 0)).y(), sheetTop);
    // The room below the year's totals stays free.
    EXPECT_LT(sheet->mapTo(form, QPoint(0, sheet->height())).y(), form->height() - 200);

    // The window cannot be made narrower than that.
    resizeTo(form, 700, 640);
    EXPECT_EQ(form->width(), 1024);
}

TEST_F(MainWindowPlace, TypedCellsHaveAnEditFrameAndComputedOnesNoneBothInTheTableColours)
{
    writeDemoDatabase(3);
    settings.setValue(settings::Main, "Color1", QString::number(0x00C0E0F0));
    settings.setValue(settings::Main, "Color2", QString::number(0x00F0E0C0));
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    SheetView* sheet = form->sheet();
    const QColor odd(0xF0, 0xE0, 0xC0);
    const QColor even(0xC0, 0xE0, 0xF0);
    for (int m : { 1, 2 }) {
        const QColor row = m == 1 ? odd : even;
        for (int b = 0; b < 9; ++b) {
            EXPECT_TRUE(sheet->typed(m, b)->hasFrame()) << m << " " << b;
            EXPECT_EQ(sheet->typed(m, b)->palette().color(QPalette::Base), row) << m << " " << b;
        }
        for (int c = 0; c < 8; ++c) {
            EXPECT_FALSE(sheet->computed(m, c)->hasFrame()) << m << " " << c;
            EXPECT_EQ(sheet->computed(m, c)->palette().color(QPalette::Base), row) << m << " " << c;
        }
    }
}

} // namespace
