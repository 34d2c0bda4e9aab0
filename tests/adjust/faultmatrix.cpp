// The fault matrix: every button of the main window that talks to the printer, run against a
// virtual printer under every fault it can make (paper out, jam, ink out, busy, cleaning,
// silent, unplugged, killed), at the start of the operation and, for the long ones, in the
// middle. Each cell records what the memo or the paper prompt said, how long the window stayed
// disabled, the item locks, the printer's EEPROM file and the backup file; the table of all
// cells is printed at the end. A hang, a crash, a success over a printer that cannot have done
// the work, an unworded error or a damaged file fails the test.
//
// NOVARI_FAULT_MATRIX_FULL=1 also runs every item with the fault in the middle;
// NOVARI_FAULT_MATRIX_ONLY=text runs only the items whose name contains text;
// NOVARI_FAULT_MATRIX_SHARED=1 shares the rows with the other processes of the same CTest run
// that have it: each takes the next row none has taken, so that they end together.
#include "adjust/dialogs/filedialog.h"
#include "adjust/items/eepromcopy/eepromcopy.h"
#include "printerfixture.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace adjusttest;
using novari_test::VirtualPrinter;

namespace
{
const QColor Red(255, 0, 0);
constexpr double TimeScale = 0.01;      // the printer's durations and the program's waits
constexpr double TransientFaultS = 0.4; // busy and cleaning end by themselves after this
constexpr double LinkTimeOutS = 2.0;    // the libraries' wait for one reply
constexpr double SlackS = 1.5;          // window creation, repaint, the 100 ms DisableTimer
constexpr int HangLimitS = 20;    // a cell running longer than this hangs: the printer is cleared
constexpr int ReleaseLimitS = 40; // and if that does not end it either, the run ends
const char *const PaperPromptStart = "Paper not loaded correctly.";

enum class Fault { None, PaperOut, Jam, InkOut, Busy, Cleaning, Silent, Unplug, Killed };
const Fault AllFaults[] = {Fault::None,   Fault::PaperOut, Fault::Jam,
                           Fault::InkOut, Fault::Busy,     Fault::Cleaning,
                           Fault::Silent, Fault::Unplug,   Fault::Killed};

const char *Word(Fault fault)
{
    switch (fault) {
    case Fault::None:
        return "none";
    case Fault::PaperOut:
        return "paper-out";
    case Fault::Jam:
        return "jam";
    case Fault::InkOut:
        return "ink-out";
    case Fault::Busy:
        return "busy";
    case Fault::Cleaning:
        return "cleaning";
    case Fault::Silent:
        return "silent";
    case Fault::Unplug:
        return "unplug";
    case Fault::Killed:
        return "killed";
    }
    return "?";
}

// Faults after which no request of the operation can succeed.
bool CutsTheLine(Fault fault)
{
    return fault == Fault::Silent || fault == Fault::Unplug || fault == Fault::Killed;
}

// Faults that put the printer in an error state and refuse its data.
bool StopsThePrinter(Fault fault)
{
    return fault == Fault::PaperOut || fault == Fault::Jam || fault == Fault::InkOut;
}

// The printer error line each state fault must be worded with.
QString ErrorLineOf(Fault fault)
{
    switch (fault) {
    case Fault::PaperOut:
        return QStringLiteral("Paper out error.");
    case Fault::Jam:
        return QStringLiteral("Paper jam error.");
    case Fault::InkOut:
        return QStringLiteral("Ink out error.");
    default:
        return QString();
    }
}

struct Cell;

// One button of one item, and what it needs before its click.
struct Operation {
    const char *name;
    const char *list;
    int entry;
    const char *button;
    bool longRun; // also run with the fault in the middle
    std::function<void(Cell &)> prepare;
};

struct Outcome {
    QString kind; // "ok", "error", "no-word", "missed"
    QString line; // first memo line
    bool prompted = false;
    double seconds = 0.0;
    QStringList faults; // what is wrong with the cell: fails the test
    QStringList notes;  // what is worth a look: printed
};

// Everything one cell needs: its own folder, printer, program and window.
struct Cell {
    QTemporaryDir folder;
    novari_test::RuntimeDir &runtime;
    std::unique_ptr<VirtualPrinter> printer;
    std::unique_ptr<TPProgram> program = MakeProgram();
    TPSelection selection;
    std::unique_ptr<TFormAdjust> window;
    QString Backup() const
    {
        return folder.filePath(QStringLiteral("data/Adjustment Program/HPQ510530/backupdata.eep"));
    }
    QString EepromFile() const { return folder.filePath(QStringLiteral("printer.eep")); }
    QString SaveFile() const { return folder.filePath(QStringLiteral("saved.eep")); }

