#include "eepromstore.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
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

bool WriteAll(int fd, const uint8_t *bytes, size_t count)
{
    size_t written = 0;
    while (written < count) {
        const ssize_t put = write(fd, bytes + written, count - written);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = EIO;
            return false;
        }
        written += static_cast<size_t>(put);
    }
    return true;
}

bool SyncFolderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = fsync(fd) == 0;
    const int error = errno;
    close(fd);
    errno = error;
    return synced;
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

// The name a save's temporary file has: the image's name, a dot and mkostemp's six characters.
bool IsTemporaryOf(const std::string &name, const std::string &image)
{
    constexpr size_t kSuffix = 6;
    if (name.size() != image.size() + 1 + kSuffix || name.compare(0, image.size(), image) != 0 ||
        name[image.size()] != '.')
        return false;
    for (size_t i = image.size() + 1; i < name.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// Removes the temporary files that saves of the image at path left behind and that are older
// than seconds.
void RemoveStaleTemporaries(const std::string &path, int seconds)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string image = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR *dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    const time_t now = time(nullptr);
    while (const dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (!IsTemporaryOf(name, image))
            continue;
        const std::string file = folder + (folder == "." ? "/" : "") + name;
        struct stat info;
        if (lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            now - info.st_mtime >= seconds)
            unlink(file.c_str());
    }
    closedir(dir);
}

} // namespace

EepromStore::EepromStore(const EepromImage &image) : bytes_(image) {}

EepromStore::EepromStore(std::string path) : path_(std::move(path)) {}

std::string EepromStore::Open(const EepromImage &factoryImage)
{
    if (path_.empty()) {
        bytes_ = factoryImage;
        return "";
    }
    RemoveStaleTemporaries(path_, kStaleSeconds);
    // Non-blocking, so that a FIFO or a device named by mistake cannot hold the start.
    FileDescriptor file(open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat info;
    if (file.Get() >= 0 && (fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)))
        return path_ + " is not a regular file; name an EEPROM image file with --eeprom";
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

uint8_t EepromStore::Read(uint8_t address) const
{
    const std::lock_guard<std::mutex> lock(bytes_mutex_);
    return bytes_[address];
}

EepromImage EepromStore::Bytes() const
{
    const std::lock_guard<std::mutex> lock(bytes_mutex_);
    return bytes_;
}

bool EepromStore::Write(uint8_t address, uint8_t value)
{
    return Change([address, value](EepromImage &image) { image[address] = value; });
}

bool EepromStore::Write(std::initializer_list<std::pair<uint8_t, uint8_t>> bytes)
{
    return Change([bytes](EepromImage &image) {
        for (const auto &[address, value] : bytes)
            image[address] = value;
    });
}

// What is not in the file is not in the EEPROM: the image readers see changes only once the
// file holds it, so a failed write leaves every byte as it was.
bool EepromStore::Change(const std::function<void(EepromImage &)> &change)
{
    const std::lock_guard<std::mutex> writing(writing_);
    EepromImage image = Bytes();
    const EepromImage before = image;
    change(image);
    if (image == before)
        return true;
    if (!SaveImage(image)) {
        std::fprintf(stderr, "novari-printer-sim: cannot write the EEPROM file %s: %s\n",
                     path_.c_str(), std::strerror(errno));
        return false;
    }
    const std::lock_guard<std::mutex> lock(bytes_mutex_);
    bytes_ = image;
    return true;
}

bool EepromStore::Save() const
{
    const std::lock_guard<std::mutex> writing(writing_);
    return SaveImage(Bytes());
}

bool EepromStore::SaveImage(const EepromImage &image) const
{
    if (path_.empty())
        return true;
    // A name of its own for each save, so that two printers sharing a file, or a file left
    // by a killed one, never mix their images.
    std::string temporary = path_ + ".XXXXXX";
    FileDescriptor file(mkostemp(temporary.data(), O_CLOEXEC));
    if (file.Get() < 0)
        return false;
    const bool stored = WriteAll(file.Get(), image.data(), image.size()) &&
                        fsync(file.Get()) == 0 && close(file.Release()) == 0 &&
                        rename(temporary.c_str(), path_.c_str()) == 0;
    if (!stored) {
        const int error = errno;
        unlink(temporary.c_str());
        errno = error;
        return false;
    }
    // The rename is durable only once the folder is.
    return SyncFolderOf(path_);
}

} // namespace sim
