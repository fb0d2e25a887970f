#pragma once

// The ledger of a test's own database with the bank import opened over it, statements written as
// a bank writes them, and the helpers that choose in the import's grid as a user does.

#include "accounts/bank_model.h"
#include "accounts/bank_window.h"
#include "accounts/ledger_fixture.h"
#include "accounts/statement_text.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace banktest {

using namespace ledgertest;
using namespace statementtest;

const int January2026 = fields::ledgerBase(6, 1);
const int February2026 = fields::ledgerBase(6, 2);

class BankImport : public ledgertest::LedgerWindow
{
protected:
    // January 2026: Иванов owes 200,00 from before and 1000,00 for electricity, and paid 300,00.
    frmRedLS* openJanuary2026()
    {
        writeRecords({ { "Иванов И. И.",
                           { { January2026, "200,00" }, { January2026 - 1, "1000,00" },
                               { January2026 + 6, "300,00" } } },
            { "Петрова А. С.", {} }, { "Семёнов Л. Д.", {} } });
        return openLedger("2026", 0);
    }

    static Lines outgoing()
    {
        Lines document = payment(
            "9", "5000.00", "СНТ Рассвет", "Оплата по договору энергоснабжения", "20.01.2026", OurAccount);
        document[6].second = "40702810000000009999";
        return document;
    }

    // Иванов and Петрова matched, a refund from a firm not.
    static std::vector<Lines> januaryPayments()
    {
        return { payment("101", "1500.00", "Иванов Иван Иванович",
                     "Оплата электроэнергии л/с 1 за январь 2026", "20.01.2026", "40817810000000000101"),
            payment("102", "700,50", "Петрова Анна Сергеевна", "за электроэнергию", "21.01.2026",
                "40817810000000000102"),
            outgoing(),
            payment("103", "300", "ООО Ромашка", "возврат", "22.01.2026", "40702810000000000103") };
    }

    std::string writeStatement(const std::vector<Lines>& documents, const char* name = "statement.txt")
    {
        const std::string path = folder.file(name);
        writeBytes(path, encoded(statementText(header(), documents), "CP1251"));
        return path;
    }

    frmBank* importFile(frmRedLS* ledger, const std::string& path)
    {
        dialogs.fileNames.push_back(QString::fromStdString(path));
        ledger->findChild<QToolButton*>("CmdBank")->click();
        return ledger->findChild<frmBank*>();
    }

    static QString label(frmBank* window, const char* name)
    {
        auto* found = window->findChild<QLabel*>(name);
        return found ? found->text() : QStringLiteral("<none>");
    }

    // Chooses in the row's subscriber or month list as the user does: a click opens it, another
    // cell takes the choice.
    static void choose(frmBank* window, int row, int column, int choice)
    {
        QTableView* grid = window->grid();
        click(grid, window->model()->index(row, column));
        auto* combo = grid->findChild<QComboBox*>();
        ASSERT_NE(combo, nullptr);
        combo->setCurrentIndex(choice);
        grid->setCurrentIndex(window->model()->index(row, BankModel::Date));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void closeWindow(frmBank* window)
    {
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    std::string journalPath() const { return folder.file("Tervolin2.bank"); }
};

} // namespace banktest
