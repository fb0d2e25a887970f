#pragma once

// Input boxes take only what the database can keep in a field: no "|" (it separates the fields),
// no line breaks, no character outside Windows-1251. Typing such a character does nothing; a
// pasted text arrives without them.

#include <QValidator>

class QLineEdit;

class StorableTextValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
    void fixup(QString& input) const override;
};

bool isStorableCharacter(QChar c);
QString storableText(const QString& text);

// Installs the validator on the box (it becomes the box's child) and lifts the box's length limit:
// a stored field may be longer than a line edit takes by default (32767 characters), and showing it
// must not cut it.
void acceptOnlyStorableText(QLineEdit* box);
