// The virtual printer as a process, over its sockets.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include "linkframe.h"
#include "simprocess.h"

namespace simtest
{
namespace
{

constexpr uint8_t kStateField = 1 + 14; // result byte, then the reply's state byte

QString PortPath(const SimFolder &folder, const QString &port)
{
    return folder.PortDirectory() + "/" + port;
}

// Leaves a socket file that nobody listens on, as a killed printer does.
void MakeStaleSocket(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::setPermissions(QFileInfo(path).absolutePath(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray local = path.toLocal8Bit();
    std::memcpy(address.sun_path, local.constData(), static_cast<size_t>(local.size()));
    ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    close(fd);
}

TEST(SimProcessTest, KeepsItsEepromAcrossARestartAndEndsCleanlyOnSigterm)
{
    SimFolder folder;
    const QString eeprom = folder.Path() + "/printer.eep";
    {
        SimProcess printer(folder);
        ASSERT_TRUE(printer.Start({"--port", "USB003", "--model", "q530", "--destination", "eal",
                                   "--eeprom", eeprom, "--time-scale", "0.01"},
                                  "USB003"))
            << printer.Output().toStdString();
        LinkClient client;
        ASSERT_EQ(client.Connect(PortPath(folder, "USB003")), 0);
        const std::optional<LinkReply> id = client.Ask(LINK_OP_DEVICE_ID);
        ASSERT_TRUE(id);
        EXPECT_EQ(std::string(id->payload.begin() + 1, id->payload.end()),
                  "MFG:NOVARI;MDL:Halden Photo Q530;CLS:PRINTER;");
        ASSERT_TRUE(client.Ask(LINK_OP_CHANNEL_OPEN));
        EXPECT_EQ(client.ReadEeprom(0x6E), 0x04);
        EXPECT_TRUE(client.WriteEeprom(0x57, 0xEC));
        QFile file(eeprom);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_EQ(bytes.size(), 256);
        EXPECT_EQ(static_cast<uint8_t>(bytes[0x57]), 0xEC) << "written through at once";

        ASSERT_TRUE(printer.Terminate());
        EXPECT_EQ(printer.ExitStatus(), QProcess::NormalExit);
        EXPECT_EQ(printer.ExitCode(), 0);
        EXPECT_FALSE(QFileInfo::exists(PortPath(folder, "USB003")));
        EXPECT_FALSE(QFileInfo::exists(folder.PortDirectory() + "/.USB003.control"));
        EXPECT_TRUE(QDir(folder.Path()).entryList({"printer.eep.*"}, QDir::Files).isEmpty())
            << "no temporary EEPROM file left";
    }
    SimProcess again(folder);
    ASSERT_TRUE(again.Start({"--port", "USB003", "--model", "q530", "--eeprom", eeprom}, "USB003"));
    LinkClient client;
    ASSERT_EQ(client.Connect(PortPath(folder, "USB003")), 0);
    ASSERT_TRUE(client.Ask(LINK_OP_CHANNEL_OPEN));
    EXPECT_EQ(client.ReadEeprom(0x57), 0xEC);
}

TEST(SimProcessTest, DefaultEepromFileIsPerPortInTheStateFolder)
{
    SimFolder folder;
    SimProcess printer(folder);
    ASSERT_TRUE(
        printer.Start({"--port", "USB004", "--model", "q510", "--destination", "latin"}, "USB004"));
    QFile file(folder.Path() + "/state/novari-printer-sim/USB004.eep");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 256);
    EXPECT_EQ(static_cast<uint8_t>(bytes[0xCD]), 0x01) << "latin market byte";
}

TEST(SimProcessTest, RefusesBadCommandLines)
{
    SimFolder folder;
    for (const QStringList &arguments :
         {QStringList{"--model", "q999"}, QStringList{"--model", "q510", "--destination", "asia"},
          QStringList{"--model", "q530", "--destination", "latin"},
          QStringList{"--time-scale", "fast"}, QStringList{"--port", ".hidden"},
          QStringList{"stray"}}) {
        SimProcess printer(folder);
        EXPECT_NE(printer.RunToEnd(arguments), 0) << arguments.join(' ').toStdString();
    }
    // An EEPROM "file" that is a FIFO would block the start for good.
    const QString fifo = folder.Path() + "/eeprom.fifo";
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo), 0600), 0);
    SimProcess onFifo(folder);
    EXPECT_EQ(onFifo.RunToEnd({"--eeprom", fifo}), 1);
    EXPECT_TRUE(onFifo.Output().contains(fifo + " is not a regular file"))
        << onFifo.Output().toStdString();

