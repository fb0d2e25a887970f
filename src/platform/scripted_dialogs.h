#pragma once

// Dialogs answered from a script, for tests: every question is recorded with its exact text,
// title, icon and buttons, and answered from a queue (the box's default answer when the queue is
// empty; a cancel for file and colour dialogs).

#include "platform/dialogs.h"

#include <QList>
#include <deque>
#include <functional>

class ScriptedDialogs : public Dialogs
{
public:
    QList<Message> shown;
    QList<FileRequest> fileRequests;
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> fileNames;
    std::deque<std::optional<quint32>> colours;
    // Runs while a box is "on screen", as other events could.
    std::function<void(const Message&)> whileShown;

    Answer show(const Message& message) override;
    std::optional<QString> saveFileName(const FileRequest& request) override;
    std::optional<QString> openFileName(const FileRequest& request) override;
    std::optional<quint32> chooseColour(quint32 initial) override;
};
