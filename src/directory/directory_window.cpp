#include "directory/directory_window.h"

#include "accounts/subscriber_menu.h"
#include "database/field_map.h"
#include "directory/add_subscriber_window.h"
#include "directory/directory.h"
#include "directory/directory_model.h"
#include "directory/directory_workbook.h"
#include "directory/edit_subscriber_window.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "platform/text_input.h"
#include "reports/help_command.h"
#include "session/app_state.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QMenu>
#include <QTableView>
#include <QVBoxLayout>

namespace {

constexpr int TwipsPerInch = 1440;

QString widthKey(int column)
{
    return QStringLiteral("CW(%1)").arg(column);
}

} // namespace

frmSpr::frmSpr(AppState& state, QWidget* parent) : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmSpr"));
    setWindowTitle(m_state.windowTitle(QStringLiteral("Справочник абоненты")));
    setAttribute(Qt::WA_DeleteOnClose);

    m_model = new DirectoryModel(m_state.table, this);
    g = new QTableView(this);
    g->setObjectName(QStringLiteral("g"));
    g->setModel(m_model);
    // The chosen subscriber is shown by the yellow row alone.
    g->setSelectionMode(QAbstractItemView::NoSelection);
    g->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g->setWordWrap(false);
    g->setTextElideMode(Qt::ElideRight);
    g->verticalHeader()->hide();
    g->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    g->verticalHeader()->setDefaultSectionSize(g->fontMetrics().height() + 6);
    g->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    g->horizontalHeader()->setHighlightSections(false);
    g->horizontalHeader()->setStretchLastSection(false);
    g->installEventFilter(this);
    // A right click chooses the row and offers what concerns that subscriber.
    g->setContextMenuPolicy(Qt::CustomContextMenu);
    m_rowMenu = subscriberMenu(m_state, this, [this] { return m_state.SelectedDirectoryRow; });
    connect(g, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex index = g->indexAt(at);
        if (!index.isValid())
            return;
        g_Click(index.row() + 1);
        m_rowMenu->popup(g->viewport()->mapToGlobal(at));
    });
    connect(g, &QTableView::clicked, this, [this](const QModelIndex& index) { g_Click(index.row() + 1); });
    connect(g, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        g_Click(index.row() + 1);
        Cmd2_Click();
    });
    // Moving through the rows with the keyboard chooses them as a click does.
    connect(
        g->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
            if (current.isValid() && current.row() + 1 != m_state.SelectedDirectoryRow)
                g_Click(current.row() + 1);
        });

    m_cmd1 = addButton("Cmd1", QStringLiteral("Добавить"));
    m_cmd2 = addButton("Cmd2", QStringLiteral("Правка"));
    m_cmdDel = addButton("CmdDel", QStringLiteral("Удалить"));
    connect(m_cmd1, &QPushButton::clicked, this, &frmSpr::Cmd1_Click);
    connect(m_cmd2, &QPushButton::clicked, this, &frmSpr::Cmd2_Click);
    connect(m_cmdDel, &QPushButton::clicked, this, &frmSpr::CmdDel_Click);

    auto* findLabel = new QLabel(QStringLiteral("Поиск по фамилии:"), this);
    findLabel->setObjectName(QStringLiteral("Label1"));
    txtfind = new QLineEdit(this);
    txtfind->setObjectName(QStringLiteral("txtfind"));
    txtfind->setMinimumWidth(txtfind->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 14);
    acceptOnlyStorableText(txtfind);
    txtfind->installEventFilter(this);
    findLabel->setBuddy(txtfind);
    m_cmdFind = addButton("Cmdfind", QStringLiteral("Найти"));
    m_cmdRes = addButton("CmdRes", QStringLiteral("Сбросить поиск"));
    connect(m_cmdFind, &QPushButton::clicked, this, &frmSpr::Cmdfind_Click);
    connect(m_cmdRes, &QPushButton::clicked, this, &frmSpr::CmdRes_Click);

    QPushButton* import = addButton("CmdImport", QStringLiteral("Импорт из Excel"));
    QPushButton* exportButton = addButton("Command1", QStringLiteral("Экспорт в Excel"));
    connect(import, &QPushButton::clicked, this, &frmSpr::CmdImport_Click);
    connect(exportButton, &QPushButton::clicked, this, &frmSpr::Command1_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_cmd1);
    buttons->addWidget(m_cmd2);
    buttons->addWidget(m_cmdDel);
    buttons->addSpacing(18);
    buttons->addWidget(findLabel);
    buttons->addWidget(txtfind, 1);
    buttons->addWidget(m_cmdFind);
    buttons->addWidget(m_cmdRes);
    buttons->addSpacing(18);
    buttons->addWidget(import);
    buttons->addWidget(exportButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 6);
    layout->addWidget(g, 1);
    layout->addLayout(buttons);
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(false);
    m_state.notices.showIn(bar);
    layout->addWidget(bar);

    auto* find = new QAction(this);
    find->setObjectName(QStringLiteral("Keys_Find"));
    find->setShortcut(QKeySequence::Find);
    addAction(find);
    connect(find, &QAction::triggered, this, [this] {
        txtfind->setFocus(Qt::ShortcutFocusReason);
        txtfind->selectAll();
    });
    auto* guide = new QAction(this);
    guide->setObjectName(QStringLiteral("Keys_Help"));
    guide->setShortcut(QKeySequence::HelpContents);
    addAction(guide);
    connect(guide, &QAction::triggered, this, [this] {
        CloseGuard::Asking asking(m_guard);
        help::openHelp(m_state);
    });

    ZAPOLNTABL();
    setColumnWidths();

    // Wide enough for every column, as far as the screen allows.
    int width = 2 * g->frameWidth() + g->verticalScrollBar()->sizeHint().width()
        + layout->contentsMargins().left() + layout->contentsMargins().right();
    for (int column = 0; column < DirectoryModel::ColumnCount; ++column)
        width += g->columnWidth(column);
    QSize size(qMax(width, layout->sizeHint().width()), 600);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 0.95);
    resize(size);
    // The operator usually comes to find someone.
    txtfind->setFocus();
}