    SimProcess help(folder);
    EXPECT_EQ(help.RunToEnd({"--help"}), 0);
    for (const char *option : {"--port", "--model", "--destination", "--eeprom", "--capture",
                               "--time-scale", "--pages", "--full-resolution", "--tray"})
        EXPECT_TRUE(help.Output().contains(option)) << option;
}

// The port directory is where clients trust what they find: the printer uses it only when it
// is a real folder of this user's with mode 0700, and says which folder is wrong and how.
TEST(SimProcessTest, RefusesAPortDirectoryOthersCouldReach)
{
    const struct {
        const char *why;
        std::function<bool(const QString &portDirectory, const QString &elsewhere)> spoil;
    } cases[] = {
        {"its mode is 0755, not 0700",
         [](const QString &ports, const QString &) {
             return QDir().mkdir(ports) && chmod(QFile::encodeName(ports), 0755) == 0;
         }},
        {"it is a symbolic link",
         [](const QString &ports, const QString &elsewhere) {
             return QDir().mkdir(elsewhere) && chmod(QFile::encodeName(elsewhere), 0700) == 0 &&
                    QFile::link(elsewhere, ports);
         }},
        {"it is not a folder",
         [](const QString &ports, const QString &) {
             QFile file(ports);
             return file.open(QIODevice::WriteOnly);
         }},
    };
    for (const auto &c : cases) {
        SimFolder folder;
        ASSERT_TRUE(c.spoil(folder.PortDirectory(), folder.Path() + "/elsewhere")) << c.why;
        SimProcess printer(folder);
        EXPECT_EQ(printer.RunToEnd({"--port", "USB001", "--time-scale", "0.01"}), 1) << c.why;
        EXPECT_TRUE(printer.Output().contains("cannot use the port directory " +
                                              folder.PortDirectory() + ": " + c.why))
            << printer.Output().toStdString();
        EXPECT_FALSE(QFileInfo::exists(folder.Path() + "/elsewhere/USB001")) << c.why;
    }
}

