#pragma once

#include "adjust/errorreport.h"

#include "adjustservices.h"

#include <QAbstractButton>
#include <QWidget>
#include <cstdint>

class QLabel;
class QStackedLayout;
class QVBoxLayout;

// One item of the main adjustment window (market setting, USB ID, head cleaning, ...): the
// panel shown in the item area when the item is chosen in its list, with the item's buttons
// and handlers. The registry names the panel. An item with several pages (head ID, Bi-D)
// adds them with AddPage and switches with ShowPage; the first page is the panel's own.
class TItemPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TItemPanel(TAdjustServices &window, QWidget *parent = nullptr);

    // Run when the item is chosen in its list, before the panel is shown: empty edits,
    // clear check boxes, show the first page. Default: the first page.
    virtual void Prepare();
    // Run once the panel is visible: focus, and reads the panel shows first. Default: focus
    // on InitialFocus().
    virtual void Shown();
    // The control that takes the focus once the panel is shown (nullptr: none).
    virtual QWidget *InitialFocus() { return nullptr; }
    // The panel's "OK" button where it has one (the CR offset text moves the focus there).
    virtual QWidget *OkButton() { return nullptr; }
    // The wording of an item error status (0x5000, 0x8000, ...) from the detail this item's
    // rules keep. Asked only of the item that is showing. Default: nothing to show.
    virtual TPErrorWording ItemError(uint16_t code) const;

protected:
    TAdjustServices &Window() const { return window_; }
    // The layout of the first page (the panel's own).
    QVBoxLayout *PageLayout() const { return firstPage_; }
    // A further page with its own object name; returns its layout.
    QVBoxLayout *AddPage(const QString &name);
    // Hides every item panel as the lists do, then shows this item with the given page
    // (0 = the first page).
    void ShowPage(int page);
    int CurrentPage() const;

    // Runs handler on every click of button, with the window told that an item handler runs.
    template <typename Panel> void OnClick(QAbstractButton *button, void (Panel::*handler)())
    {
        connect(button, &QAbstractButton::clicked, this, [this, handler] {
            const HandlerRun run(window_);
            (static_cast<Panel *>(this)->*handler)();
        });
    }

    // Helpers for laying out a page: a bold title line and plain text lines.
    QLabel *AddTitle(QVBoxLayout *layout, const QString &text);
    QLabel *AddText(QVBoxLayout *layout, const QString &text);

private:
    // The window knows of a handler from its start to its end.
    class HandlerRun
    {
    public:
        explicit HandlerRun(TAdjustServices &window) : window_(window) { window_.HandlerStarted(); }
        ~HandlerRun() { window_.HandlerEnded(); }
        HandlerRun(const HandlerRun &) = delete;
        HandlerRun &operator=(const HandlerRun &) = delete;

    private:
        TAdjustServices &window_;
    };

    TAdjustServices &window_;
    QStackedLayout *pages_;
    QVBoxLayout *firstPage_;
};
