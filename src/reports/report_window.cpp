#include "reports/report_window.h"

#include "documents/page_widgets.h"
#include "reports/report_page.h"
#include "reports/report_workbook.h"
#include "session/app_state.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

ReportWindow::ReportWindow(AppState& state, const QString& name, const QString& title,
    const QString& pageName, PageOrientation orientation, QWidget* parent)
    : QWidget(parent, Qt::Window), m_state(state), m_pageName(pageName), m_orientation(orientation)
{
    setObjectName(name);
    setWindowTitle(state.windowTitle(title));

    m_grid = new QTableWidget(this);
    m_grid->setObjectName(QStringLiteral("g"));
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setWordWrap(false);
    m_grid->setTabKeyNavigation(false);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setStretchLastSection(true);

    m_print = new QPushButton(QStringLiteral("Печать"), this);
    m_print->setObjectName(QStringLiteral("CmdPrint"));
    m_export = new QPushButton(QStringLiteral("В Excel"), this);
    m_export->setObjectName(QStringLiteral("CmdExport"));
    m_close = new QPushButton(QStringLiteral("Закрыть"), this);
    m_close->setObjectName(QStringLiteral("CmdClose"));
    connect(m_print, &QPushButton::clicked, this, &ReportWindow::CmdPrint_Click);
    connect(m_export, &QPushButton::clicked, this, &ReportWindow::CmdExport_Click);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    auto* print = new QShortcut(QKeySequence::Print, this);
    connect(print, &QShortcut::activated, this, &ReportWindow::CmdPrint_Click);

    m_top = new QVBoxLayout;
    m_top->setSpacing(6);
    m_body = new QHBoxLayout;
    m_body->addWidget(m_grid, 1);
    m_buttons = new QHBoxLayout;
    m_buttons->addStretch(1);
    m_buttons->addWidget(m_print);
    m_buttons->addWidget(m_export);
    m_buttons->addWidget(m_close);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(8);
    layout->addLayout(m_top);
    layout->addLayout(m_body, 1);
    layout->addLayout(m_buttons);
}

void ReportWindow::showReport(reports::ReportTable report)
{
    m_report = std::move(report);
    reports::fillReportGrid(m_grid, m_report);
    // The columns as wide as on paper, the last one taking the rest of the window.
    int width = 2 * m_grid->frameWidth() + m_grid->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < int(m_report.columns.size()); ++c) {
        const int w = documents::px(m_report.columns[std::size_t(c)].twips);
        m_grid->setColumnWidth(c, w);
        width += w;
    }
    m_grid->setMinimumWidth(width);
}

void ReportWindow::CmdPrint_Click()
{
    if (!takeTyped())
        return;
    openReportPrint(m_state, this, new ReportPage(m_state, m_report, m_orientation, m_pageName, fileName()));
}

void ReportWindow::CmdExport_Click()
{
    if (!takeTyped())
        return;
    exportReportWorkbook(m_state, m_report, fileName(), m_orientation == PageOrientation::Landscape);
}

void ReportWindow::closeEvent(QCloseEvent* event)
{
    if (!takeTyped()) {
        event->ignore();
        return;
    }
    event->accept();
}
