#pragma once

// The main window on a database of the test's own with the preview frame it opens, and what the
// document tests read off the paper.

#include "app/main_window.h"
#include "database/money.h"
#include "documents/ledger_print_page.h"
#include "documents/preview_frame.h"
#include "documents/receipt_window.h"
#include "documents/sheet_printout.h"
#include "documents/statement_page.h"
#include "sheet/sheet_view.h"
#include "support/app_fixture.h"
#include "support/pdf.h"
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEnterEvent>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QToolBar>
#include <algorithm>

namespace documentstest {

// Subscribers "Абонент 1" …, each with a start reading for March 2026.
inline std::vector<std::vector<std::string>> numberedSubscribers(int count)
{
    std::vector<std::vector<std::string>> records;
    for (int i = 1; i <= count; ++i) {
        std::vector<std::string> record(fields::PerRecord);
        record[fields::Number - 1] = std::to_string(i);
        record[fields::FullName - 1] = "Абонент " + std::to_string(i);
        record[fields::Address - 1] = "уч. " + std::to_string(i);
        record[fields::monthBase(6, 3) + fields::PreviousReading - 1] = std::to_string(10000 + i);
        records.push_back(record);
    }
    return records;
}

inline void settle()
{
    QApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
}

class Documents : public AppFixture
{
protected:
    // A frame left open outlives the main window; it goes with the test that opened it.
    void TearDown() override
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (qobject_cast<MDIfrmPrint*>(w))
                delete w;
        }
    }

    Form1* startOn2026()
    {
        settings.setValue(settings::Main, "Cmb1", "2026");
        return start();
    }

    MDIfrmPrint* frame() const
    {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* f = qobject_cast<MDIfrmPrint*>(w); f && f->isVisible())
                return f;
        }
        return nullptr;
    }

    // What the sheet's pop-up menu does for month m: the month label hands over, then the item.
    void chooseForMonth(Form1* form, int m, const char* item)
    {
        QTest::mouseClick(form->sheet()->monthLabel(m), Qt::RightButton);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->objectName(), "Menu_Vedomost");
        QAction* action = menu->findChild<QAction*>(item);
        ASSERT_NE(action, nullptr);
        menu->close();
        settle();
        action->trigger();
    }

    void print(MDIfrmPrint* f) { f->findChild<QAction*>("Print")->trigger(); }

    std::string printedText(int n) const { return pdfText(printedPage(n)); }
};

// Pixels of a printed page that are not black, white or grey: paper that shows a colour.
inline int colouredPixels(const std::string& pdf, const std::string& png)
{
    if (std::system(("pdftoppm -r 60 -png -singlefile '" + pdf + "' '" + png + "'").c_str()) != 0)
        return -1;
    const QImage image(QString::fromStdString(png + ".png"));
    if (image.isNull())
        return -1;
    int coloured = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int high = std::max({ c.red(), c.green(), c.blue() });
            const int low = std::min({ c.red(), c.green(), c.blue() });
            if (high - low > 40)
                ++coloured;
        }
    }
    return coloured;
}

template <typename T> inline T* child(QWidget* parent, const char* name)
{
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QColor textColour(QLabel* label)
{
    return label->palette().color(QPalette::WindowText);
}

} // namespace documentstest
