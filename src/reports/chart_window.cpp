#include "reports/chart_window.h"

#include "platform/colours.h"
#include "session/app_state.h"
#include "session/year_selector.h"
#include "sheet/sheet.h"

#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <QValueAxis>

namespace {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

constexpr int CurveWidth = 3;

} // namespace

frmGr1::frmGr1(AppState& state, const QString& subscriber, const QString& year, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state)
{
    setObjectName(QStringLiteral("frmGr1"));
    setWindowTitle(m_state.windowTitle(QStringLiteral("График")));

    auto* strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("picButtons"));
    for (int i = 0; i < 2; ++i) {
        m_cmb[i] = new QComboBox(strip);
        m_cmb[i]->setObjectName(QStringLiteral("Cmb1_%1").arg(i));
        connect(m_cmb[i], &QComboBox::activated, this, &frmGr1::Cmb1_Click);
    }
    m_cmb[0]->setMinimumWidth(260);
    m_cmb[0]->setMaxVisibleItems(25);
    auto* subscriberLabel = new QLabel(QStringLiteral("Абонент "), strip);
    subscriberLabel->setBuddy(m_cmb[0]);
    auto* yearLabel = new QLabel(QStringLiteral("Год"), strip);
    yearLabel->setBuddy(m_cmb[1]);

    m_draw = new QPushButton(QStringLiteral("Нарисовать"), strip);
    m_draw->setObjectName(QStringLiteral("CmdDraw"));
    m_draw->setToolTip(QStringLiteral("Нарисовать потребление выбранного абонента за выбранный год"));
    m_erase = new QPushButton(QStringLiteral("Стереть "), strip);
    m_erase->setObjectName(QStringLiteral("CmdErase"));
    m_erase->setToolTip(QStringLiteral("Стереть все кривые"));
    m_minus = new QPushButton(QStringLiteral("-"), strip);
    m_minus->setObjectName(QStringLiteral("Command1"));
    m_minus->setToolTip(QStringLiteral("Поднять верх шкалы на 100 кВт*ч"));
    m_plus = new QPushButton(QStringLiteral("+"), strip);
    m_plus->setObjectName(QStringLiteral("Command2"));
    m_plus->setToolTip(QStringLiteral("Опустить верх шкалы на 100 кВт*ч"));
    for (QPushButton* button : { m_minus, m_plus })
        button->setFixedWidth(button->sizeHint().height() + 8);
    connect(m_draw, &QPushButton::clicked, this, &frmGr1::CmdDraw_Click);
    connect(m_erase, &QPushButton::clicked, this, &frmGr1::CmdErase_Click);
    connect(m_minus, &QPushButton::clicked, this, &frmGr1::Command1_Click);
    connect(m_plus, &QPushButton::clicked, this, &frmGr1::Command2_Click);

    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(0, 0, 0, 0);
    stripLayout->addWidget(subscriberLabel);
    stripLayout->addWidget(m_cmb[0], 1);
    stripLayout->addSpacing(12);
    stripLayout->addWidget(yearLabel);
    stripLayout->addWidget(m_cmb[1]);
    stripLayout->addSpacing(12);
    stripLayout->addWidget(m_draw);
    stripLayout->addWidget(m_erase);
    stripLayout->addStretch(1);
    stripLayout->addWidget(m_minus);
    stripLayout->addWidget(m_plus);

    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setAnimationOptions(QChart::NoAnimation);
    // Under the plot, so that the months get the window's whole width.
    chart->legend()->setAlignment(Qt::AlignBottom);
    // Month 1 … 12 at its own tick, named; the axis runs on to 13 so that December is not at the
    // edge.
    m_axisX = new QCategoryAxis(chart);
    m_axisX->setRange(1, 13);
    m_axisX->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    for (int m = 1; m <= 12; ++m)
        m_axisX->append(fromStd(fields::MonthNames[std::size_t(m - 1)]), m);
    m_axisX->setTitleText(QStringLiteral("Месяц"));
    // The twelve names share the width of the plot: at the window's own font size none is cut.
    m_axisX->setLabelsFont(font());
    m_axisY = new QValueAxis(chart);
    // Five steps from 0 to the top; a scale taken below 0 for negative months goes on in the
    // same steps.
    m_axisY->setTickType(QValueAxis::TicksDynamic);
    m_axisY->setTickAnchor(0);
    m_axisY->setLabelFormat(QStringLiteral("%d"));
    m_axisY->setTitleText(QStringLiteral("кВт*ч"));
    chart->addAxis(m_axisX, Qt::AlignBottom);
    chart->addAxis(m_axisY, Qt::AlignLeft);

    m_view = new QChartView(chart, this);
    m_view->setObjectName(QStringLiteral("ctlChart1"));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumSize(400, 250);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(strip);
    layout->addWidget(m_view, 1);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    // The years, then every subscriber in record order; the window starts on the main window's
    // choice.
    const RecordTable& table = m_state.table;
    addHeldYears(*m_cmb[1], table.years());
    for (int row = 1; row <= table.recordCount(); ++row)
        m_cmb[0]->addItem(fromStd(table.field(row, fields::FullName)));
    m_cmb[0]->setCurrentIndex(m_cmb[0]->findText(subscriber));
    m_cmb[1]->setCurrentIndex(m_cmb[1]->findText(year));
    if (m_cmb[0]->currentIndex() >= 0)
        ChartRow = sheet::findRecord(table, subscriber.toStdString(), 0);

    applyScale();
    updateDrawButton();
    resize(1000, 640);
}