    explicit Cell(novari_test::RuntimeDir &runtimeDir) : runtime(runtimeDir) {}
    ~Cell()
    {
        window.reset();
        if (program)
            program->dll.GateClosePort();
    }

    template <typename T> T *Find(const char *name) const
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    void SetText(const char *edit, const char *text) const
    {
        if (auto *field = Find<QLineEdit>(edit))
            field->setText(QString::fromLatin1(text));
    }
    void Press(const char *button) const
    {
        if (auto *widget = Find<QAbstractButton>(button)) {
            WaitForEnabled(*window);
            widget->click();
        }
    }
};

void CheckParts(Cell &cell, std::initializer_list<const char *> parts)
{
    for (const char *part : parts) {
        if (auto *box = cell.Find<QCheckBox>(part))
            box->setChecked(true);
    }
}

void ChooseCheckPattern(Cell &cell, int entry)
{
    if (TRadioList *entries = List(*cell.window, "CheckPatternRdoGrp"))
        entries->Button(entry)->click();
}

std::vector<Operation> Operations()
{
    auto none = [](Cell &) {};
    auto headIdPrintPage = [](Cell &c) { c.Press("HeadCheckPrintShowBtn"); };
    auto bidInputPage = [](Cell &c) { c.Press("BidPrintShowInputBtn"); };
    std::vector<Operation> ops = {
        {"Market OK", "AdjustRdoGrp", 0, "DefaultSetOKBtn", false, none},
        {"Market Check", "AdjustRdoGrp", 0, "DestCheckBtn", false, none},
        {"USB ID Input", "AdjustRdoGrp", 1, "USBIDInputOKBtn", false,
         [](Cell &c) { c.SetText("USBIDInputEdit", "HQ510ABC12"); }},
        {"USB ID Read", "AdjustRdoGrp", 1, "USBIDReadOutBtn", false, none},
        {"Head ID Input", "AdjustRdoGrp", 2, "HeadIDInputOKBtn", false,
         [](Cell &c) { c.SetText("HeadIDInputEdit", "83007f-$:z9%uw3"); }},
        {"Head ID Read", "AdjustRdoGrp", 2, "HeadIDReadBtn", false, none},
        {"Head ID Print", "AdjustRdoGrp", 2, "HeadCheckPrintBtn", true, headIdPrintPage},
        {"Head ID Paper feed", "AdjustRdoGrp", 2, "HeadCheckPaperFeedBtn", false, headIdPrintPage},
        {"Head angular Print", "AdjustRdoGrp", 3, "HeadAngularPrintBtn", true, none},
        {"Head angular Input", "AdjustRdoGrp", 3, "HeadAngularInputBtn", false,
         [](Cell &c) { c.SetText("HeadAngularInputEdit", "3"); }},
        {"Head angular Read", "AdjustRdoGrp", 3, "HeadAngularReadBtn", false, none},
        {"Head angular Paper feed", "AdjustRdoGrp", 3, "HeadAngularPaperFeedBtn", false, none},
        {"Bi-D Print", "AdjustRdoGrp", 4, "BidPrintOKBtn", true, none},
        {"Bi-D Input", "AdjustRdoGrp", 4, "BidInputOKBtn", false,
         [=](Cell &c) {
             bidInputPage(c);
             c.SetText("BidVSD1BkInputEdit", "-10");
         }},
        {"Bi-D Read", "AdjustRdoGrp", 4, "BidInputCheckBtn", false, bidInputPage},
        {"PW sensor Print", "AdjustRdoGrp", 5, "PWSensorPrintBtn", true, none},
        {"PW sensor Input", "AdjustRdoGrp", 5, "PWSensorInputBtn", false,
         [](Cell &c) { c.SetText("PWSensorHMXUEdit", "5"); }},
        {"PW sensor Read", "AdjustRdoGrp", 5, "PWSensorCheckBtn", false, none},
        {"First dot Print", "AdjustRdoGrp", 6, "LandMarginPrintBtn", true, none},
        {"First dot Input", "AdjustRdoGrp", 6, "LandMarginInputBtn", false,
         [](Cell &c) { c.Press("CenteringBitBtn"); }},
        {"First dot Read", "AdjustRdoGrp", 6, "LandMarginCheckBtn", false, none},
        {"First dot Paper feed", "AdjustRdoGrp", 6, "LandMarginFeedBtn", false, none},
        {"Top margin Print", "AdjustRdoGrp", 7, "TopMarginPrintBtn", true, none},
        {"Top margin Input", "AdjustRdoGrp", 7, "TopMarginInputValueBtn", false,
         [](Cell &c) { c.Press("TopMarginCenteringBitBtn"); }},
        {"Top margin Read", "AdjustRdoGrp", 7, "TopMarginCheckValueBtn", false, none},
        {"CR offset default", "AdjustRdoGrp", 8, "CRHeatProtectOffsetOKBtn", false,
         [](Cell &c) { CheckParts(c, {"ReplaceMainBoardCheckBox"}); }},
        {"CR offset measure", "AdjustRdoGrp", 8, "CRHeatProtectOffsetOKBtn", true,
         [](Cell &c) {
             CheckParts(c, {"ReplaceMainBoardCheckBox", "ReplaceCRMainShaftCheckBox"});
         }},
        {"Head cleaning", "MainteRdoGrp", 0, "CleaningOKBtn", false, none},
        {"Ink charge", "MainteRdoGrp", 1, "InkChargeOKBtn", false, none},
        {"Waste ink Read", "MainteRdoGrp", 2, "ProCounterCheckBtn", false, none},
        {"Waste ink Reset", "MainteRdoGrp", 2, "ProCounterClearBtn", false, none},
        {"EEPROM backup", "MainteRdoGrp", 3, "EepDataCopyBackUpStartPnl", true, none},
        {"EEPROM restore", "MainteRdoGrp", 3, "EepDataCopyLoadStartPnl", true, none},
        {"Save all EEPROM", "AppendixRdoGrp", 0, "EepromReadoutBtn", true, none},
        {"APG check", "AppendixRdoGrp", 1, "APGCheckBtn", false, none},
    };
    const char *const prints[] = {"Check A4 normal", "Check A4 PQIJ", "Check A4 photo",
                                  "Check CD-R", "Nozzle check"};
    for (int entry = 0; entry < 5; ++entry) {
        ops.push_back({prints[entry], "AppendixRdoGrp", 2, "ChkPtnPrtBtn", true,
                       [entry](Cell &c) { ChooseCheckPattern(c, entry); }});
    }
    return ops;
}

// The stored values a pattern print changes while it prints (Bi-D of the typical gap, head
// angular) and must leave as it found them.
std::vector<int> PatternValues(const char *button)
{
    if (QLatin1String(button) == QLatin1String("BidPrintOKBtn"))
        return {0x32, 0x33, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39};
    if (QLatin1String(button) == QLatin1String("HeadAngularPrintBtn"))
        return {0x75};
    return {};
}

// The process id of the virtual printer that keeps this EEPROM file (found by its command line,
// which names the cell's own file), so that it can be killed without a chance to clean up.
pid_t PrinterPid(const QString &eepromFile)
{
    const QByteArray wanted = eepromFile.toLocal8Bit();
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        QFile cmdline(QStringLiteral("/proc/%1/cmdline").arg(entry));
        if (!cmdline.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> args = cmdline.readAll().split('\0');
        if (args.contains(wanted) && args.value(0).endsWith("novari-printer-sim"))
            return pid;
    }
    return 0;
}

QString ControlPath(const VirtualPrinter &printer)
{
    const QFileInfo port(printer.SocketPath());
    return port.dir().filePath(QStringLiteral(".%1.control").arg(port.fileName()));
}

// A killed printer leaves its port and control sockets behind; the next cell's printer must
// not be mistaken for it.
void RemoveLeftSockets(VirtualPrinter &printer)
{
    printer.Stop();
    QFile::remove(printer.SocketPath());
    QFile::remove(ControlPath(printer));
}

// Says one line to the printer's control socket and reads its answer, from any thread. Quicker
// than a control process: a fault made in the middle of a job arrives while the job is under
// way, and a cell does not wait for a process to start for every paper reload.
bool Tell(const std::string &controlPath, const std::string &line)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (controlPath.size() >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, controlPath.c_str(), controlPath.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    const auto closer = qScopeGuard([fd] { ::close(fd); });
    const std::string text = line + "\n";
    if (::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0 ||
        ::send(fd, text.data(), text.size(), MSG_NOSIGNAL) != ssize_t(text.size()))
        return false;
    constexpr int ReplyWaitMs = 10000;
    std::string reply;
    char c = 0;
    pollfd readable{fd, POLLIN, 0};
    while (reply.size() < 256 && ::poll(&readable, 1, ReplyWaitMs) == 1 && ::read(fd, &c, 1) == 1 &&
           c != '\n')
        reply += c;
    return reply == "ok";
}

bool Tell(const VirtualPrinter &printer, const char *word)
{
    return Tell(ControlPath(printer).toStdString(), word);
}

int IoError(TPDLLFunction &dll)
{
    int16_t error = 0;
    dll.GateGetIoError(&error);
    return error;
}

int EventLines(const QString &events)
{
    QFile file(events);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n')) : 0;
}

qint64 FileSize(const std::string &path)
{
    struct stat info {
    };
    return ::stat(path.c_str(), &info) == 0 ? qint64(info.st_size) : -1;
}

// Where a fault in the middle of an operation is made: once the printer has taken half the
// data the operation sends without a fault (the capture's data.bin), so that a pattern is
// interrupted half-way down the sheet; for an operation that sends no data, once a quarter of
// its requests are logged (events.jsonl).
struct MidPoint {
    QString file; // data.bin or events.jsonl
    qint64 bytes = 0;
};

// What the cell without a fault left in the capture.
struct Baseline {
    qint64 eventBytes = 0;
    int eventLines = 0;
    qint64 dataBytes = 0;
};

// Makes the fault, either at once or from a thread once a capture file has grown past a size.
class FaultMaker
{
public:
    FaultMaker(VirtualPrinter &printer, Fault fault, pid_t pid)
        : fault_(fault), pid_(pid), control_(ControlPath(printer).toStdString())
    {
    }
    ~FaultMaker() { Finish(); }

