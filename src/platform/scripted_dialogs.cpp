#include "platform/scripted_dialogs.h"

namespace {

class ScriptedProgress : public Progress
{
public:
    ScriptedProgress(ScriptedDialogs& dialogs, qsizetype index) : m_dialogs(dialogs), m_index(index) { }

    bool advance(int done) override
    {
        m_dialogs.progresses[m_index].steps.append(done);
        if (m_dialogs.cancelProgressAt && done >= *m_dialogs.cancelProgressAt)
            m_cancelled = true;
        return !m_cancelled;
    }

private:
    ScriptedDialogs& m_dialogs;
    qsizetype m_index;
    bool m_cancelled = false;
};

} // namespace

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

std::unique_ptr<Progress> ScriptedDialogs::progress(const QString& text, const QString& title, int total)
{
    progresses.append({ text, title, total, {} });
    return std::make_unique<ScriptedProgress>(*this, progresses.size() - 1);
}
