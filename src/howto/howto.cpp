#include "howto.h"

#include "howtoforms.h"

#include "widgets/windowplacement.h"

THowToWindows::THowToWindows()
{
    windows_[size_t(THowToTopic::Bid)] = std::make_unique<THowToBidAdjustForm>();
    windows_[size_t(THowToTopic::HeadAngular)] = std::make_unique<THowToHdAngAdjustForm>();
    windows_[size_t(THowToTopic::PwSensor)] = std::make_unique<THowToPWAdjustForm>();
    windows_[size_t(THowToTopic::FirstDot)] = std::make_unique<THowToFirstDotAdjustForm>();
    windows_[size_t(THowToTopic::TopMargin)] = std::make_unique<THowToTopMarginAdjustForm>();
}

THowToWindows::~THowToWindows() = default;

QWidget *THowToWindows::Window(THowToTopic topic) const
{
    return windows_[size_t(topic)].get();
}

void THowToWindows::Show(THowToTopic topic)
{
    QWidget *window = Window(topic);
    if (!window->isVisible())
        TWindowPlacement::CentreOnScreen(window);
    window->show();
    window->raise();
    window->activateWindow();
}
