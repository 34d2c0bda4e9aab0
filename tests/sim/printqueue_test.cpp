// The printer's input buffer and the print engine's thread, with a clock the test moves by
// hand and an engine that takes a second on paper for every step it is given.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "eepromstore.h"
#include "factoryimage.h"
#include "firmware.h"
#include "printqueue.h"

namespace sim
{
namespace
{

constexpr size_t kCapacity = 4 * PrintQueue::kStep;

class PrintQueueTest : public ::testing::Test, public PrintDataSink
{
protected:
    void Feed(const uint8_t *bytes, size_t count) override
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        fed_ += count;
        (void)bytes;
        firmware_.PrintFor(1.0);
    }
    void EndJob() override
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++jobsEnded_;
    }

    size_t Fed()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return fed_;
    }
    int JobsEnded()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return jobsEnded_;
    }
    void Give(size_t count)
    {
        const std::vector<uint8_t> bytes(count, 0x20);
        queue_->Feed(bytes.data(), bytes.size());
    }
    // Waits for the worker to get somewhere, with a bound a busy machine keeps to.
    static bool WaitUntil(const std::function<bool()> &reached)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!reached()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    std::atomic<double> now_{0.0};
    EepromStore eeprom_{FactoryImage(Model::Q510, Destination::UsEuro)};
    Firmware firmware_{Model::Q510, eeprom_, 1.0, [this] { return now_.load(); }};
    std::mutex mutex_;
    size_t fed_ = 0;
    int jobsEnded_ = 0;
    std::unique_ptr<PrintQueue> queue_ = std::make_unique<PrintQueue>(firmware_, *this, kCapacity);
};

TEST_F(PrintQueueTest, TakesDataAtThePaceItPrintsAndStopsWhileJammed)
{
    Give(kCapacity);
    queue_->CatchUp();
    EXPECT_EQ(Fed(), PrintQueue::kStep) << "a state request finds the first step taken";
    EXPECT_EQ(queue_->Room(), PrintQueue::kStep);
    EXPECT_EQ(firmware_.State(), kStatePrinting);
    EXPECT_TRUE(firmware_.CanTakeData()) << "while the buffer has room";
    Give(PrintQueue::kStep);
    EXPECT_EQ(queue_->Room(), 0u) << "full: the link refuses what comes next";
    EXPECT_EQ(Fed(), PrintQueue::kStep) << "the mechanism has not moved on";
    EXPECT_GT(queue_->CurrentProgress().secondsLeft, 4.0);

    now_ = 1.0;
    ASSERT_TRUE(WaitUntil([this] { return Fed() == 2 * PrintQueue::kStep; }));
    firmware_.SetFault(Fault::Jam);
    now_ = 100.0;
    queue_->CatchUp();
    EXPECT_EQ(Fed(), 2 * PrintQueue::kStep) << "a jammed printer prints nothing";
    EXPECT_EQ(firmware_.State(), kStateError);

    firmware_.Clear();
    ASSERT_TRUE(WaitUntil([this] {
        now_ = now_ + 1.0;
        return Fed() == kCapacity + PrintQueue::kStep;
    }));
    queue_->EndJob();
    ASSERT_TRUE(WaitUntil([this] { return JobsEnded() == 1; }));
    now_ = now_ + 2.0;
    EXPECT_EQ(firmware_.State(), kStateReady) << "the buffer is empty and the page done";
}

TEST_F(PrintQueueTest, CancelledJobDropsWhatWasNotPrinted)
{
    Give(kCapacity);
    ASSERT_TRUE(WaitUntil([this] { return Fed() == PrintQueue::kStep; }));
    queue_->CancelJob();
    ASSERT_TRUE(WaitUntil([this] { return JobsEnded() == 1; }));
    EXPECT_EQ(queue_->Room(), kCapacity);
    now_ = 10.0;
    queue_->CatchUp();
    EXPECT_EQ(Fed(), PrintQueue::kStep);
}

} // namespace
} // namespace sim
