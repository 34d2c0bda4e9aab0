#pragma once

#include <QWidget>
#include <cstdint>

class TAdjustServices;
class QLabel;
class QVBoxLayout;

// One item of the main adjustment window (market setting, USB ID, head cleaning, ...): the
// panel shown in the item area when the item is chosen in its list, with the item's buttons
// and handlers. An item with several pages keeps them as child panels of this one.
class TItemPanel : public QWidget
{
    Q_OBJECT

public:
    // panelName is the item's panel name (e.g. "DefaultSetPnl"), used as objectName.
    TItemPanel(TAdjustServices &window, const QString &panelName, QWidget *parent = nullptr);

    // Run when the item is chosen in its list, before the panel is shown: empty edits,
    // clear check boxes, read what the panel shows first. Default: nothing.
    virtual void Prepare() {}
    // The control that takes the focus once the panel is shown (nullptr: none).
    virtual QWidget *InitialFocus() { return nullptr; }
    // The panel's "OK" button where it has one (the CR offset text moves the focus there).
    virtual QWidget *OkButton() { return nullptr; }
    // Words an item error status (0x5000, 0x8000, ...) whose detail this item keeps, in the
    // status memo. Returns false when the code is not this item's.
    virtual bool ReportItemError(uint16_t code);

protected:
    TAdjustServices &Window() { return window_; }
    // Helpers for laying out a panel: a bold title line and plain text lines.
    QLabel *AddTitle(QVBoxLayout *layout, const QString &text);
    QLabel *AddText(QVBoxLayout *layout, const QString &text);

private:
    TAdjustServices &window_;
};
