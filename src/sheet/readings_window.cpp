#include "sheet/readings_window.h"

#include "database/commit.h"
#include "platform/dialogs.h"
#include "platform/printer.h"
#include "platform/read_only_input.h"
#include "session/app_state.h"
#include "session/year_selector.h"
#include "sheet/readings_import_window.h"
#include "sheet/readings_model.h"
#include "sheet/route_file.h"
#include "sheet/sheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Показания за месяц");

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The cell being typed: Enter and the up and down arrows store it and go on to the next row, as
// in a spreadsheet; Escape leaves the cell as it was.
class ReadingDelegate : public QStyledItemDelegate
{
public:
    ReadingDelegate(std::function<void(int key)> moved, QObject* parent)
        : QStyledItemDelegate(parent), m_moved(std::move(moved))
    { }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex&) const override
    {
        auto* editor = new QLineEdit(parent);
        editor->setObjectName(QStringLiteral("txtg"));
        editor->setFrame(false);
        editor->setMaxLength(40);
        return editor;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* editor = qobject_cast<QLineEdit*>(watched);
        if (editor && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Up || key == Qt::Key_Down) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                m_moved(key);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(watched, event);
    }

private:
    std::function<void(int key)> m_moved;
};

// A page of the round sheet: 40 rows, the statement's columns with the previous reading and the
// date beside the current one.
constexpr int PrintRows = 40;

} // namespace

frmReadings::frmReadings(AppState& state, int year, int month, QWidget* parent)
    : QWidget(parent), m_state(state)
{
    setObjectName(QStringLiteral("frmReadings"));
    setWindowTitle(m_state.windowTitle(Title));
    setAttribute(Qt::WA_DeleteOnClose);

    m_year = new QComboBox(this);
    m_year->setObjectName(QStringLiteral("CmbYear"));
    addHeldYears(*m_year, m_state.table.years());
    m_year->setCurrentIndex(qMax(0, m_year->findText(QString::number(year))));
    m_month = new QComboBox(this);
    m_month->setObjectName(QStringLiteral("CmbMonth"));
    for (std::string_view name : fields::MonthNames)
        m_month->addItem(fromStd(name));
    m_month->setCurrentIndex(qBound(0, month - 1, 11));
    m_route = new QCheckBox(QStringLiteral("Порядок обхода"), this);
    m_route->setObjectName(QStringLiteral("ChRoute"));
    m_route->setToolTip(
        QStringLiteral("Строки в порядке обхода участков; Ctrl+↑ и Ctrl+↓ переставляют строку"));

    const auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    QPushButton* date = button("CmdDate", QStringLiteral("Дата снятия"));
    date->setToolTip(QStringLiteral("Последнее число месяца всем, у кого введено показание"));
    QPushButton* import = button("CmdImport", QStringLiteral("Загрузить показания…"));
    QPushButton* paste = button("CmdPaste", QStringLiteral("Вставить"));
    paste->setToolTip(QStringLiteral("Показания из буфера обмена, по одному на строку (Ctrl+V)"));
    QPushButton* print = button("CmdPrint", QStringLiteral("Печать"));
    QPushButton* save = button("CmdSave", QStringLiteral("Сохранить"));
    save->setToolTip(QStringLiteral("Записать базу (Ctrl+S)"));

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("Год"), this));
    top->addWidget(m_year);
    top->addSpacing(8);
    top->addWidget(new QLabel(QStringLiteral("Месяц"), this));
    top->addWidget(m_month);
    top->addSpacing(12);
    top->addWidget(m_route);
    top->addStretch(1);
    for (QPushButton* b : { date, import, paste, print, save })
        top->addWidget(b);

    const bool readOnly = m_state.archiveView();
    m_model = new ReadingsModel(m_state.table, readOnly, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("g"));
    m_grid->setModel(m_model);
    m_grid->setItemDelegate(new ReadingDelegate(
        [this](int key) {
            if (key == Qt::Key_Up) {
                const QModelIndex at = m_grid->currentIndex();
                if (at.row() > 0)
                    m_grid->setCurrentIndex(m_model->index(at.row() - 1, at.column()));
            } else {
                moveDown(m_grid->currentIndex().column());
            }
        },
        m_grid));
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
        | QAbstractItemView::EditKeyPressed);
    m_grid->setAlternatingRowColors(true);
    m_grid->verticalHeader()->hide();
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 8);
    m_grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = m_grid->horizontalHeader();
    const int digit = m_grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const std::array<int, ReadingsModel::Columns - 1> widths = { 5, 22, 22, 9, 10, 10, 8, 9 };
    for (int c = 0; c < int(widths.size()); ++c)
        header->resizeSection(c, digit * widths[std::size_t(c)] + 12);
    header->setStretchLastSection(true);
    header->setHighlightSections(false);
    m_grid->installEventFilter(this);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("LblStatus"));
    auto* hint = new QLabel(QStringLiteral("Enter — записать и вниз · Esc — отменить ввод · "
                                           "Ctrl+↑/↓ — переставить строку · Ctrl+S — сохранить"),
        this);
    hint->setObjectName(QStringLiteral("LblKeys"));
    hint->setEnabled(false);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_status, 1);
    bottom->addWidget(hint);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);
    layout->addLayout(bottom);

    m_model->beforeStore = [this](int record) { keepBefore(record); };
    m_routeOrder = route::read(m_state.databaseFile(), m_state.table);

    connect(m_year, &QComboBox::activated, this, [this] { showMonth(); });
    connect(m_month, &QComboBox::activated, this, [this] { showMonth(); });
    connect(m_route, &QCheckBox::toggled, this, [this] { showMonth(); });
    connect(date, &QPushButton::clicked, this, &frmReadings::CmdDate_Click);
    connect(import, &QPushButton::clicked, this, &frmReadings::CmdImport_Click);
    connect(paste, &QPushButton::clicked, this, &frmReadings::CmdPaste_Click);
    connect(print, &QPushButton::clicked, this, &frmReadings::CmdPrint_Click);
    connect(save, &QPushButton::clicked, this, &frmReadings::CmdSave_Click);
    auto* saveKeys = new QShortcut(QKeySequence::Save, this);
    connect(saveKeys, &QShortcut::activated, this, &frmReadings::CmdSave_Click);
    connect(m_model, &ReadingsModel::stored, this, [this] {
        m_unwritten = true;
        updateStatus();
    });

    resize(1180, 640);
    showMonth();
}

