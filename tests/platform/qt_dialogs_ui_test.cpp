// The real message boxes at the end of a run on a signal: a box on screen is closed, and the code
// that asked goes on with the box's default answer, not with the answer a closed box gives.

#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Shows the box; while it waits, the run ends unattended and the box is closed as the ending does.
// The ending never outlives the call, even when no box came up to wait.
Answer answerWhenEndedUnattended(QtDialogs& dialogs, const Message& message)
{
    QObject call;
    QTimer::singleShot(0, &call, [&dialogs] {
        dialogs.answerUnattended();
        if (QWidget* box = QApplication::activeModalWidget())
            box->close();
    });
    return dialogs.message(message);
}

TEST(QtDialogs, ABoxOnScreenWhenTheRunEndsUnattendedAnswersWithItsDefault)
{
    const struct
    {
        MessageButtons buttons;
        Answer defaultAnswer;
    } cases[] = {
        { MessageButtons::YesNoCancel, Answer::Yes },
        { MessageButtons::YesNoCancel, Answer::No },
        { MessageButtons::YesNo, Answer::Yes },
    };
    for (const auto& c : cases) {
        QtDialogs dialogs;
        const Message message{ QStringLiteral("Занести добавленных абонентов в базу?"), QString(),
            MessageIcon::Question, c.buttons, c.defaultAnswer };
        EXPECT_EQ(answerWhenEndedUnattended(dialogs, message), c.defaultAnswer);
        // Afterwards nothing is shown at all.
        EXPECT_EQ(dialogs.message(message), c.defaultAnswer);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

TEST(QtDialogs, ABoxWithoutATitleOfItsOwnCarriesTheProgramsName)
{
    QtDialogs dialogs;
    QString shownTitle;
    QObject call;
    QTimer::singleShot(0, &call, [&shownTitle] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            shownTitle = box->windowTitle();
            box->close();
        }
    });
    dialogs.message({ QStringLiteral("База сохранена."), QString(), MessageIcon::Information });
    EXPECT_EQ(shownTitle, "Терволин");
}

} // namespace