    bool Make()
    {
        if (fault_ == Fault::Killed)
            return pid_ > 0 && ::kill(pid_, SIGKILL) == 0;
        const bool transient = fault_ == Fault::Busy || fault_ == Fault::Cleaning;
        std::string line = Word(fault_);
        if (transient)
            line += " " + std::to_string(TransientFaultS);
        return Tell(control_, line);
    }

    void MakeOncePassed(const QString &file, qint64 bytes)
    {
        const std::string path = file.toStdString();
        thread_ = std::thread([this, path, bytes] {
            while (!stop_ && FileSize(path) < bytes)
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            if (!stop_) {
                askedAt_ = std::chrono::steady_clock::now();
                fired_ = Make();
                firedAt_ = std::chrono::steady_clock::now();
            }
        });
    }

    // Stops waiting; true when the fault was made before the given end of the operation. A
    // fault that cuts the line ends the operation before the printer's answer is back, so for
    // it the time it was asked for counts (one asked for after the operation's last request is
    // told by the request count).
    bool Finish(std::chrono::steady_clock::time_point end = std::chrono::steady_clock::now())
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return fired_ && (CutsTheLine(fault_) ? askedAt_ : firedAt_) <= end;
    }
    bool Fired() const { return fired_; }

private:
    Fault fault_;
    pid_t pid_;
    const std::string control_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> fired_{false};
    std::chrono::steady_clock::time_point askedAt_;
    std::chrono::steady_clock::time_point firedAt_;
    std::thread thread_;
};

