#pragma once

#include <QLabel>
#include <QString>

class QWidget;

// What a screen reader says for a control: the words a person reads beside it. The code name
// stays the control's objectName (tests and the item registry find controls by it) and is
// never spoken.
namespace Access
{
// A caption's words as spoken: without the mnemonic mark and without a closing colon.
QString Spoken(const QString &caption);
// Names a control with the words of its caption and, where there is one, a hint such as
// its range ("-35 to 35") as its description.
void Name(QWidget *control, const QString &caption, const QString &hint = QString());
// Names a control after the caption label beside it, which becomes the label's buddy.
void NameAfter(QWidget *control, QLabel *caption, const QString &hint = QString());
} // namespace Access

// A label that shows a value (a summary cell, millimetres, the model name). It is spoken by
// what the value is ("USB ID", "Bi-D VSD1 Typ Black") and offers the value itself as its
// text, so that a screen reader can read it out; a plain label would offer only one of the
// two.
class TValueLabel : public QLabel
{
    Q_OBJECT

public:
    TValueLabel(const QString &spokenName, QWidget *parent = nullptr);
};
