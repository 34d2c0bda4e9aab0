// Scanning through SANE with its virtual "test" scanner, configured in a folder of the test's
// own, and "Read from scan..." choosing between a scan and the file dialog.
#include "adjust/dialogs/filedialog.h"
#include "adjust/dialogs/messagebox.h"
#include "adjust/items/adjustservices.h"
#include "adjust/scanreading.h"
#include "link/dllfunction.h"
#include "link/program.h"
#include "link/selection.h"
#include "scan/scanner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <dlfcn.h>

namespace
{
using TPScan::ScanFailure;

constexpr double PageWidthMm = 12.0;
constexpr double PageHeightMm = 9.0;
constexpr double MmPerInch = 25.4;

// The SANE configuration folder of this process (SANE takes the folder once per process), and
// the test scanner's library kept loaded, so that what it keeps to the end of the process is
// named in the sanitized build's leak report.
const QTemporaryDir &ConfigFolder()
{
    static const QTemporaryDir folder;
    static const bool once = [] {
        qputenv("SANE_CONFIG_DIR", folder.path().toLocal8Bit());
        Dl_info sane{};
        void *library = dlopen("libsane.so.1", RTLD_NOW);
        if (library && dladdr(dlsym(library, "sane_init"), &sane))
            dlopen(QFileInfo(QString::fromLocal8Bit(sane.dli_fname))
                       .dir()
                       .filePath(QStringLiteral("sane/libsane-test.so.1"))
                       .toLocal8Bit(),
                   RTLD_NOW | RTLD_NODELETE);
        return true;
    }();
    Q_UNUSED(once);
    return folder;
}

// Offers one test scanner of a small page, or nothing.
class SaneConfig
{
public:
    explicit SaneConfig(bool withTestScanner)
    {
        Write("dll.conf", withTestScanner ? "test\n" : "");
        Write("test.conf", QStringLiteral("number_of_devices 1\ntl_x 0.0\ntl_y 0.0\n"
                                          "br_x %1\nbr_y %2\n")
                               .arg(PageWidthMm)
                               .arg(PageHeightMm));
    }
    QString Path(const char *name) const { return ConfigFolder().filePath(QLatin1String(name)); }

private:
    void Write(const char *name, const QString &text)
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }
};

int PixelsAt(double mm, int dpi)
{
    return int(mm / MmPerInch * dpi);
}

TEST(Scanner, ScansAFrameAtTheAskedResolutionOrSaysWhyNot)
{
    struct Case {
        const char *what;
        const char *library;
        const char *device;
        bool cancel;
        ScanFailure failure;
    };
    const Case cases[] = {
        {"colour frame", "libsane.so.1", "test:0", false, ScanFailure::None},
        {"cancelled", "libsane.so.1", "test:0", true, ScanFailure::Cancelled},
        {"no such scanner", "libsane.so.1", "test:7", false, ScanFailure::CannotOpen},
        {"no libsane", "libsane-absent.so.1", "test:0", false, ScanFailure::NoSane},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const SaneConfig config(true);
        TPScan::TPScanner scanner{QLatin1String(c.library)};
        const std::atomic<bool> cancel{c.cancel};
        const TPScan::ScanResult scan =
            scanner.Scan(QLatin1String(c.device), TPScan::TPScanner::PageDpi, cancel);
        EXPECT_EQ(scan.failure, c.failure);
        EXPECT_EQ(scan.image.isNull(), c.failure != ScanFailure::None);
        if (scan.image.isNull())
            continue;
        EXPECT_EQ(scan.dpi, TPScan::TPScanner::PageDpi);
        EXPECT_EQ(scan.image.format(), QImage::Format_RGB888);
        EXPECT_NEAR(scan.image.width(), PixelsAt(PageWidthMm, scan.dpi), 1);
        EXPECT_NEAR(scan.image.height(), PixelsAt(PageHeightMm, scan.dpi), 1);
        EXPECT_NEAR(scan.image.dotsPerMeterX() * MmPerInch / 1000.0, scan.dpi, 0.5);
    }
}

TEST(Scanner, FindsOnlyTheScannersSaneOffers)
{
    struct Case {
        const char *library;
        bool withTestScanner;
        ScanFailure failure;
    };
    for (const Case &c : {Case{"libsane.so.1", true, ScanFailure::None},
                          Case{"libsane.so.1", false, ScanFailure::NoScanner},
                          Case{"libsane-absent.so.1", true, ScanFailure::NoSane}}) {
        SCOPED_TRACE(c.library);
        const SaneConfig config(c.withTestScanner);
        TPScan::TPScanner scanner{QLatin1String(c.library)};
        ScanFailure failure = ScanFailure::DeviceError;
        const QList<TPScan::ScannerDevice> found = scanner.FindScanners(&failure);
        EXPECT_EQ(failure, c.failure);
        ASSERT_EQ(found.size(), c.failure == ScanFailure::None ? 1 : 0);
        if (!found.isEmpty()) {
            EXPECT_EQ(found[0].name, "test:0");
        }
    }
}

class QuietWindow : public TAdjustServices
{
public:
    uint16_t ShowStatus(TPMode mode, const QString &text) override
    {
        modes.push_back(mode);
        last = text;
        return 1;
    }
    void ReportError(uint16_t) override {}
    void ShowAdjustedItems() override {}
    void ShowItemPanel(TItemPanel &) override {}
    void ShowHowTo(THowToTopic) override {}
    void SetSummaryValue(TPSummaryCell, const QString &) override {}
    TPProgram &Program() override { return program; }
    const TPSelection &Selection() const override { return selection; }
    QWidget *OwnerWidget() override { return nullptr; }

    std::vector<TPMode> modes;
    QString last;
    TPProgram program{TPDLLFunction::ExecutableFolder()};
    TPSelection selection;
};

// With a scanner the technician is asked first; without one the file dialog comes as before.
TEST(ScanReading, ScansWhenAScannerIsThereAndSaidSoElsePicksTheFile)
{
    struct Case {
        const char *what;
        bool withTestScanner;
        QMessageBox::StandardButton answer;
        bool scanned;
    };
    const Case cases[] = {
        {"no scanner", false, QMessageBox::NoButton, false},
        {"file instead", true, QMessageBox::No, false},
        {"scan", true, QMessageBox::Yes, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const SaneConfig config(c.withTestScanner);
        TScanReading::SearchScannersAgain();
        QImage file(TPScan::TPPageReader::MinSide + 10, TPScan::TPPageReader::MinSide + 20,
                    QImage::Format_RGB32);
        file.fill(Qt::white);
        ASSERT_TRUE(file.save(config.Path("page.png")));
        // A scan that goes to the file dialog instead finds "Cancel" there (the last case).
        FileDialog::SetNextFileName(c.scanned ? QString() : config.Path("page.png"));
        MessageBox::ClearHistory();
        if (c.answer != QMessageBox::NoButton)
            MessageBox::SetNextAnswer(c.answer);
        QWidget owner;
        QuietWindow window;

        const QImage image = TScanReading::AskForImage(&owner, window);
        EXPECT_EQ(MessageBox::History().size(), c.withTestScanner ? 1 : 0);
        ASSERT_FALSE(image.isNull()) << window.last.toStdString();
        if (c.scanned) {
            EXPECT_EQ(std::lround(image.dotsPerMeterX() * MmPerInch / 1000.0),
                      TPScan::TPScanner::PageDpi);
        } else {
            EXPECT_EQ(image.size(), file.size());
        }
        EXPECT_TRUE(owner.isEnabled());
    }
}

} // namespace