// Without XDG_RUNTIME_DIR the port directory is a folder in /tmp, where anyone can create
// names: the printer says so once, and creates the folder as its user's own. Run as another
// user, so that no real printer's folder is touched.
TEST(SimProcessTest, WarnsOnceAboutTheTmpFallback)
{
    if (geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        GTEST_SKIP() << "needs root and setpriv to run the printer as another user";
    const uid_t nobody = 65534;
    const QString directory = QString("/tmp/novari-ports-%1").arg(nobody);
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("XDG_RUNTIME_DIR");
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    // The capture folder cannot be made, so the printer stops right after the port directory.
    process.start("setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups",
                              SimProcess::Executable(), "--capture", "/proc/none/capture"});
    ASSERT_TRUE(process.waitForFinished(5000));
    const QString output = QString::fromLocal8Bit(process.readAll());
    EXPECT_EQ(process.exitCode(), 1) << output.toStdString();
    EXPECT_EQ(output.count("XDG_RUNTIME_DIR is not set"), 1) << output.toStdString();
    EXPECT_TRUE(output.contains(directory)) << output.toStdString();
    struct stat info {
    };
    ASSERT_EQ(lstat(QFile::encodeName(directory), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_uid, nobody);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    rmdir(QFile::encodeName(directory));
}

TEST(SimProcessTest, StaleSocketIsReplacedAndALiveOneRefused)
{
    SimFolder folder;
    MakeStaleSocket(PortPath(folder, "USB001"));
    SimProcess first(folder);
    ASSERT_TRUE(first.Start({"--time-scale", "0.01"}));
    EXPECT_EQ(first.Port(), "USB001") << "the stale socket does not hold the name";

    SimProcess second(folder);
    EXPECT_EQ(second.RunToEnd({"--port", "USB001"}), 1);
    EXPECT_TRUE(second.Output().contains("already runs on port USB001"))
        << second.Output().toStdString();
    LinkClient client;
    EXPECT_EQ(client.Connect(PortPath(folder, "USB001")), 0) << "the first printer still answers";
}

TEST(SimProcessTest, TwoPrintersRunSideBySide)
{
    SimFolder folder;
    SimProcess q510(folder);
    SimProcess q530(folder);
    // Both start at once and pick their own names.
    ASSERT_TRUE(q510.Launch({"--model", "q510", "--time-scale", "0.01"}));
    ASSERT_TRUE(q530.Launch({"--model", "q530", "--time-scale", "0.01"}));
    ASSERT_TRUE(q510.WaitForPort()) << q510.Output().toStdString();
    ASSERT_TRUE(q530.WaitForPort()) << q530.Output().toStdString();
    EXPECT_EQ(QStringList({q510.Port(), q530.Port()}).size(), 2);
    EXPECT_NE(q510.Port(), q530.Port());
    EXPECT_TRUE(QStringList({"USB001", "USB002"}).contains(q510.Port()));
    EXPECT_TRUE(QStringList({"USB001", "USB002"}).contains(q530.Port()));
    LinkClient a, b;
    ASSERT_EQ(a.Connect(PortPath(folder, q510.Port())), 0);
    ASSERT_EQ(b.Connect(PortPath(folder, q530.Port())), 0);
    const std::optional<LinkReply> idA = a.Ask(LINK_OP_DEVICE_ID);
    const std::optional<LinkReply> idB = b.Ask(LINK_OP_DEVICE_ID);
    ASSERT_TRUE(idA && idB);
    EXPECT_NE(std::string(idA->payload.begin(), idA->payload.end()).find("Q510"),
              std::string::npos);
    EXPECT_NE(std::string(idB->payload.begin(), idB->payload.end()).find("Q530"),
              std::string::npos);
    // Unplugging one leaves the other alone.
    EXPECT_EQ(SimProcess::Control(folder, {q510.Port(), "unplug"}), 0);
    EXPECT_TRUE(a.WaitForHangUp());
    EXPECT_TRUE(b.Ask(LINK_OP_DEVICE_ID));
    // An unplugged printer keeps its name and is plugged in again by clear.
    SimProcess third(folder);
    ASSERT_TRUE(third.Start({"--time-scale", "0.01"}));
    EXPECT_EQ(third.Port(), "USB003");
    EXPECT_EQ(SimProcess::Control(folder, {q510.Port(), "clear"}), 0);
    ASSERT_EQ(a.Connect(PortPath(folder, q510.Port())), 0);
    EXPECT_TRUE(a.Ask(LINK_OP_DEVICE_ID));

    EXPECT_TRUE(q530.Interrupt());
    EXPECT_EQ(q530.ExitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(PortPath(folder, q530.Port())));
}

TEST(SimProcessTest, OneClientAtATimeAndGarbageDoesNotHurt)
{
    SimFolder folder;
    SimProcess printer(folder);
    ASSERT_TRUE(printer.Start({"--time-scale", "0.01"}));
    const QString path = PortPath(folder, printer.Port());
    {
        LinkClient first;
        ASSERT_EQ(first.Connect(path), 0);
        ASSERT_TRUE(first.Ask(LINK_OP_DEVICE_ID));
        LinkClient second;
        ASSERT_EQ(second.Connect(path), 0);
        const std::optional<LinkReply> busy = second.ReadReply();
        ASSERT_TRUE(busy);
        EXPECT_EQ(busy->kind, 0xFF);
        EXPECT_EQ(busy->payload, std::vector<uint8_t>{0x14});
        EXPECT_TRUE(second.WaitForHangUp());
        EXPECT_TRUE(first.Ask(LINK_OP_DEVICE_ID)) << "the first client keeps the printer";

        // Noise, a frame with a bad check sum, then half a frame and a hang-up.
        std::vector<uint8_t> garbage(5000);
        for (size_t i = 0; i < garbage.size(); ++i)
            garbage[i] = static_cast<uint8_t>(i * 37 + 11);
        garbage.insert(garbage.end(), {0xA5, 0x5A, 0x01, 0x05, 0x00, 0x00, 0x12, 0x34});
        ASSERT_TRUE(first.SendRaw(garbage));
        std::optional<LinkReply> error = first.ReadReply();
        while (error && error->kind == 0xFF)
            error = first.ReadReply(300);
        ASSERT_TRUE(first.SendRaw({0xA5, 0x5A, 0x04, 0x09, 0x10, 0x00, 1, 2, 3}));
    }
    LinkClient next;
    ASSERT_EQ(next.Connect(path), 0);
    const std::optional<LinkReply> id = next.Ask(LINK_OP_DEVICE_ID);
    ASSERT_TRUE(id);
    EXPECT_EQ(id->kind, 0x81);

    // A client that closes and opens again at once is not told the printer is in use.
    int inUse = 0;
    for (int i = 0; i < 50; ++i) {
        next.Close();
        ASSERT_EQ(next.Connect(path), 0);
        const std::optional<LinkReply> reply = next.Ask(LINK_OP_DEVICE_ID);
        ASSERT_TRUE(reply);
        if (reply->kind == 0xFF)
            ++inUse;
    }
    EXPECT_EQ(inUse, 0);
}

// A client that sends its last requests and its end of stream at once still gets every
// answer before the printer closes; this holds again and again (no race with the hang-up).
TEST(SimProcessTest, RequestsSentWithTheEndOfTheStreamAreAnswered)
{
    SimFolder folder;
    SimProcess printer(folder);
    ASSERT_TRUE(printer.Start({"--port", "USB001", "--time-scale", "0.01"}, "USB001"));
    std::vector<uint8_t> requests;
    for (const uint8_t op : {LINK_OP_DEVICE_ID, LINK_OP_CHANNEL_OPEN, LINK_OP_DEVICE_ID}) {
        uint8_t frame[LINK_MAX_FRAME];
        const size_t size =
            link_frame_build(op, static_cast<uint8_t>(requests.size() + 1), nullptr, 0, frame);
        requests.insert(requests.end(), frame, frame + size);
    }
    for (int round = 0; round < 20; ++round) {
        LinkClient client;
        ASSERT_EQ(client.Connect(PortPath(folder, "USB001")), 0);
        ASSERT_TRUE(client.SendRaw(requests));
        client.ShutdownWrite();
        int answered = 0;
        while (client.ReadReply(2000))
            ++answered;
        EXPECT_EQ(answered, 3) << "round " << round;
    }
}

TEST(SimProcessTest, ControlWordsChangeWhatTheLinkSees)
{
    SimFolder folder;
    const QString capture = folder.Path() + "/capture";
    SimProcess printer(folder);
    ASSERT_TRUE(printer.Start({"--port", "USB007", "--capture", capture, "--time-scale", "0.01"},
                              "USB007"));
    const QString path = PortPath(folder, "USB007");
    LinkClient client;
    ASSERT_EQ(client.Connect(path), 0);
    ASSERT_TRUE(client.Ask(LINK_OP_CHANNEL_OPEN));

    struct Case {
        const char *word;
        uint8_t state;
        uint8_t error;
    };
    for (const Case &c :
         {Case{"paper-out", 0, 6}, Case{"jam", 0, 4}, Case{"ink-out", 0, 5}, Case{"busy", 2, 0},
          Case{"cleaning", 7, 0}, Case{"no-ink-charge", 8, 0}}) {
        ASSERT_EQ(SimProcess::Control(folder, {"USB007", c.word}), 0) << c.word;
        const std::optional<LinkReply> status = client.Status();
        ASSERT_TRUE(status);
        EXPECT_EQ(status->payload[kStateField], c.state) << c.word;
        if (c.state == 0) {
            EXPECT_EQ(status->payload[kStateField + 3], c.error) << c.word;
        }
        const std::optional<LinkReply> data = client.Ask(LINK_OP_DATA, {0x1B, 0x40});
        ASSERT_TRUE(data);
        EXPECT_EQ(data->Result(), c.state == 8 ? LINK_RESULT_OK : LINK_RESULT_NOT_READY) << c.word;
        ASSERT_EQ(SimProcess::Control(folder, {"USB007", "clear"}), 0);
        EXPECT_EQ(client.Status()->payload[kStateField], 4);
    }

    // A fault with a duration ends by itself.
    ASSERT_EQ(SimProcess::Control(folder, {"USB007", "busy", "0.3"}), 0);
    EXPECT_EQ(client.Status()->payload[kStateField], 2);
    QThread::msleep(400);
    EXPECT_EQ(client.Status()->payload[kStateField], 4);

    // Silent: requests go unanswered until cleared.
    ASSERT_EQ(SimProcess::Control(folder, {"USB007", "silent"}), 0);
    EXPECT_FALSE(client.Ask(LINK_OP_DEVICE_ID, {}, 300));
    ASSERT_EQ(SimProcess::Control(folder, {"USB007", "clear"}), 0);
    client.Close();
    ASSERT_EQ(client.Connect(path), 0);
    EXPECT_TRUE(client.Ask(LINK_OP_DEVICE_ID));

    // Unplug: the connection drops and the port is gone until the time is up.
    ASSERT_EQ(SimProcess::Control(folder, {"USB007", "unplug", "0.5"}), 0);
    EXPECT_TRUE(client.WaitForHangUp());
    LinkClient other;
    EXPECT_EQ(other.Connect(path), ENOENT);
    QThread::msleep(700);
    EXPECT_EQ(other.Connect(path), 0);
    EXPECT_TRUE(other.Ask(LINK_OP_DEVICE_ID));

    // Power: off, every request fails as with a printer switched off (the program's "turn off"
    // loop ends on it); on, the port is back.
    ASSERT_EQ(SimProcess::Control(folder, {"USB007", "power-off"}), 0);
    EXPECT_TRUE(other.WaitForHangUp());
    EXPECT_EQ(other.Connect(path), ENOENT);
    ASSERT_EQ(SimProcess::Control(folder, {"USB007", "power-on"}), 0);
    ASSERT_EQ(other.Connect(path), 0);
    EXPECT_TRUE(other.Ask(LINK_OP_DEVICE_ID));

    QString output;
    EXPECT_EQ(SimProcess::Control(folder, {"USB007", "wobble"}, &output), 2);
    EXPECT_EQ(SimProcess::Control(folder, {"USB007", "busy", "-1"}, &output), 2);
    EXPECT_EQ(SimProcess::Control(folder, {"USB008", "clear"}, &output), 1);
    EXPECT_TRUE(output.contains("no virtual printer runs on port USB008")) << output.toStdString();

    // Every request was captured, refused data included.
    QFile events(capture + "/events.jsonl");
    ASSERT_TRUE(events.open(QIODevice::ReadOnly));
    const QByteArray log = events.readAll();
    EXPECT_EQ(log.count("\"op\":\"data\""), 6);
    EXPECT_EQ(log.count("\"result\":\"not_ready\""), 5);
    EXPECT_TRUE(log.contains("\"result\":\"unanswered\""));
    QFile data(capture + "/data.bin");
    ASSERT_TRUE(data.open(QIODevice::ReadOnly));
    EXPECT_EQ(data.readAll(), QByteArray("\x1B\x40", 2)) << "only the accepted bytes";
}

TEST(SimProcessTest, ResetRestartsTheFirmware)
{
    SimFolder folder;
    SimProcess printer(folder);
    ASSERT_TRUE(printer.Start({"--time-scale", "0.05"}));
    const QString path = PortPath(folder, printer.Port());
    LinkClient client;
    ASSERT_EQ(client.Connect(path), 0);
    ASSERT_TRUE(client.Ask(LINK_OP_CHANNEL_OPEN));
    const std::optional<LinkReply> reset = client.Ask(LINK_OP_RESET);
    ASSERT_TRUE(reset);
    EXPECT_EQ(reset->Result(), LINK_RESULT_OK);
    EXPECT_TRUE(client.WaitForHangUp());

    ASSERT_EQ(client.Connect(path), 0);
    EXPECT_EQ(client.Status()->Result(), LINK_RESULT_CHANNEL_CLOSED) << "the channel was dropped";
    ASSERT_TRUE(client.Ask(LINK_OP_CHANNEL_OPEN));
    EXPECT_EQ(client.Status()->payload[kStateField], 2) << "still booting";
    QThread::msleep(250);
    EXPECT_EQ(client.Status()->payload[kStateField], 4);
}

TEST(SimProcessTest, PacketsOnTheDataChannelReachTheFirmware)
{
    SimFolder folder;
    const QString capture = folder.Path() + "/capture";
    SimProcess printer(folder);
    ASSERT_TRUE(printer.Start({"--capture", capture, "--time-scale", "0.005"}));
    LinkClient client;
    ASSERT_EQ(client.Connect(PortPath(folder, printer.Port())), 0);
    ASSERT_TRUE(client.Ask(LINK_OP_CHANNEL_OPEN));

    // Bi-D VSD1 Black, typical gap, -10; then head angular 3 with its commit.
    const std::vector<uint8_t> bid = {0x1B, 0x7C, 0x00, 0x09, 0x00, 0x5E, 0xA7,
                                      0x00, 0xFF, 0x00, 0x01, 0x01, 0xF6, 0xFF};
    EXPECT_EQ(client.Ask(LINK_OP_DATA, bid)->Result(), LINK_RESULT_OK);
    EXPECT_EQ(client.ReadEeprom(0x34), 0xF6);
    std::vector<uint8_t> angular = {0x1B, 0x7C, 0x00, 0x06, 0x00, 0x5E, 0xA7,
                                    0x05, 0xFA, 0x82, 0x03, 0x1B, 0x7C, 0x00,
                                    0x05, 0x00, 0x5E, 0xA7, 0x50, 0xAF, 0x28};
    EXPECT_EQ(client.Ask(LINK_OP_DATA, angular)->Result(), LINK_RESULT_OK);
    EXPECT_EQ(client.ReadEeprom(0x75), 0x03);

    // A paper settings block in remote mode, its sum spoilt.
    std::vector<uint8_t> remote = {0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R',  'E',  'M', 'O',
                                   'T',  'E',  '1',  'S',  'N',  0x52, 0x00, 0x00, 0x15};
    for (int i = 0; i < 78; ++i)
        remote.push_back(static_cast<uint8_t>(i == 0 ? 0x0B : 0));
    remote.insert(remote.end(), {0x0C, 0x00, 0x1B, 0x00, 0x00, 0x00});
    EXPECT_EQ(client.Ask(LINK_OP_DATA, remote)->Result(), LINK_RESULT_OK);

    // A cleaning with a wrong rotation byte is refused; the right one runs.
    EXPECT_EQ(
        client
            .Ask(LINK_OP_DATA, {0x1B, 0x7C, 0x00, 0x06, 0x00, 0x5E, 0xA7, 0x84, 0x7B, 0x43, 0x02})
            ->Result(),
        LINK_RESULT_OK);
    EXPECT_EQ(client.Status()->payload[kStateField], 4);
    EXPECT_EQ(
        client
            .Ask(LINK_OP_DATA, {0x1B, 0x7C, 0x00, 0x06, 0x00, 0x5E, 0xA7, 0x84, 0x7B, 0x42, 0x02})
            ->Result(),
        LINK_RESULT_OK);
    EXPECT_EQ(client.Status()->payload[kStateField], 7);
    EXPECT_EQ(client.Ask(LINK_OP_DATA, {0x1B, 0x40})->Result(), LINK_RESULT_NOT_READY);
    QThread::msleep(300); // 41 s x 0.005
    EXPECT_EQ(client.Status()->payload[kStateField], 4);
    EXPECT_EQ(client.Ask(LINK_OP_DATA, {0x1B, 0x40})->Result(), LINK_RESULT_OK);

    // A slow carriage timing run after the tester's word leaves a drive time the measurement
    // refuses (it accepts 274 to 502); the next one is good again.
    const std::vector<uint8_t> timingRun = {0x1B, 0x7C, 0x00, 0x09, 0x00, 0x5E, 0xA7,
                                            0xC4, 0x3B, 0x62, 0x03, 0x00, 0x08, 0x07};
    auto driveTime = [&client]() {
        return client.ReadEeprom(0x52).value_or(0) * 256 + client.ReadEeprom(0x53).value_or(0);
    };

    ASSERT_EQ(SimProcess::Control(folder, {printer.Port(), "drive-time-out-of-range"}), 0);
    EXPECT_EQ(client.Ask(LINK_OP_DATA, timingRun)->Result(), LINK_RESULT_OK);
    EXPECT_LT(driveTime(), 274);
    EXPECT_EQ(client.Ask(LINK_OP_DATA, timingRun)->Result(), LINK_RESULT_OK);
    EXPECT_GE(driveTime(), 274);

    QFile events(capture + "/events.jsonl");
    ASSERT_TRUE(events.open(QIODevice::ReadOnly));
    QList<QByteArray> lines = events.readAll().split('\n');
    QStringList packets;
    for (const QByteArray &line : lines)
        if (line.contains("\"op\":\"factory\"") || line.contains("\"op\":\"remote\""))
            packets << QString::fromUtf8(line);
    ASSERT_EQ(packets.size(), 8) << packets.join('\n').toStdString();
    EXPECT_TRUE(packets[0].contains("\"result\":\"ok\""));
    EXPECT_TRUE(packets[3].contains("\"command\":\"SN\"") && packets[3].contains("rejected"))
        << packets[3].toStdString();
    EXPECT_TRUE(packets[4].contains("rotation")) << packets[4].toStdString();
    EXPECT_TRUE(packets[5].contains("\"result\":\"ok\""));
    EXPECT_TRUE(packets[6].contains("drive time 273 at 52/53")) << packets[6].toStdString();
}

} // namespace
} // namespace simtest

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
