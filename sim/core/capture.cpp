#include "capture.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace sim
{

Capture::~Capture() = default;

std::string Capture::Open(const std::string &folder)
{
    for (size_t slash = folder.find('/', 1); slash != std::string::npos;
         slash = folder.find('/', slash + 1))
        mkdir(folder.substr(0, slash).c_str(), 0755);
    mkdir(folder.c_str(), 0755);
    std::unique_ptr<std::FILE, FileCloser> data(std::fopen((folder + "/data.bin").c_str(), "wbe"));
    if (!data)
        return "cannot write " + folder + "/data.bin: " + std::strerror(errno);
    std::unique_ptr<std::FILE, FileCloser> events(
        std::fopen((folder + "/events.jsonl").c_str(), "we"));
    if (!events)
        return "cannot write " + folder + "/events.jsonl: " + std::strerror(errno);
    folder_ = folder;
    problem_.clear();
    data_ = std::move(data);
    events_ = std::move(events);
    return "";
}

void Capture::Write(std::FILE *file, const std::string &name, const void *bytes, size_t count)
{
    errno = 0;
    const bool written = std::fwrite(bytes, 1, count, file) == count;
    if (std::fflush(file) == 0 && written)
        return;
    if (!problem_.empty())
        return;
    const int error = errno != 0 ? errno : EIO;
    std::clearerr(file);
    problem_ = "cannot write " + folder_ + "/" + name + ": " + std::strerror(error) +
               "; the capture is incomplete";
    std::fprintf(stderr, "novari-printer-sim: %s\n", problem_.c_str());
}

std::string Capture::Problem() const
{
    const std::lock_guard<std::mutex> lock(mutex_);
    return problem_;
}

void Capture::Data(const uint8_t *bytes, size_t count)
{
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!data_ || count == 0)
        return;
    Write(data_.get(), "data.bin", bytes, count);
}

void Capture::Event(const nlohmann::json &event)
{
    const std::string line =
        event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!events_)
        return;
    Write(events_.get(), "events.jsonl", line.data(), line.size());
}

} // namespace sim
