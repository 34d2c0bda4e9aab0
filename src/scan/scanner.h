#pragma once

// Scans a page through SANE, the Linux scanner interface. libsane is loaded when the scanner
// is made, not linked, so the program starts and works without it and without any scanner.
// Every call runs SANE in the calling thread, one session at a time (sane_init to sane_exit),
// so a window keeps painting by calling from a worker thread.
#include <QImage>
#include <QList>
#include <QString>

#include <atomic>
#include <memory>
#include <mutex>

namespace TPScan
{

enum class ScanFailure {
    None,
    NoSane,
    NoScanner,
    CannotOpen,
    AccessDenied,
    Busy,
    Jammed,
    NoPage,
    CoverOpen,
    Cancelled,
    DidNotStop, // a cancelled scan that still had not ended a while later
    FrameFormat,
    TooLarge,
    DeviceError,
};
// The worded reason for the memo.
QString ScanFailureText(ScanFailure failure);

struct ScannerDevice {
    QString name;  // SANE's device name ("test:0"), to open it by
    QString label; // what a person reads: vendor and model
};

struct ScanResult {
    QImage image; // grey or RGB, 8 bit, with the scan's dots per metre; null on failure
    ScanFailure failure = ScanFailure::None;
    int dpi = 0; // the resolution the scanner took
};

class TPSaneLibrary;

class TPScanner
{
public:
    static constexpr int PageDpi = 600;

    explicit TPScanner(const QString &library = QStringLiteral("libsane.so.1"));
    ~TPScanner();
    TPScanner(const TPScanner &) = delete;
    TPScanner &operator=(const TPScanner &) = delete;

    // The scanners attached to this computer (network scanners are not asked); empty, with
    // NoSane or NoScanner, when there are none.
    QList<ScannerDevice> FindScanners(ScanFailure *failure);
    // Scans one frame at dpi (or the nearest the scanner takes), in colour where it can, grey
    // otherwise. cancel is looked at between reads; a set flag ends with Cancelled.
    ScanResult Scan(const QString &device, int dpi, const std::atomic<bool> &cancel);

private:
    std::unique_ptr<TPSaneLibrary> sane_; // null without libsane
    std::mutex session_;
};

} // namespace TPScan
