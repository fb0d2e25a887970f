#pragma once

// The ledger window opened from the main window on a database of the test's own, and the helpers
// that click, type and read its cells.

#include "accounts/ledger_model.h"
#include "accounts/ledger_window.h"
#include "app/main_window.h"
#include "database/database_file.h"
#include "support/app_fixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <map>

namespace ledgertest {

using namespace ledger;

constexpr int March2024 = 1078 + 44;
constexpr int December2024 = 1078 + 242;
constexpr int January2025 = 1343;

using Fields = std::map<int, std::string>;

class LedgerWindow : public AppFixture
{
protected:
    ~LedgerWindow() override
    {
        // A ledger takes its dialogs with it.
        std::vector<QPointer<frmRedLS>> ledgers;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* ledger = qobject_cast<frmRedLS*>(window))
                ledgers.emplace_back(ledger);
        }
        for (const QPointer<frmRedLS>& ledger : ledgers)
            delete ledger.data();
    }

    // Records numbered 1, 2, … with their names and the given fields.
    void writeRecords(const std::vector<std::pair<std::string, Fields>>& records)
    {
        std::vector<std::vector<std::string>> lines;
        for (std::size_t i = 0; i < records.size(); ++i) {
            std::vector<std::string> line(fields::PerRecord);
            line[0] = std::to_string(i + 1);
            line[1] = records[i].first;
            for (const auto& [field, text] : records[i].second)
                line[std::size_t(field - 1)] = text;
            lines.push_back(line);
        }
        writeDatabase(lines);
        // The main window stores its sheet, month charges included, into the subscriber it shows:
        // the last one here, so that the charges typed for the others stay as the test set them.
        settings.setValue(settings::Main, "Cmb0", QString::fromStdString(records.back().first));
    }

    void chooseMainYear(const QString& year)
    {
        main->yearSelector()->setEditText(year);
        emit main->yearSelector()->activated(main->yearSelector()->currentIndex());
    }

    frmRedLS* openLedger(const QString& year, int monthIndex, const char* opener = "Mnu_LicSchet")
    {
        // The ledger's first opening in the run goes back to the year and month of its last close.
        settings.setValue(settings::Main, "Cmb1", year);
        settings.setValue(settings::Main, "Cmb10", year);
        settings.setValue(settings::Main, "Li", QString::number(monthIndex));
        main = start();
        if (!main)
            return nullptr;
        return openFromMain(opener);
    }

    frmRedLS* openFromMain(const char* opener = "Mnu_LicSchet")
    {
        if (auto* action = main->findChild<QAction*>(opener))
            action->trigger();
        else
            main->findChild<QToolButton*>(opener)->click();
        frmRedLS* ledger = shownLedger();
        if (ledger) {
            ledger->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(ledger));
        }
        return ledger;
    }

    static frmRedLS* shownLedger()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* ledger = qobject_cast<frmRedLS*>(window); ledger && ledger->isVisible())
                return ledger;
        }
        return nullptr;
    }

    void closeLedger(frmRedLS* ledger)
    {
        ledger->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    static QModelIndex at(frmRedLS* ledger, int row, int column)
    {
        return ledger->model()->index(row, column);
    }
    static QString text(frmRedLS* ledger, int row, int column)
    {
        return ledger->model()->cellText(row, column);
    }

    static void click(QTableView* grid, const QModelIndex& index)
    {
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
    }

    static void type(QWidget* editor, const QString& keys)
    {
        QTest::keyClicks(editor, keys);
        QTest::keyClick(editor, Qt::Key_Return);
    }

    RecordTable fileTable() const
    {
        RecordTable table;
        database::load(databasePath(), table);
        return table;
    }

    Form1* main = nullptr;
};

} // namespace ledgertest
