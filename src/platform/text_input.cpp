#include "platform/text_input.h"

#include "text/cp1251.h"

#include <QLineEdit>
#include <limits>

bool isStorableCharacter(QChar c)
{
    if (c == QLatin1Char('|') || c == QLatin1Char('\r') || c == QLatin1Char('\n'))
        return false;
    if (c.isSurrogate())
        return false;
    return cp1251::canEncode(c.unicode());
}

QString storableText(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (QChar c : text) {
        if (isStorableCharacter(c))
            result += c;
    }
    return result;
}

QValidator::State StorableTextValidator::validate(QString& input, int& position) const
{
    int removedBefore = 0;
    QString clean;
    clean.reserve(input.size());
    for (int i = 0; i < input.size(); ++i) {
        if (isStorableCharacter(input[i]))
            clean += input[i];
        else if (i < position)
            ++removedBefore;
    }
    if (clean.size() != input.size()) {
        input = clean;
        position -= removedBefore;
    }
    return Acceptable;
}

void StorableTextValidator::fixup(QString& input) const
{
    input = storableText(input);
}

void acceptOnlyStorableText(QLineEdit* box)
{
    box->setValidator(new StorableTextValidator(box));
    box->setMaxLength(std::numeric_limits<int>::max());
}
