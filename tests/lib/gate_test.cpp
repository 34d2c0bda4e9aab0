// The port library against a fake printer: port codes, device IDs, and how a printer that
// misbehaves on the wire shows up in the results.
#include "linkframe.h"
#include "linktest.h"

#include <cstring>
#include <dlfcn.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace novari_test
{
namespace
{

using GateTest = LinkTest;

TEST_F(GateTest, PortCodesFindTheirSocketsAndNothingElse)
{
    FakePrinter nvusb(runtime_, "NVUSB002");
    FakePrinter lpt(runtime_, "LPT1:");
    FakePrinter noDigits(runtime_, "USBX");
    FakePrinter hidden(runtime_, ".USB003.control");

    EXPECT_EQ(GateOpenPort(0x0402), NOVARI_OK);
    EXPECT_EQ(IoError(), 0);
    EXPECT_EQ(GateOpenPort(0x0480), NOVARI_OK);
    EXPECT_EQ(lpt.Connections(), 1);

    // No digits (USB0), a private socket, "none" and a port nobody serves.
    for (const uint16_t code : {0x0400, 0x0403, 0x0503, 0x0409, 0x0000}) {
        EXPECT_EQ(GateOpenPort(code), NOVARI_PORT_IO_ERROR) << std::hex << code;
        EXPECT_EQ(IoError(), NOVARI_IO_NOT_FOUND) << std::hex << code;
    }
    EXPECT_EQ(noDigits.Connections(), 0);
    EXPECT_EQ(hidden.Connections(), 0);
    // A failed open leaves no port open.
    EXPECT_EQ(GateCheckDeviceId(), NOVARI_PORT_FAILURE);
}

TEST_F(GateTest, FirstSocketByNameWinsWhenTwoNamesGiveOneCode)
{
    FakePrinter usb(runtime_, "USB001");
    FakePrinter nvusb(runtime_, "NVUSB001");
    usb.SetDeviceId("MDL:From USB001;");
    nvusb.SetDeviceId("MDL:From NVUSB001;");

    ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
    char name[50] = {};
    ASSERT_EQ(GateGetModelName(name), NOVARI_OK);
    EXPECT_STREQ(name, "From NVUSB001");
}

TEST_F(GateTest, DeviceIdDecidesModelCheckAndModelName)
{
    FakePrinter printer(runtime_, "USB001");
    const std::string longest(49, 'M');
    struct Case {
        std::string id;
        uint16_t check;
        uint16_t nameResult;
        std::string name;
    };
    const Case cases[] = {
        {"MFG:NOVARI;MDL:Halden Photo Q510;CLS:PRINTER;", NOVARI_OK, NOVARI_OK,
         "Halden Photo Q510"},
        {"MFG:NOVARI;CMD:ESCPL2,BDC;MODEL:Halden Photo Q530", NOVARI_OK, NOVARI_OK,
         "Halden Photo Q530"},
        {"MFG:NOVARI;MDL:Halden Photo Q999;", NOVARI_UNSUPPORTED_MODEL, NOVARI_OK,
         "Halden Photo Q999"},
        {"MDL:halden photo q510;", NOVARI_UNSUPPORTED_MODEL, NOVARI_OK, "halden photo q510"},
        {"MDL:" + longest + ";", NOVARI_UNSUPPORTED_MODEL, NOVARI_OK, longest},
        {"MDL:" + longest + "X;", NOVARI_UNSUPPORTED_MODEL, NOVARI_PORT_FAILURE, ""},
        {"MFG:NOVARI;CLS:PRINTER;", NOVARI_PORT_FAILURE, NOVARI_PORT_FAILURE, ""},
        {"MFG:NOVARI;MDL:;", NOVARI_PORT_FAILURE, NOVARI_PORT_FAILURE, ""},
        {"Halden Photo Q510", NOVARI_PORT_FAILURE, NOVARI_PORT_FAILURE, ""},
        {"MFG:NOVARI;;MDL:Halden Photo Q510;", NOVARI_PORT_FAILURE, NOVARI_PORT_FAILURE, ""},
        {":NOVARI;MDL:Halden Photo Q510;", NOVARI_PORT_FAILURE, NOVARI_PORT_FAILURE, ""},
        {std::string("MFG:NOVARI;MDL:Halden Photo Q510;\0", 34), NOVARI_PORT_FAILURE,
         NOVARI_PORT_FAILURE, ""},
        {"MFG:NOVARI;MDL:Halden Photo Q510\x7F;", NOVARI_PORT_FAILURE, NOVARI_PORT_FAILURE, ""},
        {"", NOVARI_PORT_FAILURE, NOVARI_PORT_FAILURE, ""},
    };
    ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
    for (const Case &c : cases) {
        printer.SetDeviceId(c.id);
        EXPECT_EQ(GateCheckDeviceId(), c.check) << c.id;
        char name[52];
        std::memset(name, 0x55, sizeof name);
        name[51] = 0;
        EXPECT_EQ(GateGetModelName(name), c.nameResult) << c.id;
        if (c.nameResult == NOVARI_OK)
            EXPECT_EQ(std::string(name), c.name);
        else
            EXPECT_EQ(name[0], 0x55) << "buffer touched for " << c.id;
    }
}

TEST_F(GateTest, NoOpenPortIsAPortFailure)
{
    char name[50] = {};
    EXPECT_EQ(GateCheckDeviceId(), NOVARI_PORT_FAILURE);
    EXPECT_EQ(GateGetModelName(name), NOVARI_PORT_FAILURE);
    EXPECT_EQ(GateGetModelName(nullptr), NOVARI_PORT_FAILURE);
    EXPECT_EQ(GateGetIoError(nullptr), NOVARI_PORT_FAILURE);
    EXPECT_EQ(GateClosePort(), NOVARI_OK);
}

TEST_F(GateTest, SilentPrinterTimesOutWithinAFewSeconds)
{
    FakePrinter printer(runtime_, "USB001");
    printer.SetHandler([](const FakeRequest &) { return FakeAnswer{}; });
    uint16_t result = 0;
    const double seconds = Timed([&] { result = GateOpenPort(0x0401); });
    EXPECT_EQ(result, NOVARI_PORT_IO_ERROR);
    EXPECT_EQ(IoError(), NOVARI_IO_TIMEOUT);
    EXPECT_GE(seconds, 1.5);
    EXPECT_LT(seconds, 5.0);
}

TEST_F(GateTest, PrinterThatHangsUpIsDisconnected)
{
    FakePrinter printer(runtime_, "USB001");
    ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
    printer.SetHandler([](const FakeRequest &) { return FakeAnswer{{}, true}; });
    EXPECT_EQ(GateCheckDeviceId(), NOVARI_PORT_IO_ERROR);
    EXPECT_EQ(IoError(), NOVARI_IO_DISCONNECTED);
    // Later requests on the dead connection fail the same way, at once.
    EXPECT_LT(Timed([] { EXPECT_EQ(GateCheckDeviceId(), NOVARI_PORT_IO_ERROR); }), 1.0);
    EXPECT_EQ(IoError(), NOVARI_IO_DISCONNECTED);
}

TEST_F(GateTest, PrinterServingAnotherClientIsInUse)
{
    FakePrinter printer(runtime_, "USB001");
    const int other = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = runtime_.PortDirectory() + "/USB001";
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(connect(other, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    while (printer.Connections() == 0)
        usleep(1000);

    EXPECT_EQ(GateOpenPort(0x0401), NOVARI_PORT_IO_ERROR);
    EXPECT_EQ(IoError(), NOVARI_IO_IN_USE);
    close(other);
}

TEST_F(GateTest, GarbledDeviceIdReplyIsAnIoFailureNotAModel)
{
    FakePrinter printer(runtime_, "USB001");
    ASSERT_EQ(GateOpenPort(0x0401), NOVARI_OK);
    printer.SetHandler([](const FakeRequest &request) {
        std::vector<uint8_t> bytes = ReplyTo(request, {0, 'M', 'D', 'L', ':', 'X', ';'});
        bytes[8] ^= 0x01; // one bit flipped in the payload
        return FakeAnswer{bytes};
    });
    EXPECT_LT(Timed([] { EXPECT_EQ(GateCheckDeviceId(), NOVARI_PORT_IO_ERROR); }), 1.5);
    printer.SetHandler(nullptr);
    EXPECT_EQ(GateCheckDeviceId(), NOVARI_OK) << "the link recovers after a garbled frame";
}

// The program finds every export by name at run time; nothing else is exported.
TEST(LibraryExports, OnlyTheAgreedNamesAreVisible)
{
    char exe[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", exe, sizeof exe - 1), 0);
    const std::string folder = std::string(exe).substr(0, std::string(exe).rfind('/'));
    struct Library {
        const char *file;
        std::vector<const char *> names;
    };
    const Library libraries[] = {
        {"libportgate.so",
         {"GateOpenPort", "GateClosePort", "GateCheckDeviceId", "GateGetIoError",
          "GateGetModelName"}},
        {"libchanlink.so",
         {"ChanOpen", "ChanClose", "ChanSetCommandCode", "ChanSendData", "ChanReadEeprom",
          "ChanWriteEeprom", "ChanGetErrorCode", "ChanFetchStatus", "ChanResetPrinter"}},
        {"libbytetext.so", {"BytesToHexText", "HexTextToBytes"}},
    };
    for (const Library &library : libraries) {
        void *handle = dlopen((folder + "/" + library.file).c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        for (const char *name : library.names)
            EXPECT_NE(dlsym(handle, name), nullptr) << library.file << " " << name;
        for (const char *hidden : {"link_crc16", "link_decoder_feed", "link_port_directory"})
            EXPECT_EQ(dlsym(handle, hidden), nullptr) << library.file << " " << hidden;
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
        value = 0x33;
        EXPECT_EQ(HexTextToBytes(bad, &value), 0) << bad;
        EXPECT_EQ(value, 0x33);
    }
    EXPECT_EQ(HexTextToBytes(nullptr, &value), 0);
    EXPECT_EQ(BytesToHexText(1, nullptr), 0);
}

} // namespace
} // namespace novari_test
