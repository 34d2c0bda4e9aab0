#pragma once

// The printer's input buffer and the print engine's thread. The link puts accepted data in
// the buffer and answers at once; a worker thread takes it out at the pace the mechanism
// prints (the firmware's print time, scaled) and hands it to the engine, which interprets,
// renders and writes the pages there. While the buffer is full the link refuses data (51)
// and the firmware reports the printer as printing; a printer in an error state, cleaning
// or busy prints nothing, so the buffer stays as it is until the fault ends.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "printdatasink.h"

namespace sim
{

class Firmware;

class PrintQueue : public PrintDataSink
{
public:
    // A real printer's input buffer holds some tens of kB.
    static constexpr size_t kCapacity = 32 * 1024;
    // Bytes the engine takes at a time: the mechanism's time is reckoned after each step.
    static constexpr size_t kStep = 512;
    // The longest a state request waits for the engine to act on data it has been given. It
    // waits only while that data takes no time on paper (packets, settings): once the printer
    // prints, state requests are answered at once.
    static constexpr std::chrono::milliseconds kCatchUpLimit{250};

    // engine gets the data on the worker thread; it and firmware outlive the queue.
    PrintQueue(Firmware &firmware, PrintDataSink &engine, size_t capacity = kCapacity);
    // Drops what was not printed yet, ends the job and stops the worker.
    ~PrintQueue() override;
    PrintQueue(const PrintQueue &) = delete;
    PrintQueue &operator=(const PrintQueue &) = delete;

    // PrintDataSink, called by the link.
    void Feed(const uint8_t *bytes, size_t count) override;
    void EndJob() override;
    void CancelJob() override;
    size_t Room() const override;
    void CatchUp() override;

    // The engine is writing a page out (rendering, saving): a state request does not wait
    // for it. Called by the engine's side on the worker thread.
    void SetWritingPage(bool writing);

    struct Progress {
        uint64_t jobBytes = 0;    // bytes the engine took of the job under way
        size_t queuedBytes = 0;   // bytes waiting in the buffer
        double secondsLeft = 0.0; // until what the printer holds is printed (scaled)
        bool active = false;      // a job is in the printer
    };
    Progress CurrentProgress() const;

private:
    struct Piece {
        std::vector<uint8_t> bytes;
        bool endsJob = false;
    };
    using Lock = std::unique_lock<std::mutex>;

    void Run();
    // One turn of the worker with the lock held; false when it should wait for more.
    bool Step(Lock &lock);
    void Consume(Lock &lock, std::vector<uint8_t> chunk);
    void UpdatePending();
    bool CaughtUp() const;

    Firmware &firmware_;
    PrintDataSink &engine_;
    const size_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;     // the worker: data, a job's end, a stop
    std::condition_variable caughtUp_; // state requests: the worker went idle or waits
    std::deque<Piece> pieces_;
    size_t queued_ = 0;
    bool working_ = false;   // the engine has a step in hand
    bool endingJob_ = false; // the engine ends a job
    bool printed_ = false;   // the job took time on paper: the printer is printing
    bool waiting_ = false; // the worker waits for the mechanism
    bool writingPage_ = false;
    bool stop_ = false;
    uint64_t jobBytes_ = 0;
    double jobSeconds_ = 0.0; // mechanism time the job's steps took (scaled)
    std::thread worker_; // last: starts once everything above is set
};

} // namespace sim
