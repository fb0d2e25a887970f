// Form1: the load of the window (the database file, the stored settings, the selectors) and the
// years listed again when the held years have moved.

#include "app/main_window.h"

#include "app/colour_window.h"
#include "app/main_window_parts.h"
#include "database/database_file.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/settings_store.h"
#include "session/app_state.h"
#include "session/year_selector.h"
#include "sheet/sheet.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QShowEvent>

using namespace mainwindow;

namespace {

// A stored colour: its decimal text, or the default for an empty or unreadable one.
quint32 storedColour(const SettingsStore& store, const QString& key, quint32 defaultValue)
{
    const QString text = store.value(settings::Main, key, QString::number(defaultValue)).trimmed();
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (text.isEmpty() || !ok || value < 0 || value > 0xFFFFFF)
        return defaultValue;
    return quint32(value);
}

bool storedBoolean(const SettingsStore& store, const QString& key, bool defaultValue)
{
    const QString text = store.value(settings::Main, key).trimmed();
    if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const int number = text.toInt(&ok);
    return ok ? number != 0 : defaultValue;
}

} // namespace

int mainwindow::storedInteger(const SettingsStore& store, const QString& key, int defaultValue)
{
    bool ok = false;
    const int value = store.value(settings::Main, key, QString::number(defaultValue)).trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

bool Form1::Form_Load()
{
    m_state.FieldsPerRecord = fields::PerRecord;
    m_state.DirectoryOpening = false;
    SheetReady = false;

    if (!OPFILE1())
        return false;
    SetComboHeight(m_cmb[0], 400);
    addHeldYears(*m_cmb[1], m_state.table.years());

    readStoredSettings();
    updateAutosaveTimer();

    const RecordTable& table = m_state.table;
    const std::string shownName = m_cmb[0]->currentText().toStdString();
    if (sheet::findRecord(table, shownName, 0) == 0)
        m_cmb[0]->setEditText(QString());

    SettingsStore& store = m_state.services.settings;
    for (int i = 0; i < 4; ++i)
        m_ch[i]->setChecked(storedInteger(store, QStringLiteral("Form1.Ch%1").arg(i + 1), 0) == 1);
    m_state.LedgerMonthIndex = 0;

    if (m_cmb[0]->currentText().trimmed().isEmpty())
        m_cmb[0]->setEditText(fromStd(table.field(1, fields::FullName)));
    if (m_cmb[1]->currentText().trimmed().isEmpty())
        m_cmb[1]->setEditText(QString::number(table.years().first()));

    ApplyTableColours();
    ZAPOLNIT();
    SheetReady = true;
    VICHISLIT();
    return true;
}

void Form1::readStoredSettings()
{
    const SettingsStore& store = m_state.services.settings;
    m_state.RowColourOdd = storedColour(store, QStringLiteral("Color1"), colours::DefaultOdd);
    m_state.RowColourEven = storedColour(store, QStringLiteral("Color2"), colours::DefaultEven);
    m_state.FocusColour = storedColour(store, QStringLiteral("Color3"), colours::DefaultFocus);

    m_cmb[0]->setEditText(store.value(
        settings::Main, QStringLiteral("Cmb0"), fromStd(m_state.table.field(1, fields::FullName))));
    const QString year
        = store.value(settings::Main, QStringLiteral("Cmb1"), QString::number(m_state.table.years().first()));
    m_cmb[1]->setEditText(heldYearNear(year));

    m_state.AutosaveEnabled = storedInteger(store, QStringLiteral("flSave"), 1);
    m_state.EnterMovesDown = storedBoolean(store, QStringLiteral("flPls"), true);
}

bool Form1::OPFILE1()
{
    using Status = database::LoadResult::Status;
    AppState::FileBusy busy(m_state);
    Dialogs& dialogs = m_state.services.dialogs;
    const QString openFailure = QStringLiteral("Ошибка при открытии файла базы Tervolin2.spb");

    for (;;) {
        const QString path = QDir::toNativeSeparators(m_state.databaseFilePath());
        m_state.DatabasePath = path;
        const std::string filePath = path.toStdString();
        const database::LoadResult result = database::load(filePath, m_state.table);
        switch (result.status) {
        case Status::Loaded: fillSubscriberSelector(); return true;
        case Status::NotFound: {
            // An archive is looked into as it is; a new empty file in its place would be none.
            if (m_state.archiveView()) {
                dialogs.error(QStringLiteral("Архив %1 не найден.").arg(path), QStringLiteral("Архив"));
                return false;
            }
            const Answer answer = dialogs.message(
                { QStringLiteral("Файл базы Tervolin2.spb не найден, хотите создать новый?"),
                    QStringLiteral("Создать новый файл базы?"), MessageIcon::Exclamation,
                    MessageButtons::YesNo, Answer::Yes });
            if (answer != Answer::Yes)
                return false;
            // A database begun after 2027 holds the eight years up to this one.
            const fields::YearWindow years
                = database::yearsForNewDatabase(m_state.services.clock.now().date().year());
            if (!database::create(filePath, m_state.table, years)) {
                // A folder the program cannot write to would ask the same question forever.
                dialogs.message({ QStringLiteral("Ошибка сохранения"), QString(), MessageIcon::None });
                return false;
            }
            continue; // and load the new file from the start
        }
        case Status::Empty:
            dialogs.error(
                QStringLiteral("ФАЙЛ БАЗЫ   %1   ПУСТОЙ!").arg(path), QStringLiteral("Ошибка загрузки"));
            dialogs.message({ openFailure, QString(), MessageIcon::None });
            return false;
        case Status::BadLine:
            dialogs.error(
                QStringLiteral("Строка № %1   файла %2  Содержит ошибку!").arg(result.line).arg(path),
                QStringLiteral("Ошибка формата файла"));
            dialogs.message({ openFailure, QString(), MessageIcon::None });
            return false;
        case Status::TooManyLines:
        case Status::OpenFailed: dialogs.message({ openFailure, QString(), MessageIcon::None }); return false;
        }
    }
}

void Form1::fillSubscriberSelector()
{
    // All names in one insertion: item by item, the selector's completion works through every item
    // again on each insert, which a very long name turns into minutes.
    QStringList names;
    names.reserve(m_state.table.recordCount());
    for (int row = 1; row <= m_state.table.recordCount(); ++row)
        names << fromStd(m_state.table.field(row, fields::FullName));
    m_cmb[0]->clear();
    m_cmb[0]->addItems(names);
}

void Form1::SetComboHeight(QComboBox* combo, int height)
{
    // The drop-down list shows as many entries as fit into the height.
    const int rowHeight = qMax(1,
        combo->view()->sizeHintForRow(0) > 0 ? combo->view()->sizeHintForRow(0)
                                             : combo->fontMetrics().height() + 4);
    combo->setMaxVisibleItems(qMax(1, height / rowHeight));
}

QString Form1::heldYearNear(const QString& year) const
{
    // A year the database has moved past (or a later one, stored while an archive was open) gives
    // the nearest one held; a text that is no year stays as it is.
    const std::optional<int> stored = fields::parseYear(year.toStdString());
    return stored ? QString::number(m_state.table.years().nearest(*stored)) : year;
}

void Form1::showEvent(QShowEvent* event)
{
    // Back from the ledger whose carry-over opened a new year: the selector lists the years held
    // now, and a sheet of a year that left the database is filled again.
    const QString first = QString::number(m_state.table.years().first());
    if (SheetReady && m_cmb[1]->count() > 0 && m_cmb[1]->itemText(0) != first) {
        const QString shown = heldYearNear(m_cmb[1]->currentText());
        m_cmb[1]->clear();
        addHeldYears(*m_cmb[1], m_state.table.years());
        m_cmb[1]->setEditText(shown);
        ZAPOLNIT();
        VICHISLIT();
    }
    QMainWindow::showEvent(event);
}
