#include "reports/summary_window.h"

#include "platform/dialogs.h"
#include "platform/read_only_input.h"
#include "session/app_state.h"
#include "session/year_selector.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QValueAxis>

namespace {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string kwhText(Currency value)
{
    return value.plainText();
}

std::string moneyShown(Currency value)
{
    const std::string text = moneyText(value);
    return text.empty() ? "0,00" : text;
}

std::string percentText(const std::optional<double>& percent)
{
    if (!percent)
        return {};
    return QString::number(*percent, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(',')).toStdString();
}

const QStringList ShortMonths
    = { QStringLiteral("янв"), QStringLiteral("фев"), QStringLiteral("мар"), QStringLiteral("апр"),
          QStringLiteral("май"), QStringLiteral("июн"), QStringLiteral("июл"), QStringLiteral("авг"),
          QStringLiteral("сен"), QStringLiteral("окт"), QStringLiteral("ноя"), QStringLiteral("дек") };

} // namespace

frmSummary::frmSummary(AppState& state, const QString& year, QWidget* parent)
    : ReportWindow(state, QStringLiteral("frmSummary"), QStringLiteral("Сводка за месяц"),
        QStringLiteral("frmPrintSummary"), PageOrientation::Portrait, parent)
{
    auto* selectors = new QHBoxLayout;
    auto* yearCaption = new QLabel(QStringLiteral("Год"), this);
    m_year = new QComboBox(this);
    m_year->setObjectName(QStringLiteral("CmbYear"));
    addHeldYears(*m_year, m_state.table.years());
    m_year->setCurrentIndex(std::max(0, m_year->findText(year)));
    yearCaption->setBuddy(m_year);
    auto* monthCaption = new QLabel(QStringLiteral("Месяц"), this);
    m_month = new QComboBox(this);
    m_month->setObjectName(QStringLiteral("CmbMonth"));
    for (std::string_view name : fields::MonthNames)
        m_month->addItem(fromStd(name));
    monthCaption->setBuddy(m_month);
    m_shownYear = chosenYear();
    m_m = reports::latestMonthWithReadings(m_state.table, m_shownYear);
    m_month->setCurrentIndex(m_m - 1);
    connect(m_year, &QComboBox::activated, this, &frmSummary::Cmb_Click);
    connect(m_month, &QComboBox::activated, this, &frmSummary::Cmb_Click);
    selectors->addWidget(yearCaption);
    selectors->addWidget(m_year);
    selectors->addSpacing(16);
    selectors->addWidget(monthCaption);
    selectors->addWidget(m_month);
    selectors->addStretch(1);
    top()->addLayout(selectors);

    auto* supplier = new QGroupBox(QStringLiteral("Данные поставщика за месяц"), this);
    supplier->setObjectName(QStringLiteral("frameSupplier"));
    auto* boxes = new QHBoxLayout(supplier);
    auto* kwhCaption = new QLabel(QStringLiteral("По общему счетчику, кВт*Ч:"), supplier);
    m_kwh = new QLineEdit(supplier);
    m_kwh->setObjectName(QStringLiteral("txtSupplierKwh"));
    auto* billCaption = new QLabel(QStringLiteral("Счет поставщика, р.:"), supplier);
    m_bill = new QLineEdit(supplier);
    m_bill->setObjectName(QStringLiteral("txtSupplierBill"));
    for (QLineEdit* box : { m_kwh, m_bill }) {
        box->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        box->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000000000,00")) + 16);
        connect(box, &QLineEdit::editingFinished, this, &frmSummary::takeSupplierFigures);
        if (m_state.archiveView())
            refuseChanges(box, [this] { m_state.refuseInArchive(); });
    }
    kwhCaption->setBuddy(m_kwh);
    billCaption->setBuddy(m_bill);
    boxes->addWidget(kwhCaption);
    boxes->addWidget(m_kwh);
    boxes->addSpacing(16);
    boxes->addWidget(billCaption);
    boxes->addWidget(m_bill);
    boxes->addStretch(1);
    top()->addWidget(supplier);

    auto* chart = new QChart;
    chart->setBackgroundBrush(Qt::white);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart = new QChartView(chart, this);
    m_chart->setObjectName(QStringLiteral("ctlChart"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumSize(420, 300);
    body()->addWidget(m_chart, 1);
    // The chart stands right of the grid: the Tab key reaches it after the grid.
    setTabOrder(grid(), m_chart);

    loadSupplierFile();
    m_summary = reports::summariseYear(m_state.table, m_shownYear);
    showSupplierFigures();
    showSummary();
    drawChart();
    resize(1180, 660);
}

void frmSummary::loadSupplierFile()
{
    const QString database = QDir::toNativeSeparators(m_state.databaseFilePath());
    m_supplierPath = reports::supplierFilePath(database.toStdString());
    const reports::SupplierFile file = reports::loadSupplierFigures(m_supplierPath);
    using Status = reports::SupplierFile::Status;
    if (file.status == Status::Loaded || file.status == Status::Missing) {
        m_figures = file.figures;
        return;
    }
    // A file the program cannot read is left as it is: writing would lose what it holds.
    m_figuresKept = false;
    const QString path = QString::fromStdString(m_supplierPath);
    const QString text = file.status == Status::BadLine
        ? QStringLiteral("Строка № %1 файла %2 содержит ошибку.").arg(file.line).arg(path)
        : QStringLiteral("Не удалось прочитать файл %1.").arg(path);
    m_state.services.dialogs.message({ text
            + QStringLiteral(" Данные поставщика не показываются и не записываются, пока файл не исправлен."),
        QStringLiteral("Данные поставщика"), MessageIcon::Exclamation });
    for (QLineEdit* box : { m_kwh, m_bill })
        box->setEnabled(false);
}

void frmSummary::showSupplierFigures()
{
    const reports::SupplierMonth figures = m_figures.month(m_shownYear, m_m);
    m_kwh->setText(QString::fromStdString(figures.kwh));
    m_bill->setText(QString::fromStdString(figures.bill));
}

bool frmSummary::takeSupplierFigures()
{
    // The figures beside an archive stay as the archive has them.
    if (!m_figuresKept || m_taking || m_state.archiveView())
        return true;
    const reports::SupplierMonth stored = m_figures.month(m_shownYear, m_m);
    const std::optional<std::string> kwh = reports::typedFigure(m_kwh->text().toStdString());
    const std::optional<std::string> bill = reports::typedFigure(m_bill->text().toStdString());
    // The box that just lost the focus to a message box must not ask again.
    m_taking = true;
    bool taken = true;
    if (!kwh || !bill) {
        showSupplierFigures();
        m_state.services.dialogs.message(
            { QStringLiteral("Введите число не меньше нуля, например 12500 или 87500,50"),
                QStringLiteral("Ошибка ввода"), MessageIcon::Exclamation });
        taken = false;
    } else if (*kwh != stored.kwh || *bill != stored.bill) {
        reports::SupplierFigures changed = m_figures;
        changed.setMonth(m_shownYear, m_m, { *kwh, *bill });
        std::string error;
        if (reports::saveSupplierFigures(m_supplierPath, changed, &error)) {
            m_figures = changed;
            showSupplierFigures();
            showSummary();
        } else {
            showSupplierFigures();
            m_state.services.dialogs.message(
                { QStringLiteral("Не удалось записать данные поставщика в файл %1")
                        .arg(QString::fromStdString(m_supplierPath)),
                    QStringLiteral("Ошибка сохранения"), MessageIcon::Exclamation });
            taken = false;
        }
    } else {
        showSupplierFigures();
    }
    m_taking = false;
    return taken;
}

bool frmSummary::takeTyped()
{
    return takeSupplierFigures();
}

int frmSummary::chosenYear() const
{
    return m_state.table.years().first() + std::max(0, m_year->currentIndex());
}

void frmSummary::Cmb_Click()
{
    if (!takeSupplierFigures()) {
        // The month shown stays until its figures are right.
        m_year->setCurrentIndex(m_shownYear - m_state.table.years().first());
        m_month->setCurrentIndex(m_m - 1);
        return;
    }
    if (const int year = chosenYear(); year != m_shownYear) {
        m_shownYear = year;
        m_summary = reports::summariseYear(m_state.table, m_shownYear);
        drawChart();
    }
    m_m = m_month->currentIndex() + 1;
    showSupplierFigures();
    showSummary();
}

void frmSummary::showSummary()
{
    const reports::Figures& month = m_summary.months[std::size_t(m_m - 1)];
    const reports::Figures year = reports::yearSoFar(m_summary, m_m);
    const QString monthName = fromStd(fields::MonthNames[std::size_t(m_m - 1)]);
    const QString yearName = QString::number(m_shownYear);

    reports::ReportTable report;
    report.title = "Сводка за месяц";
    report.subtitle = (monthName + QLatin1Char(' ') + yearName).toStdString();
    report.notes.push_back("Энергия и её оплата — по листам учета, остальное — по лицевому счету.");
    using reports::ColumnKind;
    report.columns
        = { { "Показатель", ColumnKind::Text, 4700 }, { monthName.toStdString(), ColumnKind::Number, 1700 },
              { "С начала года", ColumnKind::Number, 1700 } };
    const auto row = [&](const char* caption, std::string a, std::string b, ColumnKind kind) {
        report.rows.push_back({ caption, std::move(a), std::move(b) });
        report.rowKinds.push_back(kind);
    };
    const auto kwhRow = [&](const char* caption, Currency a, Currency b) {
        row(caption, kwhText(a), kwhText(b), ColumnKind::Number);
    };
    const auto moneyRow = [&](const char* caption, Currency a, Currency b) {
        row(caption, moneyShown(a), moneyShown(b), ColumnKind::Money);
    };
    row("Абонентов с показаниями", std::to_string(month.withReadings), std::to_string(year.withReadings),
        ColumnKind::Number);
    kwhRow("Расход по счетчикам, кВт*Ч", month.consumption, year.consumption);
    kwhRow("Уличное освещение, кВт*Ч", month.lighting, year.lighting);
    kwhRow("Потери, кВт*Ч", month.losses, year.losses);
    kwhRow("К оплате, кВт*Ч", month.toPay, year.toPay);
    moneyRow("За эл. энергию, р.", month.energyMoney, year.energyMoney);
    moneyRow("Обслуж. эл. сетей, р.", month.service, year.service);
    moneyRow("Итого начислено за эл. энергию, р.", month.charged, year.charged);
    moneyRow("Прочие начисления (ЗП электрику, прочее), р.", month.otherCharges, year.otherCharges);
    moneyRow("Получено, р.", month.received, year.received);
    moneyRow("Долг на конец месяца, р.", month.debt, year.debt);
    moneyRow("Переплата на конец месяца, р.", month.overpayment, year.overpayment);

    const reports::SupplierComparison monthSupplier
        = reports::compareMonth(m_summary, m_figures, m_shownYear, m_m);
    const reports::SupplierComparison yearSupplier
        = reports::compareYearSoFar(m_summary, m_figures, m_shownYear, m_m);
    const reports::Uncovered monthGap = reports::uncovered(monthSupplier);
    const reports::Uncovered yearGap = reports::uncovered(yearSupplier);
    const auto optionalKwh = [](const std::optional<Currency>& v) { return v ? kwhText(*v) : std::string(); };
    const auto optionalMoney
        = [](const std::optional<Currency>& v) { return v ? moneyShown(*v) : std::string(); };
    row("Поставщик: по общему счетчику, кВт*Ч", optionalKwh(monthSupplier.supplierKwh),
        optionalKwh(yearSupplier.supplierKwh), ColumnKind::Number);
    row("Не покрыто начислениями, кВт*Ч", optionalKwh(monthGap.kwh), optionalKwh(yearGap.kwh),
        ColumnKind::Number);
    row("Не покрыто начислениями, % кВт*Ч", percentText(monthGap.kwhPercent), percentText(yearGap.kwhPercent),
        ColumnKind::Number);
    row("Поставщик: счет, р.", optionalMoney(monthSupplier.supplierBill),
        optionalMoney(yearSupplier.supplierBill), ColumnKind::Money);
    row("Не покрыто начислениями за эл. энергию, р.", optionalMoney(monthGap.roubles),
        optionalMoney(yearGap.roubles), ColumnKind::Money);
    row("Не покрыто начислениями, % суммы счета", percentText(monthGap.roublesPercent),
        percentText(yearGap.roublesPercent), ColumnKind::Number);
    if (!m_figuresKept)
        report.notes.push_back(
            "Данные поставщика не прочитаны: файл " + m_supplierPath + " содержит ошибку.");
    else
        report.notes.push_back("С начала года: данные поставщика против начислений тех же месяцев.");
    showReport(std::move(report));
}

void frmSummary::drawChart()
{
    QChart* chart = m_chart->chart();
    chart->removeAllSeries();
    for (QAbstractAxis* axis : chart->axes())
        chart->removeAxis(axis);
    chart->setTitle(
        QStringLiteral("К оплате, кВт*Ч и получено, р. по месяцам ") + QString::number(m_shownYear));

    m_kwhBars = new QBarSet(QStringLiteral("К оплате, кВт*Ч"));
    m_moneyBars = new QBarSet(QStringLiteral("Получено, р."));
    double kwhTop = 0;
    double moneyTop = 0;
    for (const reports::Figures& f : m_summary.months) {
        m_kwhBars->append(f.toPay.toDouble());
        m_moneyBars->append(f.received.toDouble());
        kwhTop = std::max(kwhTop, f.toPay.toDouble());
        moneyTop = std::max(moneyTop, f.received.toDouble());
    }
    m_kwhBars->setColor(QColor(0x2E, 0x6F, 0xB7));
    m_moneyBars->setColor(QColor(0xE0, 0x8A, 0x1E));
    // Two series on two scales: the chart sets their bars side by side in every month.
    auto* kwhSeries = new QBarSeries;
    kwhSeries->append(m_kwhBars);
    auto* moneySeries = new QBarSeries;
    moneySeries->append(m_moneyBars);
    chart->addSeries(kwhSeries);
    chart->addSeries(moneySeries);

    auto* months = new QBarCategoryAxis;
    months->append(ShortMonths);
    auto* kwhAxis = new QValueAxis;
    kwhAxis->setRange(0, kwhTop > 0 ? kwhTop * 1.1 : 1);
    kwhAxis->applyNiceNumbers();
    kwhAxis->setLabelFormat(QStringLiteral("%.0f"));
    kwhAxis->setTitleText(QStringLiteral("кВт*Ч"));
    auto* moneyAxis = new QValueAxis;
    moneyAxis->setRange(0, moneyTop > 0 ? moneyTop * 1.1 : 1);
    moneyAxis->applyNiceNumbers();
    moneyAxis->setLabelFormat(QStringLiteral("%.0f"));
    moneyAxis->setTitleText(QStringLiteral("р."));
    chart->addAxis(months, Qt::AlignBottom);
    chart->addAxis(kwhAxis, Qt::AlignLeft);
    chart->addAxis(moneyAxis, Qt::AlignRight);
    for (QBarSeries* series : { kwhSeries, moneySeries }) {
        series->attachAxis(months);
        series->setBarWidth(0.9);
    }
    kwhSeries->attachAxis(kwhAxis);
    moneySeries->attachAxis(moneyAxis);
}

QString frmSummary::fileName() const
{
    return QStringLiteral("Сводка %1 %2")
        .arg(fromStd(fields::MonthNames[std::size_t(m_m - 1)]), QString::number(m_shownYear));
}
