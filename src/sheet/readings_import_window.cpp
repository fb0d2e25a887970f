#include "sheet/readings_import_window.h"

#include "database/database_file.h"
#include "database/field_map.h"
#include "platform/busy_cursor.h"
#include "platform/dialogs.h"
#include "platform/file_places.h"
#include "platform/workbook_reader.h"
#include "session/app_state.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString Title = QStringLiteral("Загрузка показаний");
const QString Filter
    = QStringLiteral("Показания (*.xlsx;*.xls;*.csv;*.txt)|*.xlsx;*.xls;*.csv;*.txt|Все файлы(*.*)|*.*|");

// Lines that are not taken are yellow, as the bank import shows its unmatched payments; a reading
// that would replace another one is marked in the "Сейчас" cell.
const QColor NotTaken(0xFF, 0xF4, 0x9C);
const QColor Replacing(0xFF, 0xC8, 0x96);
const QColor RemarkText(0xA0, 0x10, 0x10);

enum Column {
    ColTake,
    ColLine,
    ColGiven,
    ColSubscriber,
    ColReading,
    ColDate,
    ColCurrent,
    ColRemark,
    ColumnCount
};

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

QString monthTitle(int year, int month)
{
    return q(std::string(fields::MonthNames[std::size_t(month - 1)])) + QLatin1Char(' ')
        + QString::number(year);
}

bool startsWith(std::string_view bytes, std::string_view magic)
{
    return bytes.substr(0, magic.size()) == magic;
}

// The sheet's cells as rows from 1, the empty ones in between as empty texts.
std::vector<std::vector<std::string>> rowsOf(const WorkbookReader& reader)
{
    std::vector<std::vector<std::string>> rows;
    for (const WorkbookReader::Cell& cell : reader.cells()) {
        // A text or two in row 1,000,000 would otherwise make a million empty rows.
        if (cell.row > 100000 || cell.column > 256)
            continue;
        if (rows.size() < cell.row)
            rows.resize(cell.row);
        std::vector<std::string>& row = rows[cell.row - 1];
        if (row.size() < cell.column)
            row.resize(cell.column);
        row[cell.column - 1] = cell.text;
    }
    return rows;
}

std::vector<readings::Taken> preview(
    AppState& state, QWidget* parent, readings::Source source, int year, int month, const QString& origin)
{
    frmReadingsImport window(state, std::move(source), year, month, origin, parent);
    if (window.exec() != QDialog::Accepted)
        return {};
    return window.taken();
}

bool monthHeld(AppState& state, int year, int month)
{
    if (state.table.years().holds(year) && month >= 1 && month <= 12)
        return true;
    state.services.dialogs.message(
        { QStringLiteral("В базе нет %1 года: показания за него загрузить нельзя.").arg(year), Title,
            MessageIcon::Exclamation });
    return false;
}

} // namespace

std::vector<readings::Taken> importReadingsFromFile(AppState& state, QWidget* parent, int year, int month)
{
    if (!monthHeld(state, year, month))
        return {};
    Dialogs& dialogs = state.services.dialogs;
    const std::optional<QString> chosen = dialogs.openFileName({ Filter, QStringLiteral("*.xlsx"), QString(),
        places::folder(state.services.settings, places::Kind::Readings) });
    if (!chosen)
        return {};
    places::remember(state.services.settings, places::Kind::Readings, *chosen);
    const QString shown = QDir::toNativeSeparators(*chosen);
    const auto refuse = [&](const QString& why) {
        dialogs.message(
            { QStringLiteral("Файл %1 не загружен.\n%2").arg(shown, why), Title, MessageIcon::Exclamation });
        return std::vector<readings::Taken>();
    };

    readings::Source source;
    {
        const BusyCursor busy;
        const std::string path = chosen->toStdString();
        const database::FileBytes file = database::readFile(path, readings::MaxFileBytes);
        if (file.status == database::FileBytes::Status::TooLarge)
            return refuse(
                QStringLiteral("Файл слишком большой: список показаний за месяц не бывает больше %1 МБ.")
                    .arg(readings::MaxFileBytes >> 20));
        if (file.status != database::FileBytes::Status::Read)
            return refuse(QStringLiteral("Не удалось прочитать файл."));
        // Workbooks by their first bytes, whatever the name says: a zip (.xlsx) or a compound
        // document (.xls).
        if (startsWith(file.bytes, "PK\x03\x04") || startsWith(file.bytes, "\xD0\xCF\x11\xE0")) {
            WorkbookReader reader;
            const WorkbookReader::Status status = reader.open(path);
            if (status == WorkbookReader::Status::AccessDenied)
                return refuse(QStringLiteral("Нет доступа к файлу."));
            if (status != WorkbookReader::Status::Read)
                return refuse(QStringLiteral("Файл поврежден или это не таблица Excel."));
            source = readings::fromCells(rowsOf(reader));
            if (source.rows.empty())
                return refuse(QStringLiteral("В таблице нет ни одной строки с показанием."));
        } else {
            readings::ReadResult read = readings::readText(file.bytes);
            if (read.refused)
                return refuse(q(read.problem));
            source = std::move(read.source);
        }
    }
    return preview(state, parent, std::move(source), year, month, QFileInfo(*chosen).fileName());
}

