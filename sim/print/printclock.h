#pragma once

// How long a page takes on paper. The model:
//   - loading and ejecting the sheet: 3.0 s;
//   - every carriage pass (a run of raster blocks or text between two carriage returns or
//     paper moves): 0.25 s to start and stop, plus the printed span at 20 inches per second;
//     in unidirectional mode the carriage also returns empty, at twice that speed (+50 %);
//   - every paper move: 0.02 s plus 0.5 s per inch (2 inches per second).
// The time grows with the number of passes and the feed distance, as on a real printer.

namespace sim
{

class PrintClock
{
public:
    static constexpr double kLoadEjectSeconds = 3.0;
    static constexpr double kPassStartSeconds = 0.25;
    static constexpr double kCarriageInchesPerSecond = 20.0;
    static constexpr double kFeedStartSeconds = 0.02;
    static constexpr double kFeedSecondsPerInch = 0.5;

    // Something was printed between these sheet columns (dots at 360 dpi).
    void Printed(int fromDot, int toDot, bool unidirectional);
    // The carriage returns (CR) or the paper moves: the pass, if any, is done.
    void EndPass();
    void Feed(double inches);
    // The page is out: its total, after which the clock starts over.
    double PageOut();

    int Passes() const { return passes_; }
    // Seconds of the page so far: passes done and paper moves (not the load and eject).
    double Seconds() const { return seconds_; }
    double FeedInches() const { return feedInches_; }

private:
    bool passOpen_ = false;
    bool unidirectional_ = false;
    int from_ = 0;
    int to_ = 0;
    int passes_ = 0;
    double feedInches_ = 0.0;
    double seconds_ = 0.0;
};

} // namespace sim
