#pragma once

#include <QColor>
#include <QTextEdit>

// The status memo of the main window: read-only lines in the colour of the message mode
// that wrote them (blue while working, black for results, red for errors).
class TStatusMemo : public QTextEdit
{
    Q_OBJECT

public:
    explicit TStatusMemo(QWidget *parent = nullptr);

    // Replaces the whole text, in colour.
    void Replace(const QString &text, const QColor &colour);
    // Appended to the last line, in the colour of the last write.
    void Append(const QString &text);
    // Added as a new line (the first line when the memo is empty), in the last colour.
    void AddLine(const QString &text);
    void Clear(const QColor &colour);

    QColor Colour() const { return colour_; }
    // The memo's lines, as shown.
    QStringList Lines() const;

private:
    void InsertAtEnd(const QString &text, bool newBlock);

    QColor colour_ = Qt::black;
};
