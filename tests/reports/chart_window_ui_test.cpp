#include "app/main_window.h"
#include "reports/chart_window.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QImage>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QToolButton>
#include <QValueAxis>

namespace {

class Chart : public AppFixture
{
protected:
    // Three subscribers with readings in 2025 (year index 5); the largest month of the first is
    // 730 kWh, of the second 1200 kWh.
    void writeReadings()
    {
        std::vector<std::string> a(fields::PerRecord), b(fields::PerRecord), c(3);
        a[0] = "1";
        a[1] = "Иванов И. И.";
        b[0] = "2";
        b[1] = "Петров П. П.";
        c[0] = "3";
        c[1] = "Иванов И. И."; // a namesake further down: the first record of a name is drawn
        put(a, 1, "10730", "10000");
        put(a, 2, "10625,5", "10600"); // the comma ends the number: 25
        put(b, 1, "1200", "0");
        put(b, 3, "50", "80"); // drawn below zero
        writeDatabase({ a, b, c });
    }

    frmGr1* openChart()
    {
        settings.setValue(settings::Main, "Cmb0", "Иванов И. И.");
        settings.setValue(settings::Main, "Cmb1", "2025");
        Form1* form = start();
        if (!form)
            return nullptr;
        form->findChild<QAction*>("Menu_Tools_Gr1")->trigger();
        return findChart();
    }

    static frmGr1* findChart()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* chart = qobject_cast<frmGr1*>(w); chart && chart->isVisible())
                return chart;
        return nullptr;
    }

    static void choose(QComboBox* combo, const QString& text)
    {
        const int index = combo->findText(text);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    static QList<QLineSeries*> curves(frmGr1* chart)
    {
        QList<QLineSeries*> result;
        for (QAbstractSeries* series : chart->chart()->series())
            result << qobject_cast<QLineSeries*>(series);
        return result;
    }

    static double top(frmGr1* chart)
    {
        return qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Vertical).first())->max();
    }

private:
    static void put(std::vector<std::string>& record, int month, const char* current, const char* previous)
    {
        const int base = fields::monthBase(5, month);
        record[base + fields::CurrentReading - 1] = current;
        record[base + fields::PreviousReading - 1] = previous;
    }
};

TEST_F(Chart, OpensOverTheMainWindowOnItsChoiceAndGivesItBackOnClose)
{
    writeReadings();
    frmGr1* chart = openChart();
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->windowTitle(), "График");
    EXPECT_FALSE(program->mainWindow()->isVisible());
    EXPECT_EQ(chart->subscriberCombo()->count(), 3);
    EXPECT_EQ(chart->subscriberCombo()->currentText(), "Иванов И. И.");
    EXPECT_EQ(chart->yearCombo()->count(), 8);
    EXPECT_EQ(chart->yearCombo()->currentText(), "2025");
    EXPECT_EQ(chart->ChartRow, 1);
    EXPECT_EQ(top(chart), 500);

    chart->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(findChart(), nullptr);
    EXPECT_TRUE(program->mainWindow()->isVisible());
}

TEST_F(Chart, TheButtonOfTheMainWindowOpensItToo)
{
    writeReadings();
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    form->findChild<QToolButton*>("Cmd4")->click();
    frmGr1* chart = findChart();
    ASSERT_NE(chart, nullptr);
    EXPECT_FALSE(form->isVisible());
    chart->close();
}

TEST_F(Chart, DrawsCurvesInThePalettesColoursAndOnlyTheFirstSetsTheScale)
{
    writeReadings();
    frmGr1* chart = openChart();
    ASSERT_NE(chart, nullptr);

    chart->findChild<QPushButton*>("CmdDraw")->click();
    EXPECT_EQ(top(chart), 800); // 730 kWh in January
    choose(chart->subscriberCombo(), "Петров П. П.");
    EXPECT_EQ(chart->ChartRow, 2);
    chart->findChild<QPushButton*>("CmdDraw")->click();
    EXPECT_EQ(top(chart), 800); // 1200 kWh does not move it

    const QList<QLineSeries*> drawn = curves(chart);
    ASSERT_EQ(drawn.size(), 2);
    EXPECT_EQ(drawn[0]->name(), "Иванов И. И., 2025");
    EXPECT_EQ(drawn[0]->pen().color(), QColor(255, 0, 0));
    EXPECT_EQ(drawn[0]->pen().width(), 3);
    EXPECT_EQ(drawn[1]->name(), "Петров П. П., 2025");
    EXPECT_EQ(drawn[1]->pen().color(), QColor(0, 0, 255));
    ASSERT_EQ(drawn[0]->count(), 12);
    EXPECT_EQ(drawn[0]->at(0), QPointF(1, 730));
    EXPECT_EQ(drawn[0]->at(1), QPointF(2, 25));
    EXPECT_EQ(drawn[0]->at(11), QPointF(12, 0));
    EXPECT_EQ(drawn[1]->at(2), QPointF(3, -30));
    EXPECT_EQ(qobject_cast<QValueAxis*>(chart->chart()->axes(Qt::Vertical).first())->min(), -100);

    // What the user sees: the curves in their colours on white.
    const QString picture = QString::fromStdString(folder.file("chart.png"));
    ASSERT_TRUE(chart->ctlChart1()->grab().save(picture));
    const QImage image(picture);
    ASSERT_FALSE(image.isNull());
    int red = 0, blue = 0, white = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QColor colour = image.pixelColor(x, y);
            red += colour == QColor(255, 0, 0);
            blue += colour == QColor(0, 0, 255);
            white += colour == QColor(255, 255, 255);
        }
    }
    EXPECT_GT(red, 50);
    EXPECT_GT(blue, 50);
    EXPECT_GT(white, image.width() * image.height() / 8);
    chart->close();
}