// Ends the process when a cell runs for too long: a hang must fail the test, not stall it.
class Watchdog
{
public:
    Watchdog()
        : thread_([this] {
              while (!stop_) {
                  std::this_thread::sleep_for(std::chrono::milliseconds(200));
                  const auto started = started_.load();
                  if (started > 0 && !hung_ && Now() - started > HangLimitS * 1000) {
                      hung_ = true;
                      std::fprintf(stderr, "HANG: %s, clearing the printer's faults\n", cell_);
                      if (release_)
                          release_();
                  }
                  if (started > 0 && Now() - started > ReleaseLimitS * 1000) {
                      std::fprintf(stderr, "HANG: %s did not end within %d s\n", cell_,
                                   ReleaseLimitS);
                      std::fflush(stderr);
                      std::_Exit(3);
                  }
              }
          })
    {
    }
    ~Watchdog()
    {
        stop_ = true;
        thread_.join();
    }
    // release runs on the watchdog's thread when the cell hangs.
    void Start(const char *cell, std::function<void()> release)
    {
        release_ = std::move(release);
        hung_ = false;
        std::snprintf(cell_, sizeof cell_, "%s", cell);
        started_ = Now();
    }
    // True when the cell had to be released.
    bool Stop()
    {
        started_ = 0;
        return hung_;
    }

private:
    static long long Now()
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    std::atomic<bool> stop_{false};
    std::atomic<long long> started_{0};
    std::atomic<bool> hung_{false};
    std::function<void()> release_;
    char cell_[128] = {};
    std::thread thread_;
};

// The 68 copy-list bytes of an EEPROM image, as the backup file holds them.
TPEEPROMCopy::Image CopyBytes(const QByteArray &eeprom)
{
    TPEEPROMCopy::Image bytes{};
    const TPEEPROMCopy::Image &list = TPEEPROMCopy::CopyList();
    for (size_t i = 0; i < list.size(); ++i)
        bytes[i] = uint8_t(eeprom.at(list[i]));
    return bytes;
}

QByteArray ToBytes(const TPEEPROMCopy::Image &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.data()), int(image.size()));
}

