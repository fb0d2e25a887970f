#include "reports/log_window.h"

#include "database/database_file.h"
#include "database/field_map.h"
#include "database/sha256.h"
#include "database/year_archive.h"
#include "platform/clock.h"
#include "session/app_state.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

namespace {

QString fromStd(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QDate dateOfDay(int day)
{
    return QDate(day / 10000, day / 100 % 100, day % 100);
}

int dayOfDate(const QDate& date)
{
    return date.year() * 10000 + date.month() * 100 + date.day();
}

constexpr std::size_t JournalLimit = std::size_t(1) << 30;

} // namespace

frmLog::frmLog(AppState& state, QWidget* parent)
    : ReportWindow(state, QStringLiteral("frmLog"), QStringLiteral("Журнал изменений"),
        QStringLiteral("frmPrintLog"), PageOrientation::Landscape, parent)
{
    exportButton()->setText(QStringLiteral("Экспорт в Excel"));

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("lblNote"));
    m_note->setWordWrap(true);
    m_note->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = m_note->font();
    bold.setBold(true);
    m_note->setFont(bold);

    const auto labelled = [this](QHBoxLayout* row, const QString& caption, QWidget* control) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(control);
        row->addWidget(label);
        row->addWidget(control);
        row->addSpacing(8);
    };
    const auto combo = [this](const char* name) {
        auto* box = new QComboBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
        connect(box, &QComboBox::currentIndexChanged, this, &frmLog::refill);
        return box;
    };
    const auto dateEdit = [this](const char* name) {
        auto* edit = new QDateEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
        edit->setCalendarPopup(true);
        connect(edit, &QDateEdit::dateChanged, this, &frmLog::refill);
        return edit;
    };
    m_subscriber = combo("cmbAbonent");
    m_year = combo("cmbYear");
    m_month = combo("cmbMonth");
    m_kind = combo("cmbKind");
    m_from = dateEdit("dtFrom");
    m_to = dateEdit("dtTo");

    auto* first = new QHBoxLayout;
    labelled(first, QStringLiteral("&Абонент:"), m_subscriber);
    labelled(first, QStringLiteral("&Год:"), m_year);
    labelled(first, QStringLiteral("&Месяц:"), m_month);
    first->addStretch(1);
    auto* second = new QHBoxLayout;
    labelled(second, QStringLiteral("&с"), m_from);
    labelled(second, QStringLiteral("п&о"), m_to);
    labelled(second, QStringLiteral("&Что записывало:"), m_kind);
    second->addStretch(1);
    top()->addWidget(m_note);
    top()->addLayout(first);
    top()->addLayout(second);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("lblCount"));
    buttons()->insertWidget(0, m_count);

    readJournal();
    fillSelectors();
    refill();
    resize(1240, 640);
}

void frmLog::readJournal()
{
    const std::string database = m_state.databaseFile();
    const std::string path = database::sideFilePath(database, changelog::FileName);
    const database::FileBytes journal = database::readFile(path, JournalLimit);
    if (journal.status == database::FileBytes::Status::NotFound)
        return;
    if (journal.status != database::FileBytes::Status::Read) {
        m_readError = QStringLiteral("Не удалось прочитать журнал изменений: %1")
                          .arg(QDir::toNativeSeparators(QString::fromStdString(path)));
        return;
    }
    // The database is read as it is now: a change made to it outside the program shows.
    const database::FileBytes bytes = database::readFile(database, JournalLimit);
    const std::string hash
        = bytes.status == database::FileBytes::Status::Read ? Sha256::of(bytes.bytes) : std::string();
    m_history = history::readHistory(journal.bytes, hash);
}

