#pragma once

#include "howtotopic.h"

#include <QWidget>
#include <array>
#include <memory>

// The five how-to windows, made once with the main window and kept for the program's life.
// Show() is modeless: a window already open comes to the front as it is.
class THowToWindows
{
public:
    THowToWindows();
    ~THowToWindows();
    THowToWindows(const THowToWindows &) = delete;
    THowToWindows &operator=(const THowToWindows &) = delete;

    void Show(THowToTopic topic);
    QWidget *Window(THowToTopic topic) const;

private:
    std::array<std::unique_ptr<QWidget>, static_cast<size_t>(THowToTopic::Count)> windows_;
};
