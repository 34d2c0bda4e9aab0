#include "capture.h"

#include <cerrno>
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
    data_ = std::move(data);
    events_ = std::move(events);
    return "";
}

void Capture::Data(const uint8_t *bytes, size_t count)
{
    if (!data_ || count == 0)
        return;
    std::fwrite(bytes, 1, count, data_.get());
    std::fflush(data_.get());
}

void Capture::Event(const nlohmann::json &event)
{
    if (!events_)
        return;
    const std::string line =
        event.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
    std::fwrite(line.data(), 1, line.size(), events_.get());
    std::fflush(events_.get());
}

} // namespace sim
