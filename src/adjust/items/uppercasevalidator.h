#pragma once

#include <QValidator>

// Forces letters to upper case as they are typed or pasted into an edit. Accepts any text:
// what may be stored is the item's rules to judge, with their own message.
class TUpperCaseValidator : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &) const override
    {
        // Character by character, so the text keeps its length ("ß" stays one character).
        for (QChar &c : input)
            c = c.toUpper();
        return Acceptable;
    }
};