QChart* frmGr1::chart() const
{
    return m_view->chart();
}

void frmGr1::Cmb1_Click()
{
    // The first record of that name; an unknown name keeps the subscriber drawn so far.
    ChartRow = sheet::findRecord(m_state.table, m_cmb[0]->currentText().toStdString(), ChartRow);
    updateDrawButton();
}

void frmGr1::updateDrawButton()
{
    m_draw->setEnabled(ChartRow > 0 && m_cmb[1]->currentIndex() >= 0);
}

void frmGr1::CmdDraw_Click()
{
    const std::optional<int> year = m_state.table.years().find(m_cmb[1]->currentText().toStdString());
    if (ChartRow <= 0 || !year)
        return;
    const chart::MonthlyValues values = chart::monthlyValues(m_state.table, ChartRow, *year);
    if (CurveCount == 0)
        m_scale.fitFirstCurve(values);
    m_scale.showNegatives(values);
    ++CurveCount;

    auto* series = new QLineSeries;
    // Two years of one subscriber must be told apart in the legend.
    series->setName(QStringLiteral("%1, %2").arg(
        fromStd(m_state.table.field(ChartRow, fields::FullName)), m_cmb[1]->currentText()));
    QPen pen(fromWindowsColour(chart::curveColour(CurveCount)));
    pen.setWidth(CurveWidth);
    series->setPen(pen);
    series->setPointsVisible(true);
    for (int m = 1; m <= 12; ++m)
        series->append(m, values[static_cast<std::size_t>(m - 1)].toDouble());
    chart()->addSeries(series);
    series->attachAxis(m_axisX);
    series->attachAxis(m_axisY);
    applyScale();
}

void frmGr1::CmdErase_Click()
{
    chart()->removeAllSeries();
}

void frmGr1::Command1_Click()
{
    m_scale.raise();
    m_plus->setEnabled(true);
    applyScale();
}

void frmGr1::Command2_Click()
{
    m_scale.lower();
    m_plus->setEnabled(m_scale.canLower());
    applyScale();
}

void frmGr1::applyScale()
{
    m_axisY->setRange(double(m_scale.minimum()), double(m_scale.maximum()));
    m_axisY->setTickInterval(double(m_scale.maximum()) / 5);
}
