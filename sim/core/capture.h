#pragma once

// What the virtual printer writes down for tests: every data-channel byte it took, in order,
// to data.bin, and one JSON object per line for each link request and packet to events.jsonl.
// Both files are flushed as they are written, so a test can read them while the printer runs.
// The link and the print engine write from their own threads; each line goes out whole.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include <nlohmann/json.hpp>

namespace sim
{

class Capture
{
public:
    // Nothing is captured.
    Capture() = default;
    ~Capture();
    Capture(const Capture &) = delete;
    Capture &operator=(const Capture &) = delete;

    // Starts both files afresh in folder (created if needed). Returns an empty text on
    // success, else why not.
    std::string Open(const std::string &folder);
    bool IsOpen() const { return data_ != nullptr; }

    void Data(const uint8_t *bytes, size_t count);
    void Event(const nlohmann::json &event);
    // Why the capture is incomplete (a write failed), or empty. The first failure is also
    // told on standard error, once; capturing goes on.
    std::string Problem() const;

private:
    struct FileCloser {
        void operator()(std::FILE *file) const { std::fclose(file); }
    };
    // Writes and flushes; notes the first failure.
    void Write(std::FILE *file, const std::string &name, const void *bytes, size_t count);

    mutable std::mutex mutex_;
    std::string folder_;
    std::string problem_;
    std::unique_ptr<std::FILE, FileCloser> data_;
    std::unique_ptr<std::FILE, FileCloser> events_;
};

} // namespace sim
