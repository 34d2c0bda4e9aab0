#include "accessnames.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QWidget>

namespace Access
{
QString Spoken(const QString &caption)
{
    QString words = caption;
    // "&&" shows one ampersand; a single '&' marks the mnemonic and is not read.
    words.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    words.remove(QLatin1Char('&'));
    words.replace(QLatin1Char('\x01'), QLatin1Char('&'));
    words = words.trimmed();
    if (words.endsWith(QLatin1Char(':')))
        words.chop(1);
    return words.trimmed();
}

void Name(QWidget *control, const QString &caption, const QString &hint)
{
    control->setAccessibleName(Spoken(caption));
    if (!hint.isEmpty())
        control->setAccessibleDescription(hint);
}

void NameAfter(QWidget *control, QLabel *caption, const QString &hint)
{
    caption->setBuddy(control);
    Name(control, caption->text(), hint);
}
} // namespace Access

namespace
{
// The value label as the accessibility bus sees it: a static text whose name is the spoken
// name and whose text is the value shown.
class TValueLabelInterface : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit TValueLabelInterface(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Value)
            return Shown();
        return QAccessibleWidget::text(kind);
    }

    // The read-only text.
    QString text(int start, int end) const override { return Shown().mid(start, end - start); }
    int characterCount() const override { return int(Shown().size()); }
    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *start, int *end) const override
    {
        *start = *end = offset;
        return QString();
    }

private:
    QString Shown() const { return static_cast<const QLabel *>(widget())->text(); }
};

QAccessibleInterface *ValueLabelFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TValueLabel") && object && object->isWidgetType())
        return new TValueLabelInterface(static_cast<QLabel *>(object));
    return nullptr;
}
} // namespace

TValueLabel::TValueLabel(const QString &spokenName, QWidget *parent) : QLabel(parent)
{
    // Qt asks the factories for every object it describes; one registration serves all.
    static const bool registered = [] {
        QAccessible::installFactory(ValueLabelFactory);
        return true;
    }();
    Q_UNUSED(registered);
    setAccessibleName(spokenName);
}
