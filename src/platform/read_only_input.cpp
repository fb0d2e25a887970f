#include "platform/read_only_input.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

namespace {

class ChangeRefusal : public QObject
{
public:
    ChangeRefusal(QLineEdit* box, std::function<void()> refused) : QObject(box), m_refused(std::move(refused))
    { }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QLineEdit*>(parent())->isReadOnly()
            && changesText(*static_cast<QKeyEvent*>(event))) {
            m_refused();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> m_refused;
};

} // namespace

bool changesText(const QKeyEvent& event)
{
    for (const QKeySequence::StandardKey key : { QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Undo,
             QKeySequence::Redo, QKeySequence::Delete, QKeySequence::Backspace, QKeySequence::DeleteEndOfWord,
             QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfLine,
             QKeySequence::DeleteCompleteLine }) {
        if (event.matches(key))
            return true;
    }
    if (event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete)
        return true;
    // A character typed; with Ctrl or Alt held the key is a command (Ctrl+C copies), and Shift
    // alone still types.
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = event.text();
    return !text.isEmpty() && text.front().isPrint();
}

void refuseChanges(QLineEdit* box, std::function<void()> refused)
{
    box->setReadOnly(true);
    explainWhileReadOnly(box, std::move(refused));
}

void explainWhileReadOnly(QLineEdit* box, std::function<void()> refused)
{
    box->installEventFilter(new ChangeRefusal(box, std::move(refused)));
}