// The rows a process runs. Shared, the processes that one CTest run starts side by side take
// rows as they go: a row is taken by making a file for it in a folder named after the CTest
// process (its id and start time, so that a later run never finds the claims of an earlier one).
class RowShare
{
public:
    RowShare()
    {
        if (qEnvironmentVariableIntValue("NOVARI_FAULT_MATRIX_SHARED") == 0)
            return;
        const pid_t parent = ::getppid();
        QFile stat(QStringLiteral("/proc/%1/stat").arg(parent));
        if (!stat.open(QIODevice::ReadOnly))
            return;
        // The start time is the 22nd field, the 20th after the command's closing bracket.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        constexpr int StartTimeAfterName = 19;
        if (fields.size() <= StartTimeAfterName)
            return;
        folder_ = QDir::temp().filePath(QStringLiteral("novari-fault-matrix-%1-%2")
                                            .arg(parent)
                                            .arg(QString::fromLatin1(fields[StartTimeAfterName])));
        QDir().mkpath(folder_);
    }
    // True when this process runs the row.
    bool Take(size_t row) const
    {
        if (folder_.isEmpty())
            return true;
        const QByteArray claim =
            QDir(folder_).filePath(QStringLiteral("row-%1").arg(row)).toLocal8Bit();
        const int fd = ::open(claim.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (fd < 0)
            return errno != EEXIST; // a claim that cannot be made at all never skips a row
        ::close(fd);
        return true;
    }

private:
    QString folder_;
};

class FaultMatrix : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!VirtualPrinter::IsBuilt())
            GTEST_SKIP() << "virtual printer not built yet";
        previousDataHome_ = qgetenv("XDG_DATA_HOME");
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", previousDataHome_); }

    // Runs one cell; mid makes the fault once its capture file has grown by that much.
    Outcome Run(const Operation &op, Fault fault, const std::optional<MidPoint> &mid,
                Baseline *baseline = nullptr);

    novari_test::RuntimeDir runtime;
    Watchdog watchdog;
    QByteArray cellName_;
    qint64 rowBaseline_ = -1;  // capture bytes of the row's cell without a fault
    int rowBaselineLines_ = 0; // requests of the row's cell without a fault
    QByteArray previousDataHome_;
};

