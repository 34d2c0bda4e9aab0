#pragma once

// Shared by both scripted libraries: hands a recorded text to the test.
#include <algorithm>
#include <cstring>
#include <string>

// Copies text into out (at most max - 1 characters and a terminating zero; nothing when out
// is null or max is not positive) and returns the full length.
inline int FakeCopyText(const std::string &text, char *out, int max)
{
    if (out && max > 0) {
        const int count = std::min(static_cast<int>(text.size()), max - 1);
        std::memcpy(out, text.data(), static_cast<size_t>(count));
        out[count] = '\0';
    }
    return static_cast<int>(text.size());
}
