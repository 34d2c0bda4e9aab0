#pragma once

#include <functional>

// Every timed wait of the printer logic goes through here: the status poll, the print
// stream's resend wait and fixed waits. The program installs a wait that keeps the window
// painted; tests install one that returns at once and records what was asked.
class Wait
{
public:
    using Handler = std::function<void(int milliseconds)>;

    static void For(int milliseconds);
    // Replaces the handler; an empty handler restores the default (a plain sleep).
    static void SetHandler(Handler handler);
};
