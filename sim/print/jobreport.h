#pragma once

// What happened in one print job: commands by kind, pages, ink per colour, remote-mode and
// factory packets, and every fault with its byte offset in the data stream.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "inkmodel.h"
#include "streamevents.h"

namespace sim
{

struct PageRecord {
    int number = 0;
    std::string file;     // PNG file name, empty when pages are not saved
    uint64_t offset = 0;  // where the form feed (or the job's end) stood
    double seconds = 0.0; // time on paper
    int passes = 0;
    double feedInches = 0.0;
    int widthDots = 0;
    int lengthDots = 0;
};

class JobReport
{
public:
    // Only the first kMaxErrors faults are listed; the rest are counted.
    static constexpr size_t kMaxErrors = 1000;
    // Likewise only the first kMaxPages pages are listed; PageCount() counts them all.
    static constexpr size_t kMaxPages = 1000;

    // Starts over for a new job.
    void Begin(int number, uint64_t firstByte);
    void SetEnd(uint64_t endOffset) { end_ = endOffset; }
    int Number() const { return number_; }
    uint64_t FirstByte() const { return first_; }
    bool Empty() const { return end_ <= first_; }

    void CountCommand(const std::string &kind, uint64_t times = 1);
    void CountRemoteCommand(const std::string &name);
    void CountFactoryPacket(int code);
    void AddError(const StreamError &error);
    void AddInk(int ink, int dotValue, uint64_t dots, double picolitres);
    void AddPage(const PageRecord &page);

    uint64_t Commands(const std::string &kind) const;
    size_t ErrorCount() const { return errorCount_; }
    const std::vector<StreamError> &Errors() const { return errors_; }
    size_t PageCount() const { return pageCount_; }
    uint64_t Dots(int ink) const;

    nlohmann::json ToJson() const;
    // The report as indented JSON text; bytes that are not UTF-8 (a refusal text from the
    // firmware, say) are replaced, never thrown over.
    std::string Text() const;

private:
    struct InkUse {
        std::array<uint64_t, 3> dots{};
        double picolitres = 0.0;
    };

    int number_ = 0;
    uint64_t first_ = 0;
    uint64_t end_ = 0;
    std::map<std::string, uint64_t> commands_;
    std::map<std::string, uint64_t> remoteCommands_;
    std::map<int, uint64_t> factoryPackets_;
    std::vector<StreamError> errors_;
    size_t errorCount_ = 0;
    std::map<std::string, uint64_t> errorKinds_;
    std::array<InkUse, kInkCount> ink_{};
    std::vector<PageRecord> pages_;
    size_t pageCount_ = 0;
};

} // namespace sim