void frmLog::fillSelectors()
{
    const QSignalBlocker blockSubscriber(m_subscriber), blockYear(m_year), blockMonth(m_month),
        blockKind(m_kind), blockFrom(m_from), blockTo(m_to);
    m_subscriber->addItem(QStringLiteral("Все абоненты"));
    for (const std::string& name : history::subscribers(m_history))
        m_subscriber->addItem(fromStd(name));
    m_year->addItem(QStringLiteral("Все"));
    for (const int year : history::years(m_history))
        m_year->addItem(QString::number(year), year);
    m_month->addItem(QStringLiteral("Все"));
    for (int m = 1; m <= 12; ++m)
        m_month->addItem(fromStd(fields::MonthNames[std::size_t(m - 1)]), m);
    m_kind->addItem(QStringLiteral("Все"));
    for (const std::string& kind : history::kinds(m_history))
        m_kind->addItem(fromStd(kind));

    // From the journal's first day to today, or to its last day when the clock is behind it.
    const QDate today = m_state.services.clock.now().date();
    const int first = history::firstDay(m_history);
    const int last = history::lastDay(m_history);
    // A day the calendar has not (a 31st of February typed into the journal) leaves that end at today.
    const QDate firstDate = dateOfDay(first);
    const QDate lastDate = dateOfDay(last);
    const QDate from = firstDate.isValid() ? firstDate : today;
    const QDate to = lastDate.isValid() ? std::max(today, lastDate) : today;
    m_from->setDate(std::min(from, to));
    m_to->setDate(to);
}

history::Filter frmLog::filter() const
{
    history::Filter f;
    if (m_subscriber->currentIndex() > 0)
        f.subscriber = m_subscriber->currentText().toStdString();
    f.year = m_year->currentData().toInt();
    f.month = m_month->currentData().toInt();
    if (m_kind->currentIndex() > 0)
        f.kind = m_kind->currentText().toStdString();
    f.fromDay = dayOfDate(m_from->date());
    f.toDay = dayOfDate(m_to->date());
    return f;
}

std::string frmLog::coverage(const history::Filter& f) const
{
    std::string text = "с " + m_from->date().toString(QStringLiteral("dd.MM.yyyy")).toStdString() + " по "
        + m_to->date().toString(QStringLiteral("dd.MM.yyyy")).toStdString();
    for (const std::string& part : { f.subscriber, f.kind })
        if (!part.empty())
            text += ", " + part;
    if (f.month != 0)
        text += ", " + std::string(fields::MonthNames[std::size_t(f.month - 1)]);
    if (f.year != 0)
        text += (f.month != 0 ? " " : ", ") + std::to_string(f.year);
    return text;
}

void frmLog::refill()
{
    const history::Filter f = filter();
    std::vector<history::Row> rows = history::filtered(m_history, f);
    const std::size_t found = rows.size();
    if (rows.size() > std::size_t(MaxShownRows))
        rows.resize(std::size_t(MaxShownRows));
    reports::ReportTable report = history::historyReport(m_history, rows);
    report.subtitle = coverage(f);
    showReport(std::move(report));

    QString note = m_readError;
    if (note.isEmpty())
        note = m_history.empty() ? QStringLiteral("Журнал изменений пока пуст.") : fromStd(m_history.warning);
    m_note->setText(note);
    m_note->setVisible(!note.isEmpty());
    m_count->setText(found > rows.size()
            ? QStringLiteral("Показаны последние %1 строк из %2: сузьте отбор.").arg(rows.size()).arg(found)
            : QStringLiteral("Строк: %1").arg(found));
}

QString frmLog::fileName() const
{
    return QStringLiteral("Журнал изменений %1")
        .arg(m_state.services.clock.now().toString(QStringLiteral("yyyy-MM-dd")));
}

void frmLog::showSubscriber(const QString& fullName)
{
    int index = m_subscriber->findText(fullName);
    if (index < 0) {
        // Nobody wrote anything of them yet: the grid says so by staying empty.
        m_subscriber->addItem(fullName);
        index = m_subscriber->count() - 1;
    }
    m_subscriber->setCurrentIndex(index);
    refill();
}

void openSubscriberHistory(AppState& state, int record)
{
    if (record < 1 || record > state.table.recordCount())
        return;
    auto* window = new frmLog(state);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->showSubscriber(fromStd(state.table.field(record, fields::FullName)));
    window->show();
}