TEST_F(Chart, ErasingKeepsTheCountSoTheEleventhCurveIsRedAgain)
{
    writeReadings();
    frmGr1* chart = openChart();
    ASSERT_NE(chart, nullptr);
    auto* draw = chart->findChild<QPushButton*>("CmdDraw");
    draw->click();
    choose(chart->yearCombo(), "2024"); // no readings: a flat curve
    draw->click();
    chart->findChild<QPushButton*>("CmdErase")->click();
    EXPECT_TRUE(curves(chart).isEmpty());
    EXPECT_EQ(top(chart), 800);

    draw->click();
    ASSERT_EQ(curves(chart).size(), 1);
    EXPECT_EQ(curves(chart)[0]->pen().color(), QColor(0, 0x80, 0)); // the third colour: green
    EXPECT_EQ(top(chart), 800);
    for (int n = 4; n <= 11; ++n)
        draw->click();
    EXPECT_EQ(chart->CurveCount, 11);
    EXPECT_EQ(curves(chart).last()->pen().color(), QColor(255, 0, 0));
    chart->close();
}

TEST_F(Chart, MinusAndPlusMoveTheTopAndPlusStopsAtOneHundred)
{
    writeReadings();
    frmGr1* chart = openChart();
    ASSERT_NE(chart, nullptr);
    auto* minus = chart->findChild<QPushButton*>("Command1");
    auto* plus = chart->findChild<QPushButton*>("Command2");
    EXPECT_EQ(minus->text(), "-");
    EXPECT_EQ(plus->text(), "+");
    for (int i = 0; i < 4; ++i)
        plus->click();
    EXPECT_EQ(top(chart), 100);
    EXPECT_TRUE(plus->isEnabled());
    plus->click();
    EXPECT_EQ(top(chart), 100);
    EXPECT_FALSE(plus->isEnabled());
    minus->click();
    EXPECT_EQ(top(chart), 200);
    EXPECT_TRUE(plus->isEnabled());
    chart->close();
}

TEST_F(Chart, AnUnknownSubscriberLeavesNothingToDrawUntilOneIsChosen)
{
    writeReadings();
    Form1* form = start();
    ASSERT_NE(form, nullptr);
    form->subscriberSelector()->setEditText("Никто Н. Н.");
    form->findChild<QAction*>("Menu_Tools_Gr1")->trigger();
    frmGr1* chart = findChart();
    ASSERT_NE(chart, nullptr);
    EXPECT_EQ(chart->ChartRow, 0);
    auto* draw = chart->findChild<QPushButton*>("CmdDraw");
    EXPECT_FALSE(draw->isEnabled());
    choose(chart->subscriberCombo(), "Петров П. П.");
    EXPECT_TRUE(draw->isEnabled());
    chart->close();
}

TEST_F(Chart, TwoYearsOfOneSubscriberAreToldApartAndTheMonthsAreNamed)
{
    writeReadings();
    frmGr1* chart = openChart();
    ASSERT_NE(chart, nullptr);
    chart->findChild<QPushButton*>("CmdDraw")->click();
    choose(chart->yearCombo(), "2024");
    chart->findChild<QPushButton*>("CmdDraw")->click();

    QStringList legend;
    for (QLegendMarker* marker : chart->chart()->legend()->markers())
        legend << marker->label();
    EXPECT_EQ(legend, QStringList({ "Иванов И. И., 2025", "Иванов И. И., 2024" }));

    auto* months = qobject_cast<QCategoryAxis*>(chart->chart()->axes(Qt::Horizontal).value(0));
    ASSERT_NE(months, nullptr);
    EXPECT_EQ(months->categoriesLabels(),
        QStringList({ "Январь", "Февраль", "Март", "Апрель", "Май", "Июнь", "Июль", "Август", "Сентябрь",
            "Октябрь", "Ноябрь", "Декабрь" }));
    // Each name stands at its month's point of the curves.
    EXPECT_EQ(months->labelsPosition(), QCategoryAxis::AxisLabelsPositionOnValue);
    for (int m = 1; m <= 12; ++m)
        EXPECT_EQ(months->endValue(months->categoriesLabels()[m - 1]), m);
    EXPECT_EQ(curves(chart)[0]->at(0).x(), 1);
    chart->close();
}

} // namespace
