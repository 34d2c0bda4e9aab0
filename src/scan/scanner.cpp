#include "scanner.h"

#include "pagereader.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <dlfcn.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace TPScan
{

// libsane's calls, looked up once when it is loaded; closed with the object.
class TPSaneLibrary
{
public:
    static std::unique_ptr<TPSaneLibrary> Load(const QString &name)
    {
        // Once loaded it stays to the end of the process: libsane keeps state of its own past
        // sane_exit (its configuration folders, ...), which unloading it would lose.
        void *handle =
            dlopen(name.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!handle)
            return nullptr;
        std::unique_ptr<TPSaneLibrary> sane(new TPSaneLibrary(handle));
        return sane->Resolve() ? std::move(sane) : nullptr;
    }
    ~TPSaneLibrary() { dlclose(handle_); }
    TPSaneLibrary(const TPSaneLibrary &) = delete;
    TPSaneLibrary &operator=(const TPSaneLibrary &) = delete;

    decltype(&::sane_init) init = nullptr;
    decltype(&::sane_exit) exit = nullptr;
    decltype(&::sane_get_devices) getDevices = nullptr;
    decltype(&::sane_open) open = nullptr;
    decltype(&::sane_close) close = nullptr;
    decltype(&::sane_get_option_descriptor) optionDescriptor = nullptr;
    decltype(&::sane_control_option) controlOption = nullptr;
    decltype(&::sane_start) start = nullptr;
    decltype(&::sane_get_parameters) parameters = nullptr;
    decltype(&::sane_read) read = nullptr;
    decltype(&::sane_cancel) cancel = nullptr;

private:
    explicit TPSaneLibrary(void *handle) : handle_(handle) {}

    template <typename Function> bool Find(Function &function, const char *name)
    {
        function = reinterpret_cast<Function>(dlsym(handle_, name));
        return function != nullptr;
    }
    bool Resolve()
    {
        return Find(init, "sane_init") && Find(exit, "sane_exit") &&
               Find(getDevices, "sane_get_devices") && Find(open, "sane_open") &&
               Find(close, "sane_close") && Find(optionDescriptor, "sane_get_option_descriptor") &&
               Find(controlOption, "sane_control_option") && Find(start, "sane_start") &&
               Find(parameters, "sane_get_parameters") && Find(read, "sane_read") &&
               Find(cancel, "sane_cancel");
    }

    void *handle_;
};

namespace
{
constexpr double MetresPerInch = 0.0254;
constexpr int EightBits = 8;
constexpr size_t ReadChunk = 64 * 1024;
constexpr qint64 MaxLinePadding = 64; // bytes a scanner may add to a line

// sane_init to sane_exit.
class Session
{
public:
    explicit Session(const TPSaneLibrary &sane) : sane_(sane)
    {
        SANE_Int version = 0;
        ok_ = sane_.init(&version, nullptr) == SANE_STATUS_GOOD;
    }
    ~Session()
    {
        if (ok_)
            sane_.exit();
    }
    Session(const Session &) = delete;
    Session &operator=(const Session &) = delete;
    bool Ok() const { return ok_; }

private:
    const TPSaneLibrary &sane_;
    bool ok_ = false;
};

// An open device; a scan in progress is cancelled on every way out.
class Device
{
public:
    Device(const TPSaneLibrary &sane, const QString &name) : sane_(sane)
    {
        status_ = sane_.open(name.toLocal8Bit().constData(), &handle_);
        if (status_ != SANE_STATUS_GOOD)
            handle_ = nullptr;
    }
    ~Device()
    {
        if (!handle_)
            return;
        sane_.cancel(handle_);
        sane_.close(handle_);
    }
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;
    SANE_Handle Handle() const { return handle_; }
    SANE_Status OpenStatus() const { return status_; }

private:
    const TPSaneLibrary &sane_;
    SANE_Handle handle_ = nullptr;
    SANE_Status status_ = SANE_STATUS_INVAL;
};

ScanFailure FailureOf(SANE_Status status)
{
    switch (status) {
    case SANE_STATUS_GOOD:
    case SANE_STATUS_EOF:
        return ScanFailure::None;
    case SANE_STATUS_CANCELLED:
        return ScanFailure::Cancelled;
    case SANE_STATUS_DEVICE_BUSY:
        return ScanFailure::Busy;
    case SANE_STATUS_JAMMED:
        return ScanFailure::Jammed;
    case SANE_STATUS_NO_DOCS:
        return ScanFailure::NoPage;
    case SANE_STATUS_COVER_OPEN:
        return ScanFailure::CoverOpen;
    case SANE_STATUS_ACCESS_DENIED:
        return ScanFailure::AccessDenied;
    default:
        return ScanFailure::DeviceError;
    }
}

QString Text(SANE_String_Const text)
{
    return text ? QString::fromUtf8(text).trimmed() : QString();
}

// The options of an open device, found by name.
class Options
{
public:
    Options(const TPSaneLibrary &sane, SANE_Handle handle) : sane_(sane), handle_(handle) {}

    // The option's number, when it is there and can be set now.
    int Find(const char *name) const
    {
        SANE_Int count = 0;
        if (sane_.controlOption(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) !=
            SANE_STATUS_GOOD)
            return -1;
        for (int i = 1; i < count; ++i) {
            const SANE_Option_Descriptor *option = Descriptor(i);
            if (option && option->name && std::strcmp(option->name, name) == 0)
                return SANE_OPTION_IS_ACTIVE(option->cap) && SANE_OPTION_IS_SETTABLE(option->cap)
                           ? i
                           : -1;
        }
        return -1;
    }
    const SANE_Option_Descriptor *Descriptor(int option) const
    {
        return sane_.optionDescriptor(handle_, option);
    }
    // Sets a one-word option (integer or fixed point) to the allowed value nearest to value;
    // the value it then holds.
    double SetNumber(const char *name, double value)
    {
        const int option = Find(name);
        const SANE_Option_Descriptor *d = option > 0 ? Descriptor(option) : nullptr;
        if (!d || (d->type != SANE_TYPE_INT && d->type != SANE_TYPE_FIXED) ||
            d->size != sizeof(SANE_Word))
            return Number(option);
        const bool fixed = d->type == SANE_TYPE_FIXED;
        SANE_Word word = Nearest(*d, fixed ? SANE_FIX(value) : SANE_Word(std::lround(value)));
        sane_.controlOption(handle_, option, SANE_ACTION_SET_VALUE, &word, nullptr);
        return Number(option);
    }
    // Sets a string option to the first of choices it lists; whether one was taken.
    bool SetString(const char *name, std::initializer_list<const char *> choices)
    {
        const int option = Find(name);
        const SANE_Option_Descriptor *d = option > 0 ? Descriptor(option) : nullptr;
        if (!d || d->type != SANE_TYPE_STRING ||
            d->constraint_type != SANE_CONSTRAINT_STRING_LIST || d->size <= 0)
            return false;
        for (const char *choice : choices) {
            for (const SANE_String_Const *listed = d->constraint.string_list; *listed; ++listed) {
                if (std::strcmp(*listed, choice) != 0 || std::strlen(choice) >= size_t(d->size))
                    continue;
                std::vector<char> value(size_t(d->size), '\0');
                std::memcpy(value.data(), choice, std::strlen(choice));
                return sane_.controlOption(handle_, option, SANE_ACTION_SET_VALUE, value.data(),
                                           nullptr) == SANE_STATUS_GOOD;
            }
        }
        return false;
    }

private:
    double Number(int option) const
    {
        const SANE_Option_Descriptor *d = option > 0 ? Descriptor(option) : nullptr;
        SANE_Word word = 0;
        if (!d || d->size != sizeof(SANE_Word) ||
            sane_.controlOption(handle_, option, SANE_ACTION_GET_VALUE, &word, nullptr) !=
                SANE_STATUS_GOOD)
            return 0.0;
        return d->type == SANE_TYPE_FIXED ? SANE_UNFIX(word) : double(word);
    }
    static SANE_Word Nearest(const SANE_Option_Descriptor &d, SANE_Word wanted)
    {
        if (d.constraint_type == SANE_CONSTRAINT_RANGE && d.constraint.range) {
            const SANE_Range &range = *d.constraint.range;
            SANE_Word word = std::clamp(wanted, range.min, range.max);
            if (range.quant > 0)
                word = range.min + (word - range.min + range.quant / 2) / range.quant * range.quant;
            return std::min(word, range.max);
        }
        if (d.constraint_type == SANE_CONSTRAINT_WORD_LIST && d.constraint.word_list &&
            d.constraint.word_list[0] > 0) {
            SANE_Word best = d.constraint.word_list[1];
            for (SANE_Int i = 1; i <= d.constraint.word_list[0]; ++i) {
                const SANE_Word word = d.constraint.word_list[i];
                if (std::llabs(qint64(word) - wanted) < std::llabs(qint64(best) - wanted))
                    best = word;
            }
            return best;
        }
        return wanted;
    }

    const TPSaneLibrary &sane_;
    SANE_Handle handle_;
};

// The image a frame fills: 8-bit grey or RGB, of a size the page reader takes.
QImage FrameImage(const SANE_Parameters &p, ScanFailure *failure)
{
    const bool grey = p.format == SANE_FRAME_GRAY;
    const int channels = grey ? 1 : 3;
    if ((!grey && p.format != SANE_FRAME_RGB) || !p.last_frame || p.depth != EightBits ||
        p.lines <= 0 || p.pixels_per_line <= 0 ||
        p.bytes_per_line < qint64(p.pixels_per_line) * channels ||
        p.bytes_per_line > qint64(p.pixels_per_line) * channels + MaxLinePadding) {
        *failure = ScanFailure::FrameFormat;
        return QImage();
    }
    if (p.pixels_per_line > TPPageReader::MaxSide || p.lines > TPPageReader::MaxSide ||
        qint64(p.pixels_per_line) * p.lines > TPPageReader::MaxPixels) {
        *failure = ScanFailure::TooLarge;
        return QImage();
    }
    QImage image(p.pixels_per_line, p.lines,
                 grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
    if (image.isNull())
        *failure = ScanFailure::TooLarge;
    return image;
}

// Reads the frame's bytes line by line into image; the lines that came, or -1 with failure.
int ReadFrame(const TPSaneLibrary &sane, SANE_Handle handle, const SANE_Parameters &p,
              QImage &image, const std::atomic<bool> &cancel, ScanFailure *failure)
{
    const size_t lineBytes = size_t(p.pixels_per_line) * (image.depth() / EightBits);
    std::vector<SANE_Byte> line(size_t(p.bytes_per_line));
    std::vector<SANE_Byte> chunk(ReadChunk);
    size_t filled = 0;
    int row = 0;
    while (row < image.height()) {
        if (cancel) {
            *failure = ScanFailure::Cancelled;
            return -1;
        }
        SANE_Int got = 0;
        const SANE_Status status = sane.read(handle, chunk.data(), SANE_Int(chunk.size()), &got);
        if (status == SANE_STATUS_EOF)
            break;
        if (status != SANE_STATUS_GOOD) {
            *failure = FailureOf(status);
            return -1;
        }
        for (SANE_Int at = 0; at < got && row < image.height();) {
            const size_t take = std::min(line.size() - filled, size_t(got - at));
            std::memcpy(line.data() + filled, chunk.data() + at, take);
            filled += take;
            at += SANE_Int(take);
            if (filled == line.size()) {
                std::memcpy(image.scanLine(row++), line.data(), lineBytes);
                filled = 0;
            }
        }
    }
    return row;
}
} // namespace

QString ScanFailureText(ScanFailure failure)
{
    switch (failure) {
    case ScanFailure::None:
        return QString();
    case ScanFailure::NoSane:
        return QStringLiteral("Scanning needs SANE (libsane), which is not installed.");
    case ScanFailure::NoScanner:
        return QStringLiteral("No scanner was found.");
    case ScanFailure::CannotOpen:
        return QStringLiteral("The scanner cannot be opened: check that it is on and connected.");
    case ScanFailure::AccessDenied:
        return QStringLiteral("This user may not use the scanner.");
    case ScanFailure::Busy:
        return QStringLiteral("The scanner is busy: try again in a moment.");
    case ScanFailure::Jammed:
        return QStringLiteral("The page is jammed in the scanner's feeder.");
    case ScanFailure::NoPage:
        return QStringLiteral("There is no page in the scanner's feeder.");
    case ScanFailure::CoverOpen:
        return QStringLiteral("The scanner's cover is open.");
    case ScanFailure::Cancelled:
        return QStringLiteral("The scan was cancelled.");
    case ScanFailure::DidNotStop:
        return QStringLiteral("The scan was cancelled, but the scanner did not stop: switch it "
                              "off and on before the next scan.");
    case ScanFailure::FrameFormat:
        return QStringLiteral("The scanner sends images that cannot be read here (only 8-bit "
                              "grey or colour can).");
    case ScanFailure::TooLarge:
        return QStringLiteral("The scan is too large to read: scan the page at 1200 dpi or less.");
    case ScanFailure::DeviceError:
        return QStringLiteral("The scanner reported an error.");
    }
    return QString();
}

TPScanner::TPScanner(const QString &library) : sane_(TPSaneLibrary::Load(library)) {}

TPScanner::~TPScanner() = default;

QList<ScannerDevice> TPScanner::FindScanners(ScanFailure *failure)
{
    const std::lock_guard<std::mutex> hold(session_);
    *failure = ScanFailure::NoSane;
    if (!sane_)
        return {};
    const Session session(*sane_);
    if (!session.Ok())
        return {};
    QList<ScannerDevice> found;
    const SANE_Device **devices = nullptr;
    if (sane_->getDevices(&devices, SANE_TRUE) == SANE_STATUS_GOOD && devices) {
        for (; *devices; ++devices) {
            const SANE_Device &device = **devices;
            const QString label =
                QStringLiteral("%1 %2").arg(Text(device.vendor), Text(device.model)).trimmed();
            found.append({Text(device.name), label.isEmpty() ? Text(device.name) : label});
        }
    }
    *failure = found.isEmpty() ? ScanFailure::NoScanner : ScanFailure::None;
    return found;
}

ScanResult TPScanner::Scan(const QString &device, int dpi, const std::atomic<bool> &cancel)
{
    const std::lock_guard<std::mutex> hold(session_);
    ScanResult result;
    result.failure = ScanFailure::NoSane;
    if (!sane_)
        return result;
    const Session session(*sane_);
    if (!session.Ok())
        return result;
    const Device open(*sane_, device);
    if (!open.Handle()) {
        const ScanFailure why = FailureOf(open.OpenStatus());
        result.failure = why == ScanFailure::DeviceError ? ScanFailure::CannotOpen : why;
        return result;
    }
    Options options(*sane_, open.Handle());
    if (!options.SetString(SANE_NAME_SCAN_MODE,
                           {SANE_VALUE_SCAN_MODE_COLOR, SANE_VALUE_SCAN_MODE_GRAY}))
        options.SetString(SANE_NAME_SCAN_MODE, {"Colour", "Grey", "Gray"});
    options.SetNumber(SANE_NAME_BIT_DEPTH, EightBits);
    result.dpi = int(std::lround(options.SetNumber(SANE_NAME_SCAN_RESOLUTION, dpi)));

    // A cancel that came while the scanner was opened and set up starts nothing.
    result.failure = cancel ? ScanFailure::Cancelled : ScanFailure::None;
    if (cancel)
        return result;
    SANE_Status status = sane_->start(open.Handle());
    SANE_Parameters parameters{};
    if (status == SANE_STATUS_GOOD)
        status = sane_->parameters(open.Handle(), &parameters);
    if (status != SANE_STATUS_GOOD) {
        result.failure = FailureOf(status);
        return result;
    }
    QImage image = FrameImage(parameters, &result.failure);
    if (image.isNull())
        return result;
    const int rows = ReadFrame(*sane_, open.Handle(), parameters, image, cancel, &result.failure);
    if (rows <= 0) {
        if (result.failure == ScanFailure::None)
            result.failure = ScanFailure::DeviceError; // ended before the first line
        return result;
    }
    if (rows < image.height())
        image = image.copy(0, 0, image.width(), rows);
    if (result.dpi > 0) {
        const int dotsPerMetre = int(std::lround(result.dpi / MetresPerInch));
        image.setDotsPerMeterX(dotsPerMetre);
        image.setDotsPerMeterY(dotsPerMetre);
    }
    result.image = std::move(image);
    return result;
}

} // namespace TPScan
