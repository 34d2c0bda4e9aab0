#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace novari
{

// Where a port code leads: a virtual printer's socket in the port directory, or a device node.
struct PortTarget {
    std::string path;
    bool socket = false;
};

// Resolves a port code: the first socket in the port directory (by name) whose name gives
// that code, else the device node of the code (USB n: /dev/usb/lp(n-1), LPT n: /dev/lp(n-1)).
// Names without a port number (no digits, or 0) never match; 0x0503 and codes that name no
// port give nothing. The sockets are looked at only in a port directory that passes
// link_check_port_directory; when it fails, *refusal (if given) says why.
std::optional<PortTarget> ResolvePort(uint16_t portCode, std::string *refusal = nullptr);

// Port number of a port name (the n of USBn or LPTn), 0 when it has none.
unsigned PortNumberOfName(const char *name);

} // namespace novari
