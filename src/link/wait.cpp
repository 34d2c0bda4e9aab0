#include "wait.h"

#include <chrono>
#include <thread>

namespace
{
Wait::Handler &handler()
{
    static Wait::Handler current;
    return current;
}
} // namespace

void Wait::For(int milliseconds)
{
    if (handler()) {
        handler()(milliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void Wait::SetHandler(Handler newHandler)
{
    handler() = std::move(newHandler);
}
