#include "patternprinter.h"

#include "adjust/items/firstdot/firstdot.h"
#include "adjust/items/headangular/headangular.h"
#include "adjust/items/topmargin/topmargin.h"
#include "fakelink.h"
#include "link/program.h"
#include "print/patterngeometry.h"
#include "print/checkpattern.h"
#include "runtimedir.h"
#include "virtualprinter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace scantest
{

namespace
{
constexpr uint16_t Usb001 = 0x0401;
constexpr int PageTimeoutMs = 120000; // a full Bi-D page on a busy machine
} // namespace

PatternPrinter::PatternPrinter(uint32_t seed) : mechanics_(sim::RandomMechanics(seed)), seed_(seed)
{
}

PatternPrinter::~PatternPrinter()
{
    if (program_) {
        program_->dll.ChanClose();
        program_->dll.GateClosePort();
    }
}

bool PatternPrinter::Start()
{
    if (!novari_test::VirtualPrinter::IsBuilt() || !pages_.isValid()) {
        error_ = QStringLiteral("the virtual printer is not built");
        return false;
    }
    runtime_ = std::make_unique<novari_test::RuntimeDir>();
    novari_test::VirtualPrinter::Options options;
    options.port = QStringLiteral("USB001");
    options.timeScale = 0.01;
    options.extraArguments = {"--mechanics", QStringLiteral("random:%1").arg(seed_), "--pages",
                              pages_.path(), "--full-resolution"};
    printer_ = std::make_unique<novari_test::VirtualPrinter>(*runtime_, options);
    if (!printer_->Start()) {
        error_ = printer_->ErrorText();
        return false;
    }
    // Waits are shortened but real, so that the printer's pages run out.
    waits_ = std::make_unique<fake::Waits>();
    waits_->onWait = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(20)); };
    window_ = std::make_unique<fake::Window>();
    TPProgram::Failure failure;
    program_ = TPProgram::Create(TPDLLFunction::ExecutableFolder(), &failure);
    if (!program_) {
        error_ = QStringLiteral("the link libraries cannot be loaded");
        return false;
    }
    program_->status.SetWindowLink(window_.get());
    program_->raster.SetWindowLink(window_.get());
    TPDLLFunction &dll = program_->dll;
    dll.ChanSetCommandCode(0x5E, 0xA7);
    dll.GateClosePort();
    if (dll.GateOpenPort(Usb001) != 1 || dll.GateCheckDeviceId() != 1 || dll.ChanOpen() != 1) {
        error_ = QStringLiteral("the virtual printer's port does not open");
        return false;
    }
    return true;
}

QImage PatternPrinter::PrintBid(TPBid::Gap gap, const TPBid::Selection &selected,
                                std::vector<TPScan::BidPrinted> *printed)
{
    TPBid bid(program_->dll, program_->raster, program_->status, program_->factory);
    printed->clear();
    for (int item = 0; item < TPBid::ItemCount; ++item) {
        if (!selected[size_t(item)] || !TPBid::Exists(TPBid::Item(item), gap))
            continue;
        QString text;
        const uint16_t code = bid.ReadValue(TPBid::Item(item), gap, &text);
        if (code != 1) {
            error_ = QStringLiteral("reading a stored value ended with code 0x%1").arg(code, 0, 16);
            return QImage();
        }
        printed->push_back(
            {QString::fromLatin1(TPBid::Info(TPBid::Item(item)).name), text.toInt()});
    }
    uint16_t code = program_->status.WaitUntilReady(false, true);
    if (code == 1)
        code = bid.PrintPattern(gap, selected);
    if (code != 1) {
        error_ = QStringLiteral("the Bi-D print ended with code 0x%1").arg(code, 0, 16);
        return QImage();
    }
    return NextPage();
}

QImage PatternPrinter::PrintHeadAngular()
{
    TPHeadAngular headAngular(program_->dll, program_->raster, program_->remote, program_->factory,
                              program_->status);
    const uint16_t code = headAngular.Print();
    if (code != 1) {
        error_ = QStringLiteral("the head angular print ended with code 0x%1").arg(code, 0, 16);
        return QImage();
    }
    return NextPage();
}

