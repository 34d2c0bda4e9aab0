#pragma once

#include "fakeprinter.h"
#include "novari_link.h"

#include <chrono>
#include <gtest/gtest.h>

namespace novari_test
{

// Each test gets its own port directory; the port is closed again after it.
class LinkTest : public ::testing::Test
{
protected:
    void SetUp() override { ChanSetCommandCode(0x5E, 0xA7); }
    void TearDown() override { GateClosePort(); }

    static int16_t IoError()
    {
        int16_t error = 0;
        GateGetIoError(&error);
        return error;
    }

    // Seconds the call took.
    template <typename Call> static double Timed(Call call)
    {
        const auto start = std::chrono::steady_clock::now();
        call();
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

    TempRuntime runtime_;
};

} // namespace novari_test