frmSpr::~frmSpr() = default;

QPushButton* frmSpr::addButton(const char* name, const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    return button;
}

void frmSpr::ZAPOLNTABL()
{
    g->setUpdatesEnabled(false);
    m_model->reload();
    // The refilled grid shows no chosen row, so none is chosen: an edit or a deletion could
    // otherwise reach a row the operator no longer sees as chosen, or one behind the last record.
    m_state.SelectedDirectoryRow = 0;
    m_cmd2->setEnabled(false);
    m_cmdDel->setEnabled(false);
    g->setUpdatesEnabled(true);
}

int frmSpr::paddedCaptionWidth(int column) const
{
    const QHeaderView* header = g->horizontalHeader();
    const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    const int width
        = header->fontMetrics().horizontalAdvance(DirectoryModel::paddedCaption(column)) + 2 * margin;
    if (column != 0)
        return width;
    // The number column's caption is short: the numbers of a full directory must fit all the same.
    const int cellMargin = g->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, g) + 1;
    return qMax(
        width, g->fontMetrics().horizontalAdvance(QString::number(fields::MaxRecords)) + 2 * cellMargin + 2);
}

void frmSpr::setColumnWidths()
{
    const SettingsStore& store = m_state.services.settings;
    const int dpi = g->logicalDpiX();
    for (int column = 0; column < DirectoryModel::ColumnCount; ++column) {
        bool ok = false;
        const int twips = store.value(settings::DirectoryGrid, widthKey(column)).trimmed().toInt(&ok);
        // A column stored without width could never be seen again: it opens as wide as its caption.
        const int width = ok && twips > 0 ? qMax(1, (twips * dpi + TwipsPerInch / 2) / TwipsPerInch)
                                          : paddedCaptionWidth(column);
        g->setColumnWidth(column, width);
    }
}

void frmSpr::storeColumnWidths()
{
    SettingsStore& store = m_state.services.settings;
    const int dpi = g->logicalDpiX();
    for (int column = 0; column < DirectoryModel::ColumnCount; ++column) {
        const int twips = (g->columnWidth(column) * TwipsPerInch + dpi / 2) / dpi;
        store.setValue(settings::DirectoryGrid, widthKey(column), QString::number(twips));
    }
    store.sync();
}

void frmSpr::g_Click(int row)
{
    m_state.SelectedDirectoryRow = 0;
    if (row < 1 || row > m_model->rowCount())
        return;
    g->setUpdatesEnabled(false);
    m_cmd2->setEnabled(true);
    m_state.SelectedDirectoryRow = row;
    m_cmdDel->setEnabled(row > 1);
    m_model->clearMarks(RowMark::Selected);
    m_model->setMark(row, RowMark::Selected);
    g->setUpdatesEnabled(true);
}

void frmSpr::Cmd1_Click()
{
    if (refused())
        return;
    auto* dialog = new frmAdd(m_state, this, m_guard);
    connect(dialog, &frmAdd::confirmed, this, &frmSpr::afterAdditions);
    dialog->show();
}

