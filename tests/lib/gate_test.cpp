// The port library against a fake printer: port codes, device IDs, and how a printer that
// misbehaves on the wire shows up in the results.
#include "fakeprinter.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <dlfcn.h>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

namespace novari_test
{
namespace
{

using GateTest = LinkTest;

constexpr uid_t kNobody = 65534;

// Starts a process that listens on path as user uid and answers one device ID request.
// Returns its id once it listens, or -1.
pid_t ServeOneDeviceIdAs(uid_t uid, const std::string &path)
{
    sockaddr_un address{AF_UNIX, {}};
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t child = fork();
    if (child == 0) {
        // Bound by root in our folder, then listening as the other user: the user a
        // client's SO_PEERCRED sees is the one that called listen().
        const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
        if (bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
            setresgid(uid, uid, uid) != 0 || setresuid(uid, uid, uid) != 0 ||
            listen(listener, 1) != 0)
            _exit(1);
        (void)!write(ready[1], "r", 1);
        const int client = accept(listener, nullptr, nullptr);
        uint8_t request[LINK_HEADER_SIZE + LINK_TRAILER_SIZE];
        if (client >= 0 && read(client, request, sizeof request) == sizeof request) {
            static const char id[] = "\0MDL:Halden Photo Q510;";
            uint8_t reply[LINK_MAX_FRAME];
            const size_t size =
                link_frame_build(LINK_OP_DEVICE_ID | LINK_REPLY_BIT, request[3],
                                 reinterpret_cast<const uint8_t *>(id), sizeof id - 1, reply);
            (void)!write(client, reply, size);
        }
        pause();
        _exit(0);
    }
    close(ready[1]);
    char byte = 0;
    const bool listening = child > 0 && read(ready[0], &byte, 1) == 1;
    close(ready[0]);
    if (child > 0 && !listening) {
        waitpid(child, nullptr, 0);
        return -1;
    }
    return child;
}

TEST_F(GateTest, PortCodesFindTheirSocketsAndNothingElse)
{
    FakePrinter nvusb(runtime_, "NVUSB002"), lpt(runtime_, "LPT1:"), usb(runtime_, "USB003");
    FakePrinter nvusb3(runtime_, "NVUSB003"), noDigits(runtime_, "USBX"),
        hidden(runtime_, ".USB004.control");
    nvusb3.SetDeviceId("MDL:First by name;");

    EXPECT_EQ(GateOpenPort(0x0402), NOVARI_OK);
    EXPECT_EQ(GateOpenPort(0x0480), NOVARI_OK);
    EXPECT_EQ(lpt.Connections(), 1);
    ASSERT_EQ(GateOpenPort(0x0403), NOVARI_OK);
    char name[50] = {};
    ASSERT_EQ(GateGetModelName(name), NOVARI_OK);
    EXPECT_STREQ(name, "First by name");

    // No digits (USB0), a private socket, "none", a port nobody serves.
    for (const uint16_t code : {0x0400, 0x0404, 0x0503, 0x0409, 0x0000}) {
        EXPECT_EQ(GateOpenPort(code), NOVARI_PORT_IO_ERROR) << std::hex << code;
        EXPECT_EQ(IoError(), NOVARI_IO_NOT_FOUND) << std::hex << code;
    }
    EXPECT_EQ(noDigits.Connections() + hidden.Connections(), 0);
    EXPECT_EQ(GateCheckDeviceId(), NOVARI_PORT_FAILURE) << "a failed open leaves no port open";
    EXPECT_EQ(GateGetModelName(name), NOVARI_PORT_FAILURE);
}

TEST_F(GateTest, DeviceIdDecidesModelCheckAndModelName)
{
    FakePrinter printer(runtime_, "USB001");
    const std::string longest(49, 'M');
    const struct {
        std::string id;
        uint16_t check;
        std::string name; // empty: GateGetModelName fails
    } cases[] = {
        {"MFG:NOVARI;MDL:Halden Photo Q510;CLS:PRINTER;", NOVARI_OK, "Halden Photo Q510"},
        {"MFG:NOVARI;CMD:ESCPL2,BDC;MODEL:Halden Photo Q530", NOVARI_OK, "Halden Photo Q530"},
        {"MFG:NOVARI;MDL:Halden Photo Q999;", NOVARI_UNSUPPORTED_MODEL, "Halden Photo Q999"},
        {"MDL:halden photo q510;", NOVARI_UNSUPPORTED_MODEL, "halden photo q510"},
        {"MDL:" + longest + ";", NOVARI_UNSUPPORTED_MODEL, longest},
        {"MDL:" + longest + "X;", NOVARI_UNSUPPORTED_MODEL, ""},
        {"MFG:NOVARI;CLS:PRINTER;", NOVARI_PORT_FAILURE, ""},
        {"MFG:NOVARI;MDL:;", NOVARI_PORT_FAILURE, ""},
        {"Halden Photo Q510", NOVARI_PORT_FAILURE, ""},
        {"MFG:NOVARI;;MDL:Halden Photo Q510;", NOVARI_PORT_FAILURE, ""},
        {":NOVARI;MDL:Halden Photo Q510;", NOVARI_PORT_FAILURE, ""},
        {std::string("MDL:Halden Photo Q510;\0", 23), NOVARI_PORT_FAILURE, ""},
        {"MDL:Halden Photo Q510\x7F;", NOVARI_PORT_FAILURE, ""},
        {"", NOVARI_PORT_FAILURE, ""},
    };
    ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
    for (const auto &c : cases) {
        printer.SetDeviceId(c.id);
        EXPECT_EQ(GateCheckDeviceId(), c.check) << c.id;
        char name[52];
        std::memset(name, 0x55, sizeof name);
        EXPECT_EQ(GateGetModelName(name), c.name.empty() ? NOVARI_PORT_FAILURE : NOVARI_OK);
        if (!c.name.empty())
            EXPECT_EQ(std::string(name), c.name);
        else
            EXPECT_EQ(name[0], 0x55) << "buffer touched for " << c.id;
    }
}

TEST_F(GateTest, SilentPrinterTimesOutWithinAFewSeconds)
{
    FakePrinter printer(runtime_, "USB001");
    printer.SetHandler([](const FakeRequest &) { return FakeAnswer{}; });
    const double seconds = Seconds([] { EXPECT_EQ(GateOpenPort(0x0401), NOVARI_PORT_IO_ERROR); });
    EXPECT_EQ(IoError(), NOVARI_IO_TIMEOUT);
    EXPECT_GE(seconds, 1.5);
    EXPECT_LT(seconds, 5.0);
}

TEST_F(GateTest, HangUpGarbleAndSecondClientHaveTheirOwnErrors)
{
    FakePrinter printer(runtime_, "USB001");
    ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
    printer.SetHandler([](const FakeRequest &request) {
        auto bytes = ReplyTo(request, {0, 'M', 'D', 'L', ':', 'X', ';'});
        bytes[8] ^= 0x01; // one bit flipped in the payload
        return FakeAnswer{bytes};
    });
    EXPECT_EQ(GateCheckDeviceId(), NOVARI_PORT_IO_ERROR);
    EXPECT_EQ(IoError(), NOVARI_IO_TIMEOUT) << "a garbled reply is no reply, not a model";

    printer.SetHandler([](const FakeRequest &) { return FakeAnswer{{}, true}; });
    EXPECT_EQ(GateCheckDeviceId(), NOVARI_PORT_IO_ERROR);
    EXPECT_EQ(IoError(), NOVARI_IO_DISCONNECTED);
    EXPECT_LT(Seconds([] { GateCheckDeviceId(); }), 1.0) << "a dead link fails at once";
    EXPECT_EQ(IoError(), NOVARI_IO_DISCONNECTED);

    // Another process holds the printer.
    printer.SetHandler(nullptr);
    const int other = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{AF_UNIX, {}};
    std::strncpy(address.sun_path, (PortDirectoryOf(runtime_) + "/USB001").c_str(),
                 sizeof address.sun_path - 1);
    ASSERT_EQ(connect(other, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    while (printer.Connections() < 2)
        usleep(1000);
    EXPECT_EQ(GateOpenPort(0x0401), NOVARI_PORT_IO_ERROR);
    EXPECT_EQ(IoError(), NOVARI_IO_IN_USE);
    close(other);
}

// A printer that keeps talking while a call waits does not hold the call past its time-out.
// Headers that announce the longest payload and never bring it cost the library far more to
// read than the printer to send, so there is always more to read.
TEST_F(GateTest, PrinterThatNeverStopsTalkingStillTimesOut)
{
    FakePrinter printer(runtime_, "USB001");
    ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
    printer.SetHandler([](const FakeRequest &r) {
        return FakeAnswer::Endless(
            {LINK_SYNC0, LINK_SYNC1, uint8_t(r.kind | LINK_REPLY_BIT), r.seq, 0x00, 0x04});
    });
    const double seconds = Seconds([] { EXPECT_EQ(GateCheckDeviceId(), NOVARI_PORT_IO_ERROR); });
    EXPECT_EQ(IoError(), NOVARI_IO_TIMEOUT);
    EXPECT_LT(seconds, 6.0);
}

// Whoever can place a socket in the port directory can pose as the printer: the library
// connects only in a folder that is this user's own (not a link, mode 0700), and only to a
// printer this user runs.
TEST_F(GateTest, UntrustedPortDirectoryOrPrinterIsNeverConnected)
{
    FakePrinter printer(runtime_, "USB001");
    const std::string directory = PortDirectoryOf(runtime_);
    const std::string elsewhere = runtime_.FilePath("elsewhere").toStdString();
    const struct {
        const char *what;
        std::function<int()> spoil, mend;
    } cases[] = {
        {"mode 0755", [&] { return chmod(directory.c_str(), 0755); },
         [&] { return chmod(directory.c_str(), 0700); }},
        {"another owner", [&] { return chown(directory.c_str(), kNobody, kNobody); },
         [&] { return chown(directory.c_str(), geteuid(), getegid()); }},
        {"a symbolic link",
         [&] {
             return rename(directory.c_str(), elsewhere.c_str()) ||
                    symlink(elsewhere.c_str(), directory.c_str());
         },
         [&] { return unlink(directory.c_str()) || rename(elsewhere.c_str(), directory.c_str()); }},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(c.spoil(), 0) << c.what << ": " << std::strerror(errno);
        const int before = printer.Connections();
        EXPECT_EQ(GateOpenPort(0x0401), NOVARI_PORT_IO_ERROR) << c.what;
        EXPECT_EQ(IoError(), NOVARI_IO_NOT_FOUND) << c.what;
        EXPECT_EQ(printer.Connections(), before) << c.what;
        ASSERT_EQ(c.mend(), 0) << c.what;
        EXPECT_EQ(GateOpenPort(0x0401), NOVARI_OK) << c.what;
    }

    // A socket served by another user, in a folder that is ours.
    if (geteuid() != 0)
        GTEST_SKIP() << "a printer of another user needs root to start";
    GateClosePort();
    const pid_t stranger = ServeOneDeviceIdAs(kNobody, directory + "/USB002");
    ASSERT_GT(stranger, 0);
    EXPECT_EQ(GateOpenPort(0x0402), NOVARI_PORT_IO_ERROR);
    EXPECT_EQ(IoError(), NOVARI_IO_NOT_FOUND);
    kill(stranger, SIGKILL);
    waitpid(stranger, nullptr, 0);
}

// The program finds every export by name at run time; nothing else is exported.
TEST(LibraryExports, OnlyTheAgreedNamesAreVisible)
{
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const std::string folder = std::string(exe).substr(0, std::string(exe).rfind('/') + 1);
    const std::pair<const char *, std::vector<const char *>> libraries[] = {
        {"libportgate.so",
         {"GateOpenPort", "GateClosePort", "GateCheckDeviceId", "GateGetIoError",
          "GateGetModelName"}},
        {"libchanlink.so",
         {"ChanOpen", "ChanClose", "ChanSetCommandCode", "ChanSendData", "ChanReadEeprom",
          "ChanWriteEeprom", "ChanGetErrorCode", "ChanFetchStatus", "ChanResetPrinter"}},
        {"libbytetext.so", {"BytesToHexText", "HexTextToBytes"}},
    };
    for (const auto &[file, names] : libraries) {
        void *handle = dlopen((folder + file).c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        for (const char *name : names)
            EXPECT_NE(dlsym(handle, name), nullptr) << file << " " << name;
        for (const char *hidden : {"link_crc16", "link_decoder_feed", "_ZN6novari10ResolvePortEt"})
            EXPECT_EQ(dlsym(handle, hidden), nullptr) << file << " " << hidden;
        dlclose(handle);
    }
}

TEST(ByteText, ConvertsHexPairsBothWays)
{
    char text[2];
    EXPECT_EQ(BytesToHexText(0xA7, text), 1);
    EXPECT_EQ(std::string(text, 2), "A7");
    uint8_t value = 0;
    EXPECT_EQ(HexTextToBytes("5e", &value), 1);
    EXPECT_EQ(value, 0x5E);
    for (const char *bad : {"G0", "0G", " 1", "-1",
                            "\0"
                            "0"}) {
        EXPECT_EQ(HexTextToBytes(bad, &value), 0) << bad;
        EXPECT_EQ(value, 0x5E);
    }
}

} // namespace
} // namespace novari_test
