#include "portresolver.h"

#include "linkframe.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <vector>

namespace novari
{
namespace
{

constexpr uint16_t kUsbBase = 0x0400;
constexpr uint16_t kLptBase = 0x047F;
constexpr uint16_t kNoPort = 0x0503;
constexpr uint16_t kLastUsbCode = kLptBase; // USB 1..127; higher codes are LPT ports

struct DirCloser {
    void operator()(DIR *dir) const { closedir(dir); }
};

// Names of the sockets in the port directory, in name order; names starting with '.' are the
// virtual printers' private sockets, not ports.
std::vector<std::string> SocketNames(const std::string &directory)
{
    std::vector<std::string> names;
    std::unique_ptr<DIR, DirCloser> dir(opendir(directory.c_str()));
    if (!dir)
        return names;
    while (const dirent *entry = readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        struct stat info;
        if (fstatat(dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISSOCK(info.st_mode))
            names.emplace_back(entry->d_name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<PortTarget> SocketOf(uint16_t portCode, std::string *refusal)
{
    char directory[512];
    if (!link_port_directory(directory, sizeof directory))
        return std::nullopt;
    // A socket in a folder that someone else can reach may be anybody's: connect to none.
    char why[128];
    struct stat info;
    if (lstat(directory, &info) != 0 && errno == ENOENT)
        return std::nullopt; // no virtual printer has run yet
    if (!link_check_port_directory(directory, why, sizeof why)) {
        if (refusal != nullptr)
            *refusal = std::string("the port directory ") + directory + " is not used: " + why;
        return std::nullopt;
    }
    for (const std::string &name : SocketNames(directory)) {
        if (PortNumberOfName(name.c_str()) != 0 && link_port_code_of_name(name.c_str()) == portCode)
            return PortTarget{std::string(directory) + "/" + name, true};
    }
    return std::nullopt;
}

std::optional<PortTarget> DeviceNodeOf(uint16_t portCode)
{
    if (portCode > kUsbBase && portCode <= kLastUsbCode)
        return PortTarget{"/dev/usb/lp" + std::to_string(portCode - kUsbBase - 1), false};
    if (portCode > kLastUsbCode && portCode != kNoPort)
        return PortTarget{"/dev/lp" + std::to_string(portCode - kLptBase - 1), false};
    return std::nullopt;
}

} // namespace

unsigned PortNumberOfName(const char *name)
{
    const uint16_t code = link_port_code_of_name(name);
    if (code == kNoPort)
        return 0;
    return std::strstr(name, "USB") != nullptr ? code - kUsbBase : code - kLptBase;
}

std::optional<PortTarget> ResolvePort(uint16_t portCode, std::string *refusal)
{
    if (portCode == kNoPort || portCode <= kUsbBase)
        return std::nullopt;
    if (auto socket = SocketOf(portCode, refusal))
        return socket;
    return DeviceNodeOf(portCode);
}

} // namespace novari
