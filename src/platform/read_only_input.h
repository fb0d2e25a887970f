#pragma once

// Boxes that show what a file holds without letting it change: the text can still be selected,
// copied and moved through, but a key that would change it (a character, Delete, Backspace, a
// paste or a cut, undo and redo) is refused. The refusal is the caller's to say, so that the user
// learns why typing does nothing.

#include <functional>

class QKeyEvent;
class QLineEdit;

// Whether the key, pressed in a line edit that takes typing, would change its text.
bool changesText(const QKeyEvent& event);

// Makes the box read-only; each key press that would have changed it calls `refused` instead.
void refuseChanges(QLineEdit* box, std::function<void()> refused);
// The same explanation for a box that is read-only only at times (a closed month's cell): while it
// is, a key that would change it calls `refused`; while it is not, typing goes on as usual.
void explainWhileReadOnly(QLineEdit* box, std::function<void()> refused);
