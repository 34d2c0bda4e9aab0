#include "eepromstore.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim
{

namespace
{

// Creates every missing folder above path (like mkdir -p on its parent).
void MakeParentFolders(const std::string &path)
{
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0700);
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    int Get() const { return fd_; }
    int Release()
    {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

} // namespace

EepromStore::EepromStore(const EepromImage &image) : bytes_(image) {}

EepromStore::EepromStore(std::string path) : path_(std::move(path)) {}

std::string EepromStore::Open(const EepromImage &factoryImage)
{
    if (path_.empty()) {
        bytes_ = factoryImage;
        return "";
    }
    FileDescriptor file(open(path_.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno != ENOENT)
            return "cannot read " + path_ + ": " + std::strerror(errno);
        bytes_ = factoryImage;
        MakeParentFolders(path_);
        if (!Save())
            return "cannot create " + path_ + ": " + std::strerror(errno);
        return "";
    }
    EepromImage loaded{};
    size_t filled = 0;
    while (filled < loaded.size()) {
        const ssize_t got = read(file.Get(), loaded.data() + filled, loaded.size() - filled);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        filled += static_cast<size_t>(got);
    }
    uint8_t extra = 0;
    if (filled != loaded.size() || read(file.Get(), &extra, 1) != 0)
        return path_ + " is not a 256-byte EEPROM image; move it away or name another file "
                       "with --eeprom";
    bytes_ = loaded;
    return "";
}

bool EepromStore::Write(uint8_t address, uint8_t value)
{
    if (bytes_[address] == value)
        return true;
    bytes_[address] = value;
    if (Save())
        return true;
    std::fprintf(stderr, "novari-printer-sim: cannot write the EEPROM file %s: %s\n", path_.c_str(),
                 std::strerror(errno));
    return false;
}

bool EepromStore::Save() const
{
    if (path_.empty())
        return true;
    const std::string temporary = path_ + ".tmp";
    FileDescriptor file(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (file.Get() < 0)
        return false;
    size_t written = 0;
    while (written < bytes_.size()) {
        const ssize_t put = write(file.Get(), bytes_.data() + written, bytes_.size() - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            unlink(temporary.c_str());
            return false;
        }
        written += static_cast<size_t>(put);
    }
    if (close(file.Release()) != 0 || rename(temporary.c_str(), path_.c_str()) != 0) {
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace sim