std::vector<readings::Taken> importReadingsFromText(
    AppState& state, QWidget* parent, int year, int month, const QString& text)
{
    if (!monthHeld(state, year, month))
        return {};
    readings::ReadResult read = readings::readText(text.toStdString());
    if (read.refused) {
        state.services.dialogs.message(
            { QStringLiteral("Показания из буфера обмена не загружены.\n%1").arg(q(read.problem)), Title,
                MessageIcon::Exclamation });
        return {};
    }
    return preview(state, parent, std::move(read.source), year, month, QStringLiteral("буфер обмена"));
}

frmReadingsImport::frmReadingsImport(
    AppState& state, readings::Source source, int year, int month, const QString& origin, QWidget* parent)
    : QDialog(parent), m_state(state), m_source(std::move(source)), m_year(year), m_month(month)
{
    setObjectName(QStringLiteral("frmReadingsImport"));
    setWindowTitle(Title + QStringLiteral(" за ") + monthTitle(year, month));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    QString from = QStringLiteral("Из: ") + origin;
    if (!m_source.encoding.empty())
        from += QStringLiteral(" (") + q(m_source.encoding) + QLatin1Char(')');
    auto* origins = new QLabel(from, this);
    origins->setObjectName(QStringLiteral("lblSource"));
    layout->addWidget(origins);

    m_columns = readings::findColumns(m_source);
    auto* choice = new QWidget(this);
    choice->setObjectName(QStringLiteral("fraColumns"));
    buildColumnChoice(choice);
    choice->setVisible(!m_columns.freeText);
    layout->addWidget(choice);

    m_grid = new QTableWidget(0, ColumnCount, this);
    m_grid->setObjectName(QStringLiteral("g"));
    m_grid->setHorizontalHeaderLabels({ QString(), QStringLiteral("Стр."), QStringLiteral("В файле"),
        QStringLiteral("Абонент"), QStringLiteral("Показание"), QStringLiteral("Дата"),
        QStringLiteral("Сейчас"), QStringLiteral("Замечание") });
    m_grid->verticalHeader()->hide();
    // Lines as dense as the ledger's: a month's list of a few hundred is read by scrolling.
    m_grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setWordWrap(false);
    QHeaderView* header = m_grid->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setStretchLastSection(true);
    const int widths[] = { 26, 44, 170, 210, 80, 70, 70 };
    for (int c = 0; c < ColRemark; ++c)
        m_grid->setColumnWidth(c, widths[c]);
    connect(m_grid, &QTableWidget::cellChanged, this, &frmReadingsImport::lineChecked);
    layout->addWidget(m_grid, 1);

    m_summary = new QLabel(this);
    m_summary->setObjectName(QStringLiteral("lblSummary"));
    m_summary->setWordWrap(true);
    layout->addWidget(m_summary);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("Занести"), this);
    ok->setObjectName(QStringLiteral("CmdOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Отмена"), this);
    cancel->setObjectName(QStringLiteral("CmdCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);

    rematch();
    resize(1000, 620);
}

void frmReadingsImport::buildColumnChoice(QWidget* box)
{
    auto* row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    const int width = readings::columnCount(m_source);
    const auto heading = [this](int c) {
        if (m_columns.headingRow >= 0) {
            const auto& cells = m_source.rows[std::size_t(m_columns.headingRow)].cells;
            if (std::size_t(c) < cells.size() && !cells[std::size_t(c)].empty())
                return q(cells[std::size_t(c)]).left(24);
        }
        return QStringLiteral("столбец %1").arg(c + 1);
    };
    const auto combo = [&](const char* name, const QString& label, int chosen) {
        auto* caption = new QLabel(label, box);
        auto* c = new QComboBox(box);
        c->setObjectName(QString::fromLatin1(name));
        c->addItem(QStringLiteral("—"), -1);
        for (int i = 0; i < width; ++i)
            c->addItem(QStringLiteral("%1. %2").arg(i + 1).arg(heading(i)), i);
        c->setCurrentIndex(chosen + 1);
        caption->setBuddy(c);
        row->addWidget(caption);
        row->addWidget(c);
        connect(c, &QComboBox::currentIndexChanged, this, &frmReadingsImport::columnsChosen);
        return c;
    };
    m_number = combo("CmbNumber", QStringLiteral("Номер (л/с, участок):"), m_columns.number);
    m_name = combo("CmbName", QStringLiteral("ФИО:"), m_columns.name);
    m_reading = combo("CmbReading", QStringLiteral("Показание:"), m_columns.reading);
    m_date = combo("CmbDate", QStringLiteral("Дата:"), m_columns.date);
    row->addStretch(1);
}

void frmReadingsImport::columnsChosen()
{
    m_columns.number = m_number->currentData().toInt();
    m_columns.name = m_name->currentData().toInt();
    m_columns.reading = m_reading->currentData().toInt();
    m_columns.date = m_date->currentData().toInt();
    rematch();
}

void frmReadingsImport::rematch()
{
    {
        const BusyCursor busy;
        m_lines = readings::matchLines(m_state.table, m_source, m_columns, m_year, m_month);
    }
    fillGrid();
}

void frmReadingsImport::fillGrid()
{
    m_filling = true;
    m_grid->setRowCount(int(m_lines.size()));
    for (int r = 0; r < int(m_lines.size()); ++r) {
        const readings::Line& l = m_lines[std::size_t(r)];
        const bool taken = l.outcome == readings::Outcome::Matched;
        const auto cell = [&](int c, const QString& text) {
            auto* item = new QTableWidgetItem(text);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (!taken)
                item->setBackground(NotTaken);
            m_grid->setItem(r, c, item);
            return item;
        };
        QTableWidgetItem* take = cell(ColTake, QString());
        if (taken) {
            take->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            take->setCheckState(l.checked ? Qt::Checked : Qt::Unchecked);
        }
        cell(ColLine, QString::number(l.line))->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        cell(ColGiven, q(l.key));
        const QString subscriber = l.record > 0 ? QStringLiteral("%1. %2").arg(l.record).arg(
                                       q(std::string(m_state.table.field(l.record, fields::FullName))))
                                                : QString();
        cell(ColSubscriber, subscriber)->setToolTip(q(l.note));
        cell(ColReading, q(l.reading.empty() ? l.given : l.reading))
            ->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        cell(ColDate, q(l.date));
        QTableWidgetItem* current = cell(ColCurrent, q(l.current));
        current->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (l.replaces) {
            current->setBackground(Replacing);
            current->setToolTip(QStringLiteral("Заменит показание, уже занесенное за месяц"));
        }
        // Why a line is not taken comes first; for a line taken, how it was matched is in the
        // subscriber's tip and the check's word is the remark.
        QString remark;
        if (!taken)
            remark = q(l.note);
        else if (l.note != "по номеру" && l.note != "по фамилии")
            remark = q(l.note);
        if (l.replaces)
            remark = (remark.isEmpty() ? QString() : remark + QStringLiteral("; "))
                + QStringLiteral("заменит %1").arg(q(l.current));
        if (!l.remark.empty())
            remark = (remark.isEmpty() ? QString() : remark + QStringLiteral("; ")) + q(l.remark);
        QTableWidgetItem* said = cell(ColRemark, remark);
        said->setToolTip(remark);
        if (taken && (!l.remark.empty() || l.replaces))
            said->setForeground(RemarkText);
    }
    m_filling = false;
    m_summary->setText(q(readings::summary(m_lines)) + QStringLiteral(". Занесены будут отмеченные строки."));
}

void frmReadingsImport::lineChecked(int row, int column)
{
    if (m_filling || column != ColTake || row < 0 || row >= int(m_lines.size()))
        return;
    readings::Line& l = m_lines[std::size_t(row)];
    if (l.outcome == readings::Outcome::Matched)
        l.checked = m_grid->item(row, column)->checkState() == Qt::Checked;
}

std::vector<readings::Taken> frmReadingsImport::taken() const
{
    std::vector<readings::Taken> result;
    for (const readings::Line& l : m_lines)
        if (l.outcome == readings::Outcome::Matched && l.checked)
            result.push_back({ l.record, l.reading, l.date });
    return result;
}