frmReadings::~frmReadings() = default;

void frmReadings::showMonth()
{
    commitEditor();
    const int year = m_year->currentText().toInt();
    const int month = m_month->currentIndex() + 1;
    const int record = m_grid->currentIndex().isValid() ? m_model->record(m_grid->currentIndex().row()) : 0;
    const int column
        = m_grid->currentIndex().isValid() ? m_grid->currentIndex().column() : ReadingsModel::Current;
    m_model->show(year, month, m_route->isChecked() ? m_routeOrder : route::recordOrder(m_state.table),
        !m_state.archiveView() && m_state.isClosed(year, month));
    const int row = record > 0 ? qMax(0, m_model->rowOf(record)) : 0;
    if (m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(row, column));
    updateStatus();
}

void frmReadings::commitEditor()
{
    // The cell being typed is kept, as when it is left by a click.
    for (auto* editor : m_grid->findChildren<QLineEdit*>(QStringLiteral("txtg"))) {
        if (!editor->isVisible())
            continue;
        QAbstractItemDelegate* delegate = m_grid->itemDelegate();
        emit delegate->commitData(editor);
        emit delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void frmReadings::keepBefore(int record)
{
    const int year = m_model->year();
    const auto key = std::make_pair(record, year);
    if (m_before.count(key) > 0 || !m_state.table.years().holds(year))
        return;
    std::vector<std::string> kept;
    for (int f = sheet::cellField(year, 1, 0); f <= sheet::cellField(year, 12, fields::MonthCharge); ++f)
        kept.emplace_back(m_state.table.field(record, f));
    m_before.emplace(key, std::move(kept));
}

void frmReadings::moveDown(int column)
{
    const QModelIndex at = m_grid->currentIndex();
    if (at.row() + 1 < m_model->rowCount())
        m_grid->setCurrentIndex(m_model->index(at.row() + 1, column));
}

void frmReadings::updateStatus()
{
    int typed = 0;
    const int year = m_model->year();
    const int month = m_model->month();
    if (m_state.table.years().holds(year)) {
        for (int record : m_model->order()) {
            if (!m_state.table.field(record, sheet::cellField(year, month, fields::CurrentReading)).empty())
                ++typed;
        }
    }
    QString text = QStringLiteral("Показаний: %1 из %2").arg(typed).arg(m_model->rowCount());
    if (unwritten())
        text += QStringLiteral(" · есть несохранённые изменения");
    m_status->setText(text);
}

void frmReadings::CmdDate_Click()
{
    if (refuseChange())
        return;
    commitEditor();
    const std::string date = readings::monthEndDate(m_model->year(), m_model->month());
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const readings::RowView& view = m_model->view(row);
        if (view.current.empty() || view.date == date)
            continue;
        const std::string current = view.current;
        m_model->store(row, date, current);
    }
}

void frmReadings::takeImported(const std::vector<readings::Taken>& rows)
{
    for (const readings::Taken& taken : rows) {
        const int row = m_model->rowOf(taken.record);
        if (row < 0)
            continue;
        const std::string date = taken.date.empty() ? m_model->view(row).date : taken.date;
        m_model->store(row, date, taken.reading);
    }
}

void frmReadings::CmdImport_Click()
{
    if (refuseChange())
        return;
    commitEditor();
    takeImported(importReadingsFromFile(m_state, this, m_model->year(), m_model->month()));
}

void frmReadings::CmdPaste_Click()
{
    if (refuseChange())
        return;
    commitEditor();
    const QString text = QApplication::clipboard()->text();
    if (text.trimmed().isEmpty())
        return;
    takeImported(importReadingsFromText(m_state, this, m_model->year(), m_model->month(), text));
}

void frmReadings::CmdPrint_Click()
{
    commitEditor();
    const int rows = m_model->rowCount();
    const int pages = qMax(1, (rows + PrintRows - 1) / PrintRows);
    const QString heading = QStringLiteral("Показания счётчиков за %1 %2")
                                .arg(m_month->currentText().toLower(), m_year->currentText());
    const auto draw = [&](QPainter& p, const QRectF& paper, int page) {
        const double margin = paper.width() * 0.06;
        const QRectF area = paper.adjusted(margin, margin, -margin, -margin);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(int(area.height() / (PrintRows + 6) * 0.5));
        p.setFont(font);
        const double line = area.height() / (PrintRows + 4);
        p.drawText(
            QRectF(area.left(), area.top(), area.width(), line), Qt::AlignLeft | Qt::AlignVCenter, heading);
        p.drawText(QRectF(area.left(), area.top(), area.width(), line), Qt::AlignRight | Qt::AlignVCenter,
            QStringLiteral("Лист %1").arg(page + 1));
        const std::array<double, 7> shares = { 0.06, 0.25, 0.22, 0.12, 0.12, 0.11, 0.12 };
        const QStringList captions = { QStringLiteral("№"), QStringLiteral("Фамилия И. О."),
            QStringLiteral("Адрес"), QStringLiteral("Предыдущее"), QStringLiteral("Текущее"),
            QStringLiteral("Дата"), QStringLiteral("Подпись") };
        double y = area.top() + line * 1.5;
        const auto rowTexts = [&](const QStringList& texts, bool bold) {
            QFont f = font;
            f.setBold(bold);
            p.setFont(f);
            double x = area.left();
            for (int c = 0; c < int(shares.size()); ++c) {
                const QRectF cell(x, y, area.width() * shares[std::size_t(c)], line);
                p.drawRect(cell);
                p.drawText(cell.adjusted(line * 0.15, 0, -line * 0.15, 0),
                    (c == 1 || c == 2 ? Qt::AlignLeft : Qt::AlignCenter) | Qt::AlignVCenter, texts.value(c));
                x += cell.width();
            }
            y += line;
        };
        rowTexts(captions, true);
        for (int row = page * PrintRows; row < qMin(rows, (page + 1) * PrintRows); ++row) {
            const readings::RowView& view = m_model->view(row);
            const int record = m_model->record(row);
            rowTexts({ fromStd(m_state.table.field(record, fields::Number)),
                         fromStd(m_state.table.field(record, fields::FullName)),
                         fromStd(m_state.table.field(record, fields::Address)), fromStd(view.previous),
                         fromStd(view.current), fromStd(view.date), QString() },
                false);
        }
        return true;
    };
    const Printer::Result result
        = m_state.services.printer.printPages(PageOrientation::Portrait, pages, draw);
    if (result == Printer::Result::NoPrinter)
        m_state.services.dialogs.message(
            { QStringLiteral("Принтер не установлен."), Title, MessageIcon::Exclamation });
    else if (result == Printer::Result::Failed)
        m_state.services.dialogs.message(
            { QStringLiteral("Не удалось напечатать показания."), Title, MessageIcon::Exclamation });
}

bool frmReadings::CmdSave_Click()
{
    if (m_state.refuseInArchive())
        return false;
    commitEditor();
    std::vector<database::SideFileChange> sides;
    if (m_routeChanged)
        sides.push_back(
            { route::filePath(m_state.databaseFile()), route::bytes(m_routeOrder, m_state.table) });
    AppState::Writing writing(m_state, QStringLiteral("Показания за месяц"));
    const bool written
        = sides.empty() ? m_state.WriteDatabase() : m_state.WriteDatabase(sides) != database::Commit::Failed;
    if (written) {
        m_unwritten = false;
        m_routeChanged = false;
        m_before.clear();
    }
    updateStatus();
    return written;
}

void frmReadings::moveCurrentRow(int delta)
{
    const QModelIndex at = m_grid->currentIndex();
    if (!at.isValid())
        return;
    // Rows move in the round's order: record order is switched over to it first.
    if (!m_route->isChecked()) {
        m_route->setChecked(true);
    }
    const int row = m_grid->currentIndex().row();
    if (!m_model->moveRow(row, delta))
        return;
    m_routeOrder = m_model->order();
    m_routeChanged = true;
    m_grid->setCurrentIndex(m_model->index(row + delta, at.column()));
    updateStatus();
}

bool frmReadings::refuseChange()
{
    return m_state.refuseInArchive() || m_state.refuseInClosedMonth(m_model->year(), m_model->month());
}

bool frmReadings::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_grid && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // A closed month's reading typed: said why nothing is taken.
        if (m_model->isClosed() && changesText(*key)) {
            refuseChange();
            return true;
        }
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        if (ctrl && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            moveCurrentRow(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
        if (key->matches(QKeySequence::Paste)) {
            CmdPaste_Click();
            return true;
        }
        // The grid has the keys only while no cell is being typed.
        if (!ctrl && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            moveDown(m_grid->currentIndex().column());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmReadings::closeEvent(QCloseEvent* event)
{
    commitEditor();
    if (unwritten() && !m_state.archiveView()) {
        const Answer answer = m_state.services.dialogs.askYesNoCancel(
            QStringLiteral("Показания изменены. Сохранить изменения в базе?"), Title, Answer::Yes);
        if (answer == Answer::Cancel || (answer == Answer::Yes && !CmdSave_Click())) {
            event->ignore();
            return;
        }
        if (answer == Answer::No) {
            // The records go back to what they were when the window opened.
            for (const auto& [key, kept] : m_before) {
                const int year = key.second;
                int f = sheet::cellField(year, 1, 0);
                for (const std::string& text : kept)
                    m_state.table.set(key.first, f++, text);
            }
        }
    }
    event->accept();
    emit closed();
}