Outcome FaultMatrix::Run(const Operation &op, Fault fault, const std::optional<MidPoint> &mid,
                         Baseline *baseline)
{
    Outcome out;
    Cell cell(runtime);
    qputenv("XDG_DATA_HOME", cell.folder.filePath(QStringLiteral("data")).toLocal8Bit());

    VirtualPrinter::Options options;
    options.port = QStringLiteral("USB001");
    options.model = QStringLiteral("q510");
    options.destination = QStringLiteral("us-euro");
    options.eeprom = cell.EepromFile();
    options.timeScale = TimeScale;
    cell.printer = std::make_unique<VirtualPrinter>(runtime, options);
    if (!cell.printer->Start()) {
        out.kind = QStringLiteral("no-printer");
        out.faults << cell.printer->ErrorText();
        return out;
    }
    cell.selection.ModelCode = 1;
    cell.selection.PortCode = 0x0401;
    cell.selection.Destination = QStringLiteral("US/Euro");
    TPDLLFunction &dll = cell.program->dll;
    dll.ChanSetCommandCode(0x5E, 0xA7);
    dll.GateClosePort();
    const uint16_t opened = dll.GateOpenPort(cell.selection.PortCode);
    const uint16_t identified = dll.GateCheckDeviceId();
    const uint16_t channel = dll.ChanOpen();
    // The printer saves its EEPROM file on the first change: rewrite one byte as it is, so
    // that the file is there to compare from the start.
    uint8_t first = 0;
    if (dll.ChanReadEeprom(0, &first) != TPResult::Ok ||
        dll.ChanWriteEeprom(0, first) != TPResult::Ok || cell.printer->Eeprom().size() != 256) {
        out.kind = QStringLiteral("no-eeprom");
        out.faults << QStringLiteral("the printer's EEPROM file could not be made (open %1 %2 %3, "
                                     "io %4, %5)")
                          .arg(opened)
                          .arg(identified)
                          .arg(channel)
                          .arg(IoError(dll))
                          .arg(cell.printer->Output());
        return out;
    }

    // Waits pass at the printer's time scale.
    double waitedS = 0.0;
    Wait::SetHandler([&](int ms) {
        QElapsedTimer clock;
        clock.start();
        PassEvents(int(ms * TimeScale));
        waitedS += clock.elapsed() / 1000.0;
    });

    cell.window = std::make_unique<TFormAdjust>(*cell.program, cell.selection);
    cell.window->show();
    WaitForEnabled(*cell.window);
    List(*cell.window, op.list)->Button(op.entry)->click();
    WaitForEnabled(*cell.window);
    op.prepare(cell);
    WaitForEnabled(*cell.window);

    // The old backup differs from anything the printer holds, so old and new tell apart.
    const QByteArray eepromBefore = cell.printer->Eeprom();
    TPEEPROMCopy::Image oldBackup = CopyBytes(eepromBefore);
    for (uint8_t &byte : oldBackup)
        byte ^= 0x5A;
    QDir().mkpath(QFileInfo(cell.Backup()).path());
    uint16_t detail = 0;
    TPEEPROMCopy::WriteBackupFile(cell.Backup(), oldBackup, QDateTime::currentDateTime(), &detail);

    MessageBox::ClearHistory();
    // Every box is answered with OK; the paper prompt, as a technician answers it, once the
    // paper is reloaded. Some loops (the CD-R file's sends) repeat the prompt without a wait
    // between, so the paper must come back with the answer, not at the next wait.
    VirtualPrinter *const reloadTarget = cell.printer.get();
    MessageBox::SetStandingAnswer(QMessageBox::Ok, [reloadTarget](const MessageBox::Shown &box) {
        if (box.text.startsWith(QLatin1String(PaperPromptStart)))
            Tell(*reloadTarget, "reload-paper");
    });
    // The reset asks to switch the printer off; an answer the cell leaves unused (the reset
    // ended before its box) must not reach the printer of a later cell.
    auto offTarget = std::make_shared<VirtualPrinter *>(cell.printer.get());
    // The wait handler and the answers point at this cell's printer, which goes with the cell.
    const auto detach = qScopeGuard([&offTarget] {
        Wait::SetHandler(nullptr);
        MessageBox::SetStandingAnswer(QMessageBox::Ok);
        *offTarget = nullptr;
    });
    if (QLatin1String(op.button) == QLatin1String("ProCounterClearBtn")) {
        MessageBox::SetNextAnswer(QMessageBox::Ok, [offTarget] {
            if (*offTarget)
                Tell(**offTarget, "power-off");
        });
    }
    if (QLatin1String(op.button) == QLatin1String("EepromReadoutBtn")) {
        FileDialog::SetNextFileName(cell.SaveFile());
    }

    const QString events = cell.printer->CaptureDir() + QStringLiteral("/events.jsonl");
    const QString data = cell.printer->CaptureDir() + QStringLiteral("/data.bin");
    const qint64 eventsBefore = QFileInfo(events).size();
    const qint64 dataBefore = QFileInfo(data).size();
    const int linesBefore = EventLines(events);
    FaultMaker maker(*cell.printer, fault, PrinterPid(cell.EepromFile()));
    bool made = fault == Fault::None;
    if (fault != Fault::None) {
        if (!mid) {
            made = maker.Make();
        } else {
            const QString file = cell.printer->CaptureDir() + QLatin1Char('/') + mid->file;
            maker.MakeOncePassed(file, mid->bytes + (file == data ? dataBefore : eventsBefore));
        }
    }
    if (!made && !mid)
        out.faults << QStringLiteral("the fault could not be made");

    auto *button = cell.Find<QAbstractButton>(op.button);
    if (!button) {
        out.kind = QStringLiteral("no-button");
        out.faults << QStringLiteral("no button %1").arg(QLatin1String(op.button));
        return out;
    }
    QElapsedTimer clock;
    clock.start();
    VirtualPrinter *printer = cell.printer.get();
    watchdog.Start(cellName_.constData(), [printer] { Tell(*printer, "clear"); });
    button->click();
    const auto clickEnded = std::chrono::steady_clock::now();
    const bool ended = WaitForEnabled(*cell.window, int((LinkTimeOutS + SlackS) * 1000));
    const bool hung = watchdog.Stop();
    if (hung)
        out.faults << QStringLiteral("hangs: ended only when the printer's faults were cleared "
                                     "after %1 s")
                          .arg(HangLimitS);
    out.seconds = clock.elapsed() / 1000.0;
    if (mid)
        made = maker.Finish(clickEnded);
    if (baseline) {
        baseline->eventBytes = QFileInfo(events).size() - eventsBefore;
        baseline->dataBytes = QFileInfo(data).size() - dataBefore;
    }

    // What the window says.
    const QStringList lines = MemoLines(*cell.window);
    out.line = lines.value(0);
    for (const MessageBox::Shown &box : MessageBox::History())
        out.prompted |= box.text.startsWith(QLatin1String(PaperPromptStart));
    const bool red = !lines.isEmpty() && LineColour(*cell.window, 0) == Red;
    out.kind = red ? QStringLiteral("error") : QStringLiteral("ok");
    if (red && out.line.trimmed().isEmpty())
        out.kind = QStringLiteral("no-word");
    // A fault that cuts the line but came after the operation's last request missed it too.
    const int requests = EventLines(events) - linesBefore;
    if (baseline)
        baseline->eventLines = requests;
    if (mid && CutsTheLine(fault) && rowBaselineLines_ > 0 && requests >= rowBaselineLines_)
        made = false;
    if (mid && !made)
        out.kind = QStringLiteral("missed");

    if (!ended)
        out.faults << QStringLiteral("window still disabled after %1 s").arg(out.seconds);
    const double bound = LinkTimeOutS + SlackS + waitedS +
                         ((fault == Fault::Busy || fault == Fault::Cleaning) ? TransientFaultS : 0);
    if (out.seconds > bound)
        out.notes << QStringLiteral("%1 s to enable, more than %2 s").arg(out.seconds).arg(bound);
    if (out.kind == QLatin1String("no-word"))
        out.faults << QStringLiteral("error without words");

    // A success the printer cannot have given.
    const bool fired = made && fault != Fault::None && !hung; // a released cell may end well
    // An operation that asked the printer nothing (a refused input, a missing choice) can end
    // well whatever the printer does.
    const bool talks = rowBaseline_ != 0;
    if (out.kind == QLatin1String("ok") && fired && CutsTheLine(fault) && talks)
        out.faults << QStringLiteral("success with the printer %1").arg(Word(fault));
    if (out.kind == QLatin1String("ok") && fired && StopsThePrinter(fault) && !mid &&
        !cell.printer->EventsOf(QStringLiteral("data")).isEmpty()) {
        bool refused = false;
        for (const QJsonObject &event : cell.printer->EventsOf(QStringLiteral("data")))
            refused |= event.value(QStringLiteral("result")).toString() != QLatin1String("ok");
        if (refused && !out.prompted)
            out.faults << QStringLiteral("success although the printer refused its data");
    }

    // The words of an error and the locks they leave.
    if (out.kind == QLatin1String("error")) {
        const QString locks = Locks(*cell.window);
        const bool comm = out.line.startsWith(QLatin1String("Communication error"));
        if (StopsThePrinter(fault) && !mid && out.line != ErrorLineOf(fault) && !comm)
            out.faults << QStringLiteral("worded \"%1\" for %2").arg(out.line, Word(fault));
        if (comm && locks != QLatin1String(AllLocked) && locks != QLatin1String(ErrorStateLocks))
            out.faults << QStringLiteral("locks %1 after a communication error").arg(locks);
        if (out.line == ErrorLineOf(fault) && locks != QLatin1String(ErrorStateLocks))
            out.faults << QStringLiteral("locks %1 after a printer error").arg(locks);
    }

    // The printer's EEPROM file and the backup file.
    RemoveLeftSockets(*cell.printer);
    const QByteArray eepromAfter = cell.printer->Eeprom();
    if (eepromAfter.size() != 256)
        out.faults << QStringLiteral("EEPROM file of %1 bytes").arg(eepromAfter.size());
    // A failed pattern puts its values back while the printer still answers.
    if (red && !CutsTheLine(fault) && eepromAfter.size() == 256) {
        for (const int address : PatternValues(op.button)) {
            if (eepromAfter.at(address) != eepromBefore.at(address))
                out.faults << QStringLiteral("stored value at %1 left at %2 instead of %3")
                                  .arg(address, 2, 16, QLatin1Char('0'))
                                  .arg(int(int8_t(eepromAfter.at(address))))
                                  .arg(int(int8_t(eepromBefore.at(address))));
        }
    }
    QFile backup(cell.Backup());
    const bool backupThere = backup.open(QIODevice::ReadOnly);
    const QByteArray backupBytes = backupThere ? backup.readAll() : QByteArray();
    const bool oldOne = backupBytes == ToBytes(oldBackup);
    const bool newOne = backupBytes == ToBytes(CopyBytes(eepromBefore));
    const bool restore = QLatin1String(op.button) == QLatin1String("EepDataCopyLoadStartPnl");
    if (restore && !red && backupThere)
        out.faults << QStringLiteral("backup kept after a restore");
    else if (restore && red && !oldOne)
        out.faults << QStringLiteral("backup lost by a failed restore");
    else if (!restore && !oldOne && !newOne)
        out.faults
            << QStringLiteral("backup file neither old nor new (%1 bytes)").arg(backupBytes.size());
    const QFileInfo saved(cell.SaveFile());
    if (saved.exists() && saved.size() != 1024)
        out.faults << QStringLiteral("saved EEPROM file of %1 bytes").arg(saved.size());
    return out;
}

