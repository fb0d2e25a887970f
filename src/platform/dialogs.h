#pragma once

// Everything the program asks of the user through standard dialogs: message boxes with an exact
// text, title, icon and buttons; file dialogs; the colour dialog. Windows call these through this
// interface so that tests can answer them and check what was asked.

#include <QString>
#include <memory>
#include <optional>

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, YesNo, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

struct Message
{
    QString text;
    QString title; // empty: the program's own name
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    Answer defaultAnswer = Answer::Ok;
};

struct FileRequest
{
    // Filters as the program keeps them: "description|pattern|description|pattern|".
    QString filter;
    QString defaultExtension; // "*.spb"
    QString proposedName; // "" for none
    QString folder = {}; // the folder the dialog opens in; "" for the user's home folder
};

// The box over a long piece of work: how far it has come, and a button to cancel it.
class Progress
{
public:
    virtual ~Progress() = default;
    // Sets the count done; false once the user has cancelled.
    virtual bool advance(int done) = 0;
};

class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // Shows the box and waits for the answer; once nobody is there to answer, the box's default.
    Answer message(const Message& message) { return m_unattended ? message.defaultAnswer : show(message); }
    // A cancelled dialog gives no name; that is a normal answer, not an error.
    virtual std::optional<QString> saveFileName(const FileRequest& request) = 0;
    virtual std::optional<QString> openFileName(const FileRequest& request) = 0;
    // Colours in the layout 0x00BBGGRR; no value when the user cancels.
    virtual std::optional<quint32> chooseColour(quint32 initial) = 0;
    // A progress box over the work of `total` steps, with a button "Отмена"; it shows only when
    // the work lasts, and goes when the returned object does.
    virtual std::unique_ptr<Progress> progress(const QString& text, const QString& title, int total) = 0;

    // The run is ending on a signal (log-out, shutdown): from now on every box takes its default
    // answer unseen, and a box on screen that the ending closes answers with its default too.
    void answerUnattended() { m_unattended = true; }
    bool unattended() const { return m_unattended; }

    // Shorthands for the common boxes.
    void error(const QString& text, const QString& title)
    {
        message({ text, title, MessageIcon::Critical, MessageButtons::Ok, Answer::Ok });
    }
    bool askYesNo(const QString& text, const QString& title, MessageIcon icon)
    {
        return message({ text, title, icon, MessageButtons::YesNo, Answer::No }) == Answer::Yes;
    }
    // Yes, No or Cancel; closing the box is Cancel.
    Answer askYesNoCancel(const QString& text, const QString& title, Answer defaultAnswer)
    {
        return message({ text, title, MessageIcon::Question, MessageButtons::YesNoCancel, defaultAnswer });
    }

protected:
    virtual Answer show(const Message& message) = 0;

private:
    bool m_unattended = false;
};
