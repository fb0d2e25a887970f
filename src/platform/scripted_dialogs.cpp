#include "platform/scripted_dialogs.h"

Answer ScriptedDialogs::show(const Message& message)
{
    shown.append(message);
    if (whileShown)
        whileShown(message);
    // Ended unattended while "on screen", as a real box closed by the ending.
    if (unattended())
        return message.defaultAnswer;
    if (answers.empty())
        return message.defaultAnswer;
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::optional<QString> ScriptedDialogs::saveFileName(const FileRequest& request)
{
    fileRequests.append(request);
    std::optional<QString> name;
    if (!fileNames.empty()) {
        name = std::move(fileNames.front());
        fileNames.pop_front();
    }
    return name;
}

std::optional<QString> ScriptedDialogs::openFileName(const FileRequest& request)
{
    return saveFileName(request);
}

std::optional<quint32> ScriptedDialogs::chooseColour(quint32)
{
    if (colours.empty())
        return std::nullopt;
    auto colour = colours.front();
    colours.pop_front();
    return colour;
}
