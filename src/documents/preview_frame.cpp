#include "documents/preview_frame.h"

#include "documents/document_output.h"
#include "platform/icons.h"
#include "session/app_state.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

// Page buttons: 435 × 315 twips, 480 apart, the first at 1320 from the left.
constexpr int ButtonWidth = 29;
constexpr int ButtonHeight = 21;
constexpr int ButtonSpacing = 3;
constexpr int FirstButtonLeft = 88;

QAction* toolbarAction(QToolBar* bar, const char* name, const QString& caption, const QIcon& icon)
{
    QAction* action = bar->addAction(icon, caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

SheetsPage::SheetsPage(AppState& state, QWidget* parent) : PreviewPage(parent), m_state(state)
{ }

void SheetsPage::printSheet()
{
    documents::printShownSheet(m_state, *this);
}

void SheetsPage::savePdf()
{
    documents::saveShownSheetPdf(m_state, *this);
}

void SheetsPage::printAll()
{
    documents::printAllSheets(m_state, *this);
}

void SheetsPage::savePdfAll()
{
    documents::saveAllSheetsPdf(m_state, *this);
}

MDIfrmPrint::MDIfrmPrint(const AppState& state, QWidget* parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("MDIfrmPrint"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_toolbar = addToolBar(QStringLiteral("Печать"));
    m_toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_toolbar->setMovable(false);
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* print = toolbarAction(m_toolbar, "Print", QStringLiteral("Печать"), pictureIcon(Picture::Print));
    print->setShortcut(QKeySequence::Print);
    m_printAll = toolbarAction(
        m_toolbar, "PrintAll", QStringLiteral("Печать всех листов"), pictureIcon(Picture::Print));
    QAction* pdf
        = toolbarAction(m_toolbar, "SavePdf", QStringLiteral("Сохранить в PDF"), pictureIcon(Picture::Save));
    m_savePdfAll = toolbarAction(
        m_toolbar, "SavePdfAll", QStringLiteral("Все листы в PDF"), pictureIcon(Picture::Save));
    QAction* close = toolbarAction(
        m_toolbar, "Delete", QStringLiteral("Закрыть"), style()->standardIcon(QStyle::SP_DialogCloseButton));
    connect(print, &QAction::triggered, this, [this] {
        if (m_page)
            m_page->printSheet();
    });
    connect(pdf, &QAction::triggered, this, [this] {
        if (m_page)
            m_page->savePdf();
    });
    connect(m_printAll, &QAction::triggered, this, [this] {
        if (m_page)
            m_page->printAll();
    });
    connect(m_savePdfAll, &QAction::triggered, this, [this] {
        if (m_page)
            m_page->savePdfAll();
    });
    connect(close, &QAction::triggered, this, &QWidget::close);

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(4);

    m_pageRow = new QWidget(central);
    m_pageRow->setObjectName(QStringLiteral("picPages"));
    auto* row = new QHBoxLayout(m_pageRow);
    row->setContentsMargins(FirstButtonLeft, 0, 8, 0);
    row->setSpacing(ButtonSpacing);
    for (int n = 1; n <= PageButtonCount; ++n) {
        auto* button = new QPushButton(QString::number(n), m_pageRow);
        button->setObjectName(QStringLiteral("Cmd1_%1").arg(n));
        button->setFixedSize(ButtonWidth, ButtonHeight);
        button->hide();
        connect(button, &QPushButton::clicked, this, [this, n] { Cmd1_Click(n); });
        row->addWidget(button);
        m_buttons[n - 1] = button;
    }
    m_buttons[0]->setEnabled(false);
    // Lists longer than twenty sheets are reached through the sheet selector.
    m_selectorCaption = new QLabel(QStringLiteral("Лист:"), m_pageRow);
    m_selectorCaption->setObjectName(QStringLiteral("lblPageSelector"));
    m_selector = new QSpinBox(m_pageRow);
    m_selector->setObjectName(QStringLiteral("PageSelector"));
    m_selector->setKeyboardTracking(false);
    m_selectorCaption->setBuddy(m_selector);
    m_selectorCaption->hide();
    m_selector->hide();
    connect(m_selector, &QSpinBox::valueChanged, this, &MDIfrmPrint::Cmd1_Click);
    row->addSpacing(12);
    row->addWidget(m_selectorCaption);
    row->addWidget(m_selector);
    row->addStretch(1);
    layout->addWidget(m_pageRow);

    m_area = new QScrollArea(central);
    m_area->setObjectName(QStringLiteral("pageArea"));
    m_area->setWidgetResizable(false);
    m_area->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_area->setBackgroundRole(QPalette::Dark);
    layout->addWidget(m_area, 1);
    setCentralWidget(central);
}

void MDIfrmPrint::setPage(PreviewPage* page)
{
    m_page = page;
    m_area->setWidget(page);
    setWindowTitle(m_state.windowTitle(page->frameCaption()));
    showPageButtons(page->sheetCount());
    m_pageRow->setVisible(page->sheetCount() > 0);
    // Only a page of sheets has more than its one sheet to print.
    m_printAll->setVisible(page->sheetCount() > 0);
    m_savePdfAll->setVisible(page->sheetCount() > 0);

    // As large as the page, as far as the screen allows.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const int chrome = 40 + (m_toolbar->isVisible() ? m_toolbar->sizeHint().height() : 0)
        + (page->sheetCount() > 0 ? ButtonHeight + 8 : 0);
    const int scrollBar = m_area->verticalScrollBar()->sizeHint().width();
    resize(qMin(page->width() + scrollBar + 8, screen.width() - 20),
        qMin(page->height() + chrome, screen.height() - 40));
}

void MDIfrmPrint::showPageButtons(int sheets)
{
    // Button 1 is always there; the others up to the sheet count, at most twenty.
    for (int n = 1; n <= PageButtonCount; ++n)
        m_buttons[n - 1]->setVisible(n == 1 || n <= sheets);
    const bool selector = sheets > PageButtonCount;
    m_selectorCaption->setVisible(selector);
    m_selector->setVisible(selector);
    const QSignalBlocker blocker(m_selector);
    m_selector->setRange(1, qMax(1, sheets));
    m_selector->setValue(1);
}

void MDIfrmPrint::markShownSheet(int n)
{
    m_shownSheet = n;
    for (int i = 1; i <= PageButtonCount; ++i)
        m_buttons[i - 1]->setEnabled(i != n);
    const QSignalBlocker blocker(m_selector);
    m_selector->setValue(n);
}

void MDIfrmPrint::Cmd1_Click(int n)
{
    if (!m_page || n < 1 || (m_page->sheetCount() > 0 && n > m_page->sheetCount()))
        return;
    markShownSheet(n);
    m_page->showSheet(n);
}

void MDIfrmPrint::hideToolbar()
{
    m_toolbar->hide();
}

void MDIfrmPrint::closeEvent(QCloseEvent* event)
{
    if (m_page)
        m_page->unload();
    event->accept();
}
