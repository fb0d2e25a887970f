#include "reports/check_window.h"

#include "session/app_state.h"
#include "session/year_selector.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString AllMonths = QStringLiteral("все месяцы");

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QString countText(sheet::FindingKind kind, int count)
{
    return fromStd(sheet::findingText(kind)) + QStringLiteral(": %1").arg(count);
}

} // namespace

frmCheck::frmCheck(AppState& state, const QString& year, QWidget* parent)
    : ReportWindow(state, QStringLiteral("frmCheck"), QStringLiteral("Проверка показаний"),
        QStringLiteral("frmPrintCheck"), PageOrientation::Landscape, parent)
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
    m_month->addItem(AllMonths);
    for (std::string_view name : fields::MonthNames)
        m_month->addItem(fromStd(name));
    monthCaption->setBuddy(m_month);
    connect(m_year, &QComboBox::activated, this, &frmCheck::Check);
    connect(m_month, &QComboBox::activated, this, &frmCheck::Check);
    selectors->addWidget(yearCaption);
    selectors->addWidget(m_year);
    selectors->addSpacing(16);
    selectors->addWidget(monthCaption);
    selectors->addWidget(m_month);
    selectors->addSpacing(24);
    m_total = new QLabel(this);
    m_total->setObjectName(QStringLiteral("lblTotal"));
    QFont bold = m_total->font();
    bold.setBold(true);
    m_total->setFont(bold);
    selectors->addWidget(m_total);
    selectors->addStretch(1);
    top()->addLayout(selectors);

    auto* counts = new QGridLayout;
    counts->setHorizontalSpacing(24);
    for (int kind = 0; kind < sheet::FindingKinds; ++kind) {
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("lblCount_%1").arg(kind));
        counts->addWidget(label, kind / 3, kind % 3);
        m_counts[std::size_t(kind)] = label;
    }
    counts->setColumnStretch(3, 1);
    top()->addLayout(counts);

    auto* hint = new QLabel(
        QStringLiteral("Двойной щелчок или Enter на строке — перейти к этому месяцу на листе учета."), this);
    hint->setObjectName(QStringLiteral("lblHint"));
    top()->addWidget(hint);

    grid()->installEventFilter(this);
    connect(grid(), &QTableWidget::cellDoubleClicked, this, [this](int row, int) { jumpTo(row); });

    Check();
    resize(1120, 640);
}

QString frmCheck::yearText() const
{
    return m_year->currentText();
}

QString frmCheck::monthText() const
{
    return m_month->currentText();
}

void frmCheck::Check()
{
    const std::optional<int> year = m_state.table.years().find(yearText().toStdString());
    const int month = m_month->currentIndex(); // 0: all months
    m_check = year ? sheet::checkReadings(m_state.table, *year, month) : sheet::ReadingCheck{};

    int total = 0;
    for (int kind = 0; kind < sheet::FindingKinds; ++kind) {
        const int count = m_check.counts[std::size_t(kind)];
        m_counts[std::size_t(kind)]->setText(countText(sheet::FindingKind(kind), count));
        total += count;
    }
    m_total->setText(
        total == 0 ? QStringLiteral("Замечаний нет") : QStringLiteral("Всего замечаний: %1").arg(total));

    reports::ReportTable report;
    report.title = "Проверка показаний";
    report.subtitle = (yearText() + QStringLiteral(" год, ") + monthText()).toStdString();
    std::string counts;
    for (int kind = 0; kind < sheet::FindingKinds; ++kind) {
        if (kind == 3) {
            report.notes.push_back(counts);
            counts.clear();
        }
        if (!counts.empty())
            counts += ";   ";
        counts += countText(sheet::FindingKind(kind), m_check.counts[std::size_t(kind)]).toStdString();
    }
    report.notes.push_back(counts);
    report.notes.push_back(m_total->text().toStdString());
    using reports::ColumnKind;
    report.columns = { { "№", ColumnKind::Text, 500 }, { "Фамилия И. О.", ColumnKind::Text, 2800 },
        { "Месяц", ColumnKind::Text, 1200 }, { "Что найдено", ColumnKind::Text, 3700 },
        { "Значения", ColumnKind::Text, 6500 } };
    for (const sheet::Finding& f : m_check.findings) {
        report.rows.push_back({ std::string(m_state.table.field(f.record, fields::Number)),
            std::string(m_state.table.field(f.record, fields::FullName)),
            std::string(fields::MonthNames[std::size_t(f.month - 1)]),
            std::string(sheet::findingText(f.kind)), f.values });
    }
    showReport(std::move(report));
    if (!m_check.findings.empty())
        grid()->setCurrentCell(0, 0);
}

void frmCheck::jumpTo(int row)
{
    if (row < 0 || row >= int(m_check.findings.size()))
        return;
    const sheet::Finding finding = m_check.findings[std::size_t(row)];
    const QString year = yearText();
    close();
    emit showOnSheet(finding.record, year, finding.month);
}

QString frmCheck::fileName() const
{
    return QStringLiteral("Проверка показаний %1 %2").arg(yearText(), monthText());
}

bool frmCheck::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == grid() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            jumpTo(grid()->currentRow());
            return true;
        }
    }
    return ReportWindow::eventFilter(watched, event);
}