QImage PatternPrinter::PrintFirstDot()
{
    const uint16_t code = TPFirstDot(program_->factory, program_->raster).Print();
    if (code != 1) {
        error_ = QStringLiteral("the first dot print ended with code 0x%1").arg(code, 0, 16);
        return QImage();
    }
    return NextPage();
}

QImage PatternPrinter::PrintPwSensor()
{
    TPCheckPattern pattern(*program_);
    const uint16_t code = pattern.PwSensorPattern();
    if (code != 1) {
        error_ = QStringLiteral("the PW sensor print ended with code 0x%1").arg(code, 0, 16);
        return QImage();
    }
    return NextPage();
}

QImage PatternPrinter::PrintTopMargin()
{
    const uint16_t code =
        TPTopMargin(program_->dll, program_->factory, program_->remote, program_->raster).Print();
    if (code != 1) {
        error_ = QStringLiteral("the top margin print ended with code 0x%1").arg(code, 0, 16);
        return QImage();
    }
    return NextPage();
}

int PatternPrinter::StoredValue(uint8_t address)
{
    uint8_t value = 0;
    const uint16_t code = program_->dll.ChanReadEeprom(address, &value);
    if (code != 1)
        error_ = QStringLiteral("reading a stored value ended with code 0x%1").arg(code, 0, 16);
    return int8_t(value);
}

int PatternPrinter::BidError(TPBid::Item item, TPBid::Gap gap) const
{
    const TPBid::ItemInfo &info = TPBid::Info(item);
    const int gapIndex =
        gap == TPBid::Gap::Typ ? sim::Mechanics::kTypicalGap : sim::Mechanics::kNarrowGap;
    return mechanics_.bid[size_t(gapIndex)][size_t(sim::BidModeOfDotSize(info.mode))]
                         [info.black ? sim::Mechanics::kBlack : sim::Mechanics::kColor];
}

int MarginTruth(const QImage &page, bool fromTop, int printed)
{
    constexpr double MmPerInch = 25.4;
    constexpr double NearEdgeMm = 11.0;
    constexpr int PaperDark = 16; // the sheet's own grain
    const double aim = TPPatternGeometry::MarginAimMillimetres / MmPerInch * PageDpi;
    const double dotsPerStep =
        (fromTop ? sim::Mechanics::kTopMarginStepInches : sim::Mechanics::kFirstDotStepInches) *
        PageDpi;
    const int depth = int(NearEdgeMm / MmPerInch * PageDpi);
    // The marks lie within the first inches along the edge; the title starts further on.
    constexpr double AlongInches = 3.0;
    const int along = std::min(fromTop ? page.width() : page.height(), int(AlongInches * PageDpi));
    double weighted = 0.0;
    double total = 0.0;
    for (int d = 0; d < depth; ++d) {
        for (int a = 0; a < along; ++a) {
            const int dark =
                std::max(0, 255 - PaperDark - qGray(fromTop ? page.pixel(a, d) : page.pixel(d, a)));
            weighted += dark * (d + 0.5);
            total += dark;
        }
    }
    return printed + int(std::lround((aim - weighted / total) / dotsPerStep));
}

QImage PatternPrinter::NextPage()
{
    QElapsedTimer clock;
    clock.start();
    QStringList names;
    while (clock.elapsed() < PageTimeoutMs) {
        names = QDir(pages_.path()).entryList({"page-*.png"}, QDir::Files, QDir::Name);
        if (names.size() > pagesSeen_)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (names.size() <= pagesSeen_) {
        error_ = QStringLiteral("no page came out");
        return QImage();
    }
    pagesSeen_ = int(names.size());
    // The engine writes the file whole under its name; read until it decodes.
    const QString path = pages_.filePath(names.last());
    QImage page;
    while (clock.elapsed() < PageTimeoutMs && page.isNull()) {
        page = QImage(path);
        if (page.isNull())
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return page;
}

} // namespace scantest
