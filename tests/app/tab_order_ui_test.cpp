// The Tab key goes round every dialog as the eye reads it: row by row from the top, left to right
// within a row, and from the last control back to the first.

#include "accounts/ledger_fixture.h"
#include "directory/directory_model.h"
#include "directory/directory_window.h"

#include <QAbstractButton>
#include <QDialog>
#include <QPushButton>

namespace {

using namespace ledgertest;

class TabOrder : public LedgerWindow
{
protected:
    static QWidget* shownWindow(const char* className)
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->inherits(className) && window->isVisible())
                return window;
        }
        return nullptr;
    }

    // The controls in the ring the Tab key goes round, each as a whole (not its parts), from the
    // one that stands first.
    static QList<QWidget*> tabChain(QWidget* window)
    {
        QList<QWidget*> chain;
        for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
            if (w->window() != window || !(w->focusPolicy() & Qt::TabFocus) || !w->isVisibleTo(window))
                continue;
            bool part = false;
            for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
                part = part || (p->focusPolicy() & Qt::TabFocus);
            if (!part)
                chain << w;
        }
        const auto first = std::min_element(chain.begin(), chain.end(), [window](QWidget* a, QWidget* b) {
            const QPoint pa = a->mapTo(window, QPoint(0, 0));
            const QPoint pb = b->mapTo(window, QPoint(0, 0));
            return std::pair(pa.y(), pa.x()) < std::pair(pb.y(), pb.x());
        });
        std::rotate(chain.begin(), first, chain.end());
        return chain;
    }

    static void expectReadingOrder(QWidget* window)
    {
        ASSERT_NE(window, nullptr);
        const QList<QWidget*> chain = tabChain(window);
        EXPECT_GE(chain.size(), 1) << window->objectName().toStdString();
        for (qsizetype i = 1; i < chain.size(); ++i) {
            const QRect a(chain[i - 1]->mapTo(window, QPoint(0, 0)), chain[i - 1]->size());
            const QRect b(chain[i]->mapTo(window, QPoint(0, 0)), chain[i]->size());
            const int overlap = std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top());
            const bool sameRow = overlap >= std::min(a.height(), b.height()) / 2;
            EXPECT_TRUE(sameRow ? b.left() > a.left() : b.top() > a.top())
                << window->objectName().toStdString() << ": " << chain[i - 1]->objectName().toStdString()
                << " then " << chain[i]->objectName().toStdString();
        }
    }

    void closeDialogs()
    {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible() && window != main && !qobject_cast<frmRedLS*>(window)
                && !qobject_cast<frmSpr*>(window))
                window->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

TEST_F(TabOrder, EveryDialogIsWalkedAsItIsRead)
{
    writeRecords({ { "Иванов И. И.", { { December2024, "100" } } }, { "Петров П. П.", {} } });
    frmRedLS* ledger = openLedger("2024", 11);
    ASSERT_NE(ledger, nullptr);
    ledger->findChild<QToolButton*>("Command2")->click();
    expectReadingOrder(shownWindow("frmTunLs"));
    closeDialogs();
    ledger->findChild<QPushButton*>("CmdPerenos")->click();
    expectReadingOrder(shownWindow("frmPerenos"));
    closeDialogs();
    ledger->findChild<QPushButton*>("CmdDebtors")->click();
    expectReadingOrder(shownWindow("frmDebtors"));
    closeDialogs();
    closeLedger(ledger);

    const struct
    {
        const char* item;
        const char* window;
    } fromTheMenus[] = {
        { "Menu_Tuns_Save", "frmTunSave" },
        { "Menu_Tuns_Coloor", "frmColor" },
        { "Menu_Tuns_Rekv", "frmRekv" },
        { "Menu_Tools_KvitAll", "frmKvitAll" },
        { "Menu_Hlp_About", "frmAbout" },
        { "Menu_Tools_Gr1", "frmGr1" },
        { "Menu_Tools_Check", "frmCheck" },
        { "Menu_Tools_Summary", "frmSummary" },
    };
    for (const auto& opened : fromTheMenus) {
        main->findChild<QAction*>(opened.item)->trigger();
        expectReadingOrder(shownWindow(opened.window));
        closeDialogs();
    }

    main->findChild<QAction*>("Mnu_Abonenty")->trigger();
    frmSpr* directory = program->directoryWindow();
    ASSERT_NE(directory, nullptr);
    expectReadingOrder(directory);
    directory->findChild<QPushButton*>("Cmd1")->click();
    expectReadingOrder(shownWindow("frmAdd"));
    shownWindow("frmAdd")->hide();
    directory->grid()->setCurrentIndex(directory->model()->index(0, 0));
    directory->findChild<QPushButton*>("Cmd2")->click();
    expectReadingOrder(shownWindow("frmRedakt"));
}

} // namespace
