#include "statusmemo.h"

#include <QTextBlock>
#include <QTextCursor>

TStatusMemo::TStatusMemo(QWidget *parent) : QTextEdit(parent)
{
    setReadOnly(true);
    setAcceptRichText(false);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void TStatusMemo::Replace(const QString &text, const QColor &colour)
{
    Clear(colour);
    InsertAtEnd(text, false);
}

void TStatusMemo::Append(const QString &text)
{
    InsertAtEnd(text, false);
}

void TStatusMemo::AddLine(const QString &text)
{
    InsertAtEnd(text, !document()->isEmpty());
}

void TStatusMemo::Clear(const QColor &colour)
{
    colour_ = colour;
    clear();
    setAlignment(Qt::AlignLeft);
}

QStringList TStatusMemo::Lines() const
{
    QStringList lines;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    if (lines.size() == 1 && lines.front().isEmpty())
        lines.clear();
    return lines;
}

void TStatusMemo::InsertAtEnd(const QString &text, bool newBlock)
{
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(colour_);
    if (newBlock)
        cursor.insertBlock();
    cursor.insertText(text, format);
    setTextCursor(cursor);
    ensureCursorVisible();
}
