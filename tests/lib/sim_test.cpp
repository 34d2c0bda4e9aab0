// The libraries against the virtual printer (bin/novari-printer-sim) as a separate process.
#include "fakeprinter.h"

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace novari_test
{
namespace
{

std::string SimPath()
{
    char exe[4096] = {};
    const std::string path(exe, std::max<ssize_t>(0, readlink("/proc/self/exe", exe, 4095)));
    return path.substr(0, path.rfind('/') + 1) + "novari-printer-sim";
}

// One virtual printer process on port USB001 of the test's port directory.
class SimProcess
{
public:
    SimProcess(const RuntimeDir &runtime, const std::string &eeprom)
        : socket_(PortDirectoryOf(runtime) + "/USB001")
    {
        const std::string program = SimPath();
        const std::string capture = runtime.FilePath("capture").toStdString();
        pid_ = fork();
        if (pid_ == 0) {
            execl(program.c_str(), "novari-printer-sim", "--port", "USB001", "--model", "q510",
                  "--eeprom", eeprom.c_str(), "--capture", capture.c_str(),
                  static_cast<char *>(nullptr));
            _exit(127);
        }
    }
    ~SimProcess() { Stop(); }
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // Waits until the printer's socket is there (up to 10 s).
    bool Ready() const
    {
        for (int i = 0; i < 1000; ++i) {
            struct stat info;
            if (stat(socket_.c_str(), &info) == 0 && S_ISSOCK(info.st_mode))
                return true;
            if (waitpid(pid_, nullptr, WNOHANG) == pid_)
                return false;
            usleep(10000);
        }
        return false;
    }
    void Signal(int number) const { kill(pid_, number); }
    void Stop()
    {
        if (pid_ <= 0)
            return;
        kill(pid_, SIGCONT);
        kill(pid_, SIGTERM);
        for (int i = 0; i < 500 && waitpid(pid_, nullptr, WNOHANG) == 0; ++i)
            usleep(10000);
        if (waitpid(pid_, nullptr, WNOHANG) == 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        pid_ = -1;
    }

private:
    std::string socket_;
    pid_t pid_ = -1;
};

class SimTest : public LinkTest
{
protected:
    void SetUp() override
    {
        if (access(SimPath().c_str(), X_OK) != 0)
            GTEST_SKIP() << "the virtual printer is not built";
        LinkTest::SetUp();
        eeprom_ = runtime_.FilePath("eeprom.bin").toStdString();
    }

    // Starts the printer and opens port and channel on it.
    std::unique_ptr<SimProcess> StartAndOpen()
    {
        auto sim = std::make_unique<SimProcess>(runtime_, eeprom_);
        EXPECT_TRUE(sim->Ready());
        EXPECT_EQ(GateOpenPort(0x0401), NOVARI_OK);
        EXPECT_EQ(ChanOpen(nullptr), NOVARI_OK);
        return sim;
    }

    std::string eeprom_;
};

TEST_F(SimTest, EepromWriteSurvivesARestart)
{
    const uint8_t address = 0x75;
    uint8_t before = 0;
    {
        auto sim = StartAndOpen();
        EXPECT_EQ(GateCheckDeviceId(), NOVARI_OK);
        ASSERT_EQ(ChanReadEeprom(address, &before, nullptr), NOVARI_OK);
        ASSERT_EQ(ChanWriteEeprom(address, static_cast<uint8_t>(before + 3), nullptr), NOVARI_OK);
        uint8_t now = 0;
        ASSERT_EQ(ChanReadEeprom(address, &now, nullptr), NOVARI_OK);
        EXPECT_EQ(now, static_cast<uint8_t>(before + 3));
        ChanClose(nullptr);
        GateClosePort();
    }
    auto sim = StartAndOpen();
    uint8_t after = 0;
    ASSERT_EQ(ChanReadEeprom(address, &after, nullptr), NOVARI_OK);
    EXPECT_EQ(after, static_cast<uint8_t>(before + 3));

    ChanSetCommandCode(0x5E, 0xA8);
    EXPECT_EQ(ChanReadEeprom(address, &after, nullptr), NOVARI_CHANNEL_ERROR);
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_KEY_REFUSED);
}

TEST_F(SimTest, StatusReplyHasTheAgreedLayout)
{
    auto sim = StartAndOpen();
    uint8_t reply[256] = {};
    ASSERT_EQ(ChanFetchStatus("@BDC ST2\r\n", reply, nullptr), NOVARI_OK);
    EXPECT_EQ(std::string(reinterpret_cast<char *>(reply), 10), "@BDC ST2\r\n");
    const size_t end = reply[10] | (reply[11] << 8);
    ASSERT_GE(end, 12u);
    ASSERT_LE(end, 256u);
    int state = -1;
    std::vector<int> colours;
    for (size_t at = 12; at < end;) {
        ASSERT_LE(at + 2, end);
        const uint8_t type = reply[at];
        const size_t n = reply[at + 1];
        ASSERT_LE(at + 2 + n, end) << "field runs past L";
        if (type == 0x01) {
            ASSERT_EQ(n, 1u);
            state = reply[at + 2];
        } else if (type == 0x0F) {
            ASSERT_EQ(n, 19u);
            for (int entry = 0; entry < 6; ++entry) {
                colours.push_back(reply[at + 3 + entry * 3 + 1]);
                EXPECT_LE(reply[at + 3 + entry * 3 + 2], 100);
            }
        }
        at += 2 + n;
    }
    EXPECT_EQ(state, 4) << "a fresh printer is ready";
    EXPECT_EQ(colours, (std::vector<int>{0, 1, 2, 3, 4, 5}));
}

TEST_F(SimTest, StoppedPrinterTimesOutAndItsLateAnswerIsNotTakenForTheNextOne)
{
    auto sim = StartAndOpen();
    uint8_t first = 0;
    ASSERT_EQ(ChanReadEeprom(0x10, &first, nullptr), NOVARI_OK);
    const uint8_t second = static_cast<uint8_t>(first ^ 0xFF);
    ASSERT_EQ(ChanWriteEeprom(0x11, second, nullptr), NOVARI_OK);
    sim->Signal(SIGSTOP);
    uint8_t value = 0;
    const double seconds =
        Seconds([&] { EXPECT_EQ(ChanReadEeprom(0x10, &value, nullptr), NOVARI_CHANNEL_ERROR); });
    EXPECT_EQ(ChanGetErrorCode(), NOVARI_CHAN_NO_REPLY);
    EXPECT_LT(seconds, 5.0);
    sim->Signal(SIGCONT);
    // The answer about 0x10 comes first now.
    ASSERT_EQ(ChanReadEeprom(0x11, &value, nullptr), NOVARI_OK);
    EXPECT_EQ(value, second);
}

// The program closes and reopens the port for every status refresh; the printer must have
// let go of the old connection by the time the new one arrives.
TEST_F(SimTest, PortReopenedAtOnceIsNotInUse)
{
    auto sim = StartAndOpen();
    int failures = 0;
    for (int i = 0; i < 50; ++i) {
        GateClosePort();
        if (GateOpenPort(0x0401) != NOVARI_OK)
            ++failures;
    }
    EXPECT_EQ(failures, 0);
    EXPECT_EQ(ChanOpen(nullptr), NOVARI_OK);
}

} // namespace
} // namespace novari_test
