#pragma once

class QWidget;

// Window positions shared by the program's windows.
class TWindowPlacement
{
public:
    // Moves a top-level window to the middle of the screen it is on.
    static void CentreOnScreen(QWidget *window);
};