QString Short(const Outcome &out)
{
    static const std::map<QString, QString> words = {
        {QStringLiteral("Communication error occurred."), QStringLiteral("comm")},
        {QStringLiteral("Communication error."), QStringLiteral("comm.")},
        {QStringLiteral("Paper jam error."), QStringLiteral("jam")},
        {QStringLiteral("Ink out error."), QStringLiteral("ink")},
        {QStringLiteral("Paper out error."), QStringLiteral("paper")},
        {QStringLiteral("Printer is before initial ink charge."), QStringLiteral("charge")},
        {QStringLiteral("The printer did not become ready."), QStringLiteral("notready")},
        {QStringLiteral("Cannot read data from file."), QStringLiteral("nofile")},
    };
    QString text;
    if (out.kind == QLatin1String("error")) {
        const auto word = words.find(out.line);
        text = word != words.end() ? word->second : QStringLiteral("E:") + out.line.left(6);
    } else {
        text = out.kind;
    }
    if (out.prompted)
        text = QStringLiteral("P>") + text;
    if (!out.faults.isEmpty())
        text += QLatin1Char('!');
    else if (!out.notes.isEmpty())
        text += QLatin1Char('~');
    return QStringLiteral("%1 %2").arg(text).arg(out.seconds, 0, 'f', 2);
}