void frmSpr::afterAdditions()
{
    ZAPOLNTABL();
    // The new subscribers are the last rows.
    g->scrollToBottom();
}

void frmSpr::Cmd2_Click()
{
    const int row = m_state.SelectedDirectoryRow;
    if (row == 0 || !g->currentIndex().isValid() || refused())
        return;
    auto* dialog = new frmRedakt(m_state, this, m_guard, row);
    connect(dialog, &frmRedakt::stored, m_model, &DirectoryModel::recordChanged);
    dialog->show();
}

void frmSpr::CmdDel_Click()
{
    const int row = m_state.SelectedDirectoryRow;
    if (!directory::canDelete(m_state.table, row) || refused())
        return;
    CloseGuard::Asking asking(m_guard);
    const bool yes = m_state.services.dialogs.askYesNo(
        QStringLiteral("Вы действительно хотите удалить из справочника запись № %1").arg(row),
        QStringLiteral("Подтвердите удаление."), MessageIcon::Information);
    if (!yes)
        return;
    AppState::Writing writing(m_state, QStringLiteral("Удаление абонента"),
        QStringLiteral("№ %1: %2")
            .arg(row)
            .arg(QString::fromStdString(std::string(m_state.table.field(row, fields::FullName)))));
    directory::deleteRecord(m_state.table, row);
    m_state.WriteDatabase();
    ZAPOLNTABL();
}

void frmSpr::Cmdfind_Click()
{
    const QString text = QString::fromStdString(directory::lowerCase(txtfind->text().toStdString()));
    if (text.isEmpty())
        return;
    CloseGuard::Asking asking(m_guard);
    m_cmdFind->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    g->setUpdatesEnabled(false);
    m_model->clearMarks(RowMark::Found);
    const directory::FindResult found = directory::findNames(m_state.table, text.toStdString());
    m_model->markRecords(found.rows, RowMark::Found);
    if (found.count() > 0)
        g->scrollTo(m_model->index(found.firstRow() - 1, 0), QAbstractItemView::PositionAtTop);
    g->setUpdatesEnabled(true);
    QApplication::restoreOverrideCursor();
    m_cmdFind->setEnabled(true);

    const QString quoted = QLatin1Char('"') + text + QLatin1Char('"');
    const QString title = QStringLiteral("Результаты поиска    ");
    if (found.count() > 0) {
        m_state.services.dialogs.message(
            { QStringLiteral(" Количество найденных строк = %1.  Номер первой найденной строки = %2")
                    .arg(found.count())
                    .arg(found.firstRow()),
                title + quoted });
    } else {
        m_state.services.dialogs.message(
            { QStringLiteral("Выражение   %1   не найдено.").arg(quoted), title });
    }
}

void frmSpr::CmdRes_Click()
{
    m_cmdRes->setEnabled(false);
    g->setUpdatesEnabled(false);
    m_model->clearMarks(RowMark::Found);
    g->scrollToTop();
    g->setUpdatesEnabled(true);
    m_cmdRes->setEnabled(true);
}

void frmSpr::CmdImport_Click()
{
    if (refused())
        return;
    CloseGuard::Asking asking(m_guard);
    // The import has asked its questions, written the file and said what went wrong by itself;
    // the grid only follows the new directory.
    if (importDirectoryWorkbook(m_state))
        ZAPOLNTABL();
}

void frmSpr::Command1_Click()
{
    CloseGuard::Asking asking(m_guard);
    exportDirectoryWorkbook(m_state);
}

bool frmSpr::refused()
{
    // The box waits for its answer inside the command, as the command's own questions do.
    CloseGuard::Asking asking(m_guard);
    return m_state.refuseInArchive();
}

bool frmSpr::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (watched == txtfind && enter) {
            Cmdfind_Click();
            return true;
        }
        if (watched == g && enter) {
            Cmd2_Click();
            return true;
        }
        if (watched == g && key == Qt::Key_Delete) {
            CmdDel_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmSpr::closeEvent(QCloseEvent* event)
{
    if (m_guard.postpone(this, event))
        return;
    // The add and edit dialogs close first, as their close boxes would; one that stays open (its
    // operator chose to go on adding) keeps the directory open under it.
    for (SubscriberForm* dialog : findChildren<SubscriberForm*>(Qt::FindDirectChildrenOnly)) {
        if (dialog->isVisible() && !dialog->close()) {
            event->ignore();
            return;
        }
    }
    if (!m_closed) {
        m_closed = true;
        storeColumnWidths();
        emit closed();
    }
    event->accept();
}
