#pragma once

// The subscriber directory opened from the main window on a database of the test's own, and the
// helpers that click its rows, type into its dialogs and read its grid and file.

#include "app/main_window.h"
#include "directory/add_subscriber_window.h"
#include "directory/directory_model.h"
#include "directory/directory_window.h"
#include "directory/edit_subscriber_window.h"
#include "support/app_fixture.h"
#include "text/cp1251.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <vector>

namespace directorytest {

inline const QColor Yellow(0xFF, 0xFF, 0x00);
inline const QColor LightCyan(0x80, 0xFF, 0xFF);

// Typing as the keyboard does; QTest's own typing knows only Latin letters.
inline void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Names of the windows shown while it exists.
class ShownWindows : public QObject
{
public:
    ShownWindows() { qApp->installEventFilter(this); }
    QStringList names;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->isWindow())
            names << watched->objectName();
        return false;
    }
};

inline void settle()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class Directory : public AppFixture
{
protected:
    // Starts the program and opens the directory from the main window's menu.
    frmSpr* openDirectory()
    {
        Form1* form = program->mainWindow() ? program->mainWindow() : start();
        if (!form)
            return nullptr;
        form->findChild<QAction*>("Mnu_Abonenty")->trigger();
        settle();
        return activated(program->directoryWindow());
    }

    template <typename W> W* activated(W* window)
    {
        if (window) {
            window->activateWindow();
            // A dialog counts as active while its opener is; the keyboard goes to the dialog only
            // once it is the active window itself.
            EXPECT_TRUE(QTest::qWaitFor([window] { return QApplication::activeWindow() == window; }));
        }
        return window;
    }

    QPushButton* button(QWidget* window, const char* name) { return window->findChild<QPushButton*>(name); }

    void clickRow(frmSpr* directory, int row)
    {
        QTableView* g = directory->grid();
        const QModelIndex index = g->model()->index(row - 1, 1);
        g->scrollTo(index);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(index).center());
    }

    QString cell(frmSpr* directory, int row, int column)
    {
        return directory->model()->index(row - 1, column).data().toString();
    }

    QColor rowColour(frmSpr* directory, int row, int column = 0)
    {
        return directory->model()->index(row - 1, column).data(Qt::BackgroundRole).value<QColor>();
    }

    // The rows painted in the colour across all six cells.
    std::vector<int> rowsColoured(frmSpr* directory, const QColor& colour)
    {
        std::vector<int> rows;
        for (int row = 1; row <= directory->model()->rowCount(); ++row) {
            int cells = 0;
            for (int column = 0; column < DirectoryModel::ColumnCount; ++column)
                cells += rowColour(directory, row, column) == colour ? 1 : 0;
            if (cells == DirectoryModel::ColumnCount)
                rows.push_back(row);
        }
        return rows;
    }

    frmAdd* openAdder(frmSpr* directory)
    {
        button(directory, "Cmd1")->click();
        return activated(directory->findChild<frmAdd*>());
    }

    // Types a subscriber into the boxes of a dialog, leaving the boxes with Enter as an operator would.
    void typeEntry(SubscriberForm* dialog, const std::vector<QString>& texts)
    {
        for (std::size_t j = 0; j < texts.size(); ++j) {
            dialog->box(int(j))->setFocus(Qt::TabFocusReason);
            dialog->box(int(j))->selectAll();
            typeText(dialog->box(int(j)), texts[j]);
            QTest::keyClick(dialog->box(int(j)), Qt::Key_Return);
            settle();
        }
    }

    QStringList selectorNames(Form1* form)
    {
        QStringList names;
        for (int i = 0; i < form->subscriberSelector()->count(); ++i)
            names << form->subscriberSelector()->itemText(i);
        return names;
    }

    bool fileHas(const std::string& utf8) const
    {
        return databaseBytes().find(cp1251::encode(utf8)) != std::string::npos;
    }
    int fileLines() const
    {
        const std::string bytes = databaseBytes();
        return int(std::count(bytes.begin(), bytes.end(), '\n'));
    }
};

} // namespace directorytest