TEST_F(FaultMatrix, EveryItemUnderEveryFaultEndsWordedWithFilesWhole)
{
    const bool full = qEnvironmentVariableIntValue("NOVARI_FAULT_MATRIX_FULL") != 0;
    const std::vector<Operation> ops = Operations();
    constexpr int NameWidth = 26;
    constexpr int CellWidth = 15;

    QString table = QStringLiteral("%1").arg(QStringLiteral("item \\ fault"), -NameWidth);
    for (Fault fault : AllFaults)
        table += QStringLiteral("%1").arg(QLatin1String(Word(fault)), -CellWidth);
    table += QLatin1Char('\n');
    QStringList problems;
    QStringList notes;
    QElapsedTimer total;
    total.start();
    int cells = 0;

    auto runRow = [&](const Operation &op, bool middle, const Baseline &before) -> Baseline {
        const QString row = QString::fromLatin1(op.name) + (middle ? QStringLiteral(" @mid") : "");
        table += QStringLiteral("%1").arg(row, -NameWidth);
        Baseline measured;
        rowBaseline_ = middle ? before.eventBytes : -1;
        if (!middle)
            rowBaselineLines_ = 0;
        std::optional<MidPoint> mid;
        if (middle && before.dataBytes > 0)
            mid = MidPoint{QStringLiteral("data.bin"), before.dataBytes / 2};
        else if (middle)
            mid = MidPoint{QStringLiteral("events.jsonl"), before.eventBytes / 4};
        for (Fault fault : AllFaults) {
            if (middle && fault == Fault::None) {
                table += QStringLiteral("%1").arg(QString(), -CellWidth);
                continue;
            }
            const QString name = row + QLatin1Char('/') + QLatin1String(Word(fault));
            cellName_ = name.toLocal8Bit();
            std::fprintf(stderr, "cell %s\n", qPrintable(name));
            const Outcome out = Run(op, fault, mid, fault == Fault::None ? &measured : nullptr);
            if (fault == Fault::None) {
                rowBaseline_ = measured.eventBytes;
                rowBaselineLines_ = measured.eventLines;
            }
            ++cells;
            table += QStringLiteral("%1").arg(Short(out), -CellWidth);
            if (fault == Fault::None && out.kind != QLatin1String("ok"))
                problems << name + QStringLiteral(": fails without a fault: ") + out.line;
            for (const QString &problem : out.faults)
                problems << name + QStringLiteral(": ") + problem + QStringLiteral(" [") +
                                out.line + QLatin1Char(']');
            for (const QString &note : out.notes)
                notes << name + QStringLiteral(": ") + note + QStringLiteral(" [") + out.line +
                             QLatin1Char(']');
        }
        table += QLatin1Char('\n');
        // Each row as it ends too, so that a crash still shows the cells before it.
        std::fprintf(stderr, "row %s\n", qPrintable(table.section(QLatin1Char('\n'), -2, -2)));
        return measured;
    };

    const QString only = qEnvironmentVariable("NOVARI_FAULT_MATRIX_ONLY");
    const RowShare share;
    for (size_t i = 0; i < ops.size(); ++i) {
        const Operation &op = ops[i];
        if (!QString::fromLatin1(op.name).contains(only) || !share.Take(i))
            continue;
        const Baseline baseline = runRow(op, false, Baseline{});
        if (op.longRun || full)
            runRow(op, true, baseline);
    }

    table += QStringLiteral("\nok = completion message, P> = the paper prompt came first, "
                            "missed = the operation ended before the fault, ! = a problem "
                            "(listed below), ~ = slower than one link time-out; seconds from the "
                            "click to the window enabled. @mid: the fault is made once the "
                            "printer has taken half the data the item sends without a fault; "
                            "for an item that sends no data (EEPROM backup, restore, save), once "
                            "a quarter of its requests are logged, which a quick item may "
                            "outrun (missed).\n");
    std::printf("%s\n", qPrintable(table));
    std::printf("%d cells in %.1f s\n", cells, total.elapsed() / 1000.0);
    for (const QString &note : notes)
        std::printf("note: %s\n", qPrintable(note));
    for (const QString &problem : problems) {
        ADD_FAILURE() << problem.toStdString();
    }
}
} // namespace
