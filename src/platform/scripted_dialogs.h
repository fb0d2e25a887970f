#pragma once

// Dialogs answered from a script, for tests: every question is recorded with its exact text,
// title, icon and buttons, and answered from a queue (the box's default answer when the queue is
// empty; a cancel for file and colour dialogs).

#include "platform/dialogs.h"

#include <QList>
#include <deque>
#include <functional>
#include <optional>

class ScriptedDialogs : public Dialogs
{
public:
    // A progress box as it was shown, and every count of done steps it was given.
    struct ProgressShown
    {
        QString text;
        QString title;
        int total = 0;
        QList<int> steps;
    };

    QList<Message> shown;
    QList<FileRequest> fileRequests;
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> fileNames;
    std::deque<std::optional<quint32>> colours;
    QList<ProgressShown> progresses;
    // The user presses "Отмена" once this many steps are done.
    std::optional<int> cancelProgressAt;
    // Runs while a box is "on screen", as other events could.
    std::function<void(const Message&)> whileShown;

    Answer show(const Message& message) override;
    std::optional<QString> saveFileName(const FileRequest& request) override;
    std::optional<QString> openFileName(const FileRequest& request) override;
    std::optional<quint32> chooseColour(quint32 initial) override;
    std::unique_ptr<Progress> progress(const QString& text, const QString& title, int total) override;
};
