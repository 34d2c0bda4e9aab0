#include "printqueue.h"

#include <algorithm>

#include "firmware.h"

namespace sim
{

namespace
{

// How often a worker that waits for the mechanism looks again: faults end and the printer is
// cleared without telling the queue.
constexpr std::chrono::milliseconds kLookAgain{20};
// The engine takes its next step this long before the mechanism is done with the last one, so
// that a thread woken late costs the mechanism no time.
constexpr std::chrono::milliseconds kLead{50};

} // namespace

PrintQueue::PrintQueue(Firmware &firmware, PrintDataSink &engine, size_t capacity)
    : firmware_(firmware), engine_(engine), capacity_(capacity), worker_([this] { Run(); })
{
}

PrintQueue::~PrintQueue()
{
    {
        const Lock lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    worker_.join();
}

void PrintQueue::Feed(const uint8_t *bytes, size_t count)
{
    if (bytes == nullptr || count == 0)
        return;
    // While the mechanism still prints what it was given, state requests are answered at once
    // whatever comes now: only data that meets an idle printer may make them wait.
    const bool mechanismBusy = firmware_.SecondsBeforePrinting().value_or(0.0) > 0.0;
    {
        const Lock lock(mutex_);
        if (pieces_.empty() && !working_ && !mechanismBusy)
            printed_ = false; // a new start: what comes may take no time on paper
        if (!pieces_.empty() && !pieces_.back().endsJob)
            pieces_.back().bytes.insert(pieces_.back().bytes.end(), bytes, bytes + count);
        else
            pieces_.push_back(Piece{std::vector<uint8_t>(bytes, bytes + count), false});
        queued_ += count;
        UpdatePending();
    }
    wake_.notify_all();
}

void PrintQueue::EndJob()
{
    {
        const Lock lock(mutex_);
        pieces_.push_back(Piece{{}, true});
        UpdatePending();
    }
    wake_.notify_all();
}

void PrintQueue::CancelJob()
{
    {
        const Lock lock(mutex_);
        pieces_.clear();
        queued_ = 0;
        pieces_.push_back(Piece{{}, true});
        UpdatePending();
    }
    wake_.notify_all();
}

size_t PrintQueue::Room() const
{
    const Lock lock(mutex_);
    return queued_ >= capacity_ ? 0 : capacity_ - queued_;
}

bool PrintQueue::CaughtUp() const
{
    return stop_ || waiting_ || writingPage_ || printed_ ||
           (pieces_.empty() && !working_ && !endingJob_);
}

void PrintQueue::CatchUp()
{
    Lock lock(mutex_);
    caughtUp_.wait_for(lock, kCatchUpLimit, [this] { return CaughtUp(); });
}

void PrintQueue::SetWritingPage(bool writing)
{
    {
        const Lock lock(mutex_);
        writingPage_ = writing;
    }
    caughtUp_.notify_all();
}

PrintQueue::Progress PrintQueue::CurrentProgress() const
{
    const std::optional<double> before = firmware_.SecondsBeforePrinting();
    const Lock lock(mutex_);
    Progress progress;
    progress.jobBytes = jobBytes_;
    progress.queuedBytes = queued_;
    progress.active = !pieces_.empty() || working_ || before.value_or(0.0) > 0.0;
    const double perByte = jobBytes_ > 0 ? jobSeconds_ / static_cast<double>(jobBytes_) : 0.0;
    progress.secondsLeft = before.value_or(0.0) + perByte * static_cast<double>(queued_);
    return progress;
}

// Called with the lock held, whenever the buffer or the worker changes. Data waiting or in the
// engine's hands keeps the printer printing; a job's end alone does not (the sheet it sends out
// reaches the mechanism as print time).
void PrintQueue::UpdatePending()
{
    firmware_.SetDataPending(queued_ > 0 || working_);
}

void PrintQueue::Run()
{
    Lock lock(mutex_);
    while (!stop_) {
        if (!Step(lock)) {
            caughtUp_.notify_all();
            wake_.wait(lock, [this] { return stop_ || !pieces_.empty(); });
        }
    }
    // Stopping: what was not printed is dropped; the job under way ends, with its report.
    pieces_.clear();
    queued_ = 0;
    working_ = true;
    lock.unlock();
    engine_.EndJob();
    lock.lock();
    working_ = false;
    UpdatePending();
}

bool PrintQueue::Step(Lock &lock)
{
    if (pieces_.empty())
        return false;
    if (pieces_.front().endsJob) {
        pieces_.pop_front();
        endingJob_ = true;
        lock.unlock();
        engine_.EndJob();
        lock.lock();
        endingJob_ = false;
        printed_ = false;
        jobBytes_ = 0;
        jobSeconds_ = 0.0;
        UpdatePending();
        caughtUp_.notify_all();
        return true;
    }
    // The mechanism prints what it was given before it takes more.
    lock.unlock();
    const std::optional<double> wait = firmware_.SecondsBeforePrinting();
    lock.lock();
    const double lead = std::chrono::duration<double>(kLead).count();
    if (!wait || *wait > lead) {
        waiting_ = true;
        caughtUp_.notify_all();
        const auto pause = wait ? std::min<std::chrono::duration<double>>(
                                      std::chrono::duration<double>(*wait - lead), kLookAgain)
                                : std::chrono::duration<double>(kLookAgain);
        // Woken early by a stop or a cancelled job, which changes the front piece.
        wake_.wait_for(lock, pause,
                       [this] { return stop_ || pieces_.empty() || pieces_.front().endsJob; });
        waiting_ = false;
        return true;
    }
    std::vector<uint8_t> &front = pieces_.front().bytes;
    const size_t count = std::min(kStep, front.size());
    std::vector<uint8_t> chunk(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(count));
    front.erase(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(count));
    if (front.empty())
        pieces_.pop_front();
    queued_ -= count;
    Consume(lock, std::move(chunk));
    return true;
}

void PrintQueue::Consume(Lock &lock, std::vector<uint8_t> chunk)
{
    working_ = true;
    UpdatePending();
    lock.unlock();
    engine_.Feed(chunk.data(), chunk.size());
    const double took = firmware_.SecondsBeforePrinting().value_or(0.0);
    lock.lock();
    working_ = false;
    jobBytes_ += chunk.size();
    jobSeconds_ += took;
    printed_ = printed_ || took > 0.0; // a job that printed stays printing to its end
    UpdatePending();
    caughtUp_.notify_all();
}

} // namespace sim
