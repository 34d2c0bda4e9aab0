// The page reader against pages the virtual printer printed out of adjustment, scanned with
// the tray's degradation: the proposals match the printer's hidden errors, and whatever it
// cannot read it says so instead of guessing.
#include "adjust/items/firstdot/firstdot.h"
#include "adjust/items/topmargin/topmargin.h"
#include "patternprinter.h"
#include "scanlook.h"
#include "virtualprinter.h"

#include <QBuffer>

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using namespace scantest;
using TPScan::ReadFailure;

namespace
{
// One printer, one page of each pattern, for the whole suite.
struct Pages {
    std::unique_ptr<PatternPrinter> printer;
    QImage bid;
    std::vector<TPScan::BidPrinted> printed;
    QImage headAngular;
    QImage firstDot;
    QImage topMargin;
    int firstDotPrinted = 0;
    int topMarginPrinted = 0;
    QImage pwSensor;
};
Pages *pages = nullptr;

constexpr uint32_t Seed = 11; // tilts the head and puts every Bi-D item off
constexpr int BidReach = 6;   // the outer columns of the middle row, from its centre

// The part of each page that holds the pattern, in inches: the scans leave the rest out.
constexpr double BidPartInches = 5.5;
constexpr double HeadAngularPartInches = 2.5;

TPScan::PageReading ReadBidScan(sim::ScanLook look, uint32_t grain)
{
    look.cropWidth = pages->bid.width() / PageDpi;
    look.cropHeight = BidPartInches;
    const QByteArray jpeg = sim::ScanJpeg(pages->bid, PageDpi, look, grain);
    ReadFailure why = ReadFailure::None;
    const QImage scan = TPScan::TPPageReader::LoadImageData(jpeg, &why);
    EXPECT_EQ(why, ReadFailure::None);
    TPScan::TPPageReader reader(scan);
    return reader.ReadBid(pages->printed);
}

class PageReader : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        pages = new Pages;
        pages->printer = std::make_unique<PatternPrinter>(Seed);
        if (!pages->printer->Start())
            return;
        // Two modes keep the page (and the scans) small: the reader sees four blocks.
        TPBid::Selection twoModes{};
        for (TPBid::Item item :
             {TPBid::Vsd1Black, TPBid::Vsd1Color, TPBid::Vsd2Black, TPBid::Vsd2Color})
            twoModes[size_t(item)] = true;
        pages->bid = pages->printer->PrintBid(TPBid::Gap::Typ, twoModes, &pages->printed);
        pages->headAngular = pages->printer->PrintHeadAngular();
        pages->firstDotPrinted = pages->printer->StoredValue(TPFirstDot::Address);
        pages->topMarginPrinted = pages->printer->StoredValue(TPTopMargin::Address);
        pages->firstDot = pages->printer->PrintFirstDot();
        pages->topMargin = pages->printer->PrintTopMargin();
        pages->pwSensor = pages->printer->PrintPwSensor();
    }
    static void TearDownTestSuite()
    {
        delete pages;
        pages = nullptr;
    }
    void SetUp() override
    {
        if (!novari_test::VirtualPrinter::IsBuilt())
            GTEST_SKIP() << "virtual printer not built yet";
        ASSERT_FALSE(pages->bid.isNull()) << pages->printer->ErrorText().toStdString();
        ASSERT_FALSE(pages->headAngular.isNull()) << pages->printer->ErrorText().toStdString();
        ASSERT_FALSE(pages->firstDot.isNull()) << pages->printer->ErrorText().toStdString();
        ASSERT_FALSE(pages->topMargin.isNull()) << pages->printer->ErrorText().toStdString();
    }
};

struct ScanCase {
    const char *name;
    double dpi;
    double turn;
    double blur;
    int quality;
    bool upsideDown;
};

// Every sure proposal is the error; every proposal is within a step of it; at 600 dpi nearly
// all are sure.
TEST_F(PageReader, BidProposalsMatchTheHiddenErrorsOnDegradedScans)
{
    const ScanCase cases[] = {
        {"600 dpi turned", 600, 1.7, 1, 80, false},
        {"300 dpi turned back, tinted", 300, -2.6, 0, 75, false},
        {"600 dpi upside down", 600, 180.8, 1, 85, false},
    };
    for (const ScanCase &scan : cases) {
        sim::ScanLook look = sim::RandomScanLook(7, scan.dpi);
        look.turnDegrees = scan.turn;
        look.blurPixels = scan.blur;
        look.jpegQuality = scan.quality;
        const TPScan::PageReading reading = ReadBidScan(look, 3);
        ASSERT_TRUE(reading.Found())
            << scan.name << ": " << FailureText(reading.failure).toStdString();
        ASSERT_EQ(reading.items.size(), pages->printed.size()) << scan.name;
        int sure = 0;
        int inReach = 0;
        for (size_t i = 0; i < reading.items.size(); ++i) {
            const TPScan::ItemReading &item = reading.items[i];
            const std::string name = std::string(scan.name) + " " + item.item.toStdString();
            const int error = pages->printer->BidError(TPBid::Item(i), TPBid::Gap::Typ);
            const int off = error - pages->printed[i].centre;
            ASSERT_TRUE(item.proposal.has_value()) << name;
            if (std::abs(off) >= BidReach) {
                // Beyond the printed columns: a value towards it, to print again with.
                EXPECT_TRUE(item.printAgain && !item.sure) << name;
                EXPECT_LE(std::abs(*item.proposal - error), 2) << name;
                continue;
            }
            ++inReach;
            EXPECT_LE(std::abs(*item.proposal - error), 1) << name;
            if (item.sure) {
                ++sure;
                EXPECT_EQ(*item.proposal, error) << name;
            }
        }
        if (scan.dpi >= 600) {
            EXPECT_GE(sure, inReach - 1) << scan.name;
        }
    }
}

TEST_F(PageReader, HeadAngularStraightColumnIsTheHeadsTilt)
{
    const int tilt = pages->printer->Mechanics().headTilt;
    const ScanCase cases[] = {
        {"600 dpi turned", 600, -1.2, 1, 85, false},
        {"300 dpi", 300, 2.4, 0, 80, false},
    };
    for (const ScanCase &scan : cases) {
        sim::ScanLook look = sim::RandomScanLook(5, scan.dpi);
        look.cropWidth = pages->headAngular.width() / PageDpi;
        look.cropHeight = HeadAngularPartInches;
        look.turnDegrees = scan.turn;
        look.blurPixels = scan.blur;
        look.jpegQuality = scan.quality;
        ReadFailure why = ReadFailure::None;
        const QImage image = TPScan::TPPageReader::LoadImageData(
            sim::ScanJpeg(pages->headAngular, PageDpi, look, 9), &why);
        TPScan::TPPageReader reader(image);
        const TPScan::PageReading reading = reader.ReadHeadAngular();
        ASSERT_TRUE(reading.Found())
            << scan.name << ": " << FailureText(reading.failure).toStdString();
        ASSERT_EQ(reading.items.size(), 1u);
        EXPECT_EQ(reading.items[0].proposal, tilt) << scan.name;
        EXPECT_TRUE(reading.items[0].sure)
            << scan.name << " " << reading.items[0].remark.toStdString();
    }
}

// A page of the other pattern, or none, is named as such and proposes nothing.
TEST_F(PageReader, WrongOrBlankPageProposesNothing)
{
    sim::ScanLook look;
    look.cropWidth = pages->bid.width() / PageDpi;
    look.cropHeight = BidPartInches;
    const QImage bidScan = sim::ScanImage(pages->bid, PageDpi, look, 1);
    const QImage headScan = sim::ScanImage(pages->headAngular, PageDpi, look, 1);
    QImage blank(bidScan.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    blank.setDotsPerMeterX(bidScan.dotsPerMeterX());
    blank.setDotsPerMeterY(bidScan.dotsPerMeterY());
    EXPECT_EQ(TPScan::TPPageReader(headScan).ReadBid(pages->printed).failure,
              ReadFailure::WrongPattern);
    EXPECT_EQ(TPScan::TPPageReader(bidScan).ReadHeadAngular().failure, ReadFailure::WrongPattern);
    const TPScan::PageReading none = TPScan::TPPageReader(blank).ReadBid(pages->printed);
    EXPECT_EQ(none.failure, ReadFailure::NoPattern);
    EXPECT_TRUE(none.items.empty());
}

// The top left corner of a margin page with the lid dark around it, as these pages are scanned.
sim::ScanLook CornerLook(uint32_t seed, double dpi)
{
    sim::ScanLook look = sim::RandomScanLook(seed, dpi);
    look.lid = qRgb(38, 38, 42);
    look.cropLeft = -0.3;
    look.cropTop = -0.3;
    look.cropWidth = 2.5;
    look.cropHeight = 1.5;
    return look;
}

TPScan::PageReading ReadMargin(const QImage &page, bool topMargin, const sim::ScanLook &look)
{
    ReadFailure why = ReadFailure::None;
    TPScan::TPPageReader reader(
        TPScan::TPPageReader::LoadImageData(sim::ScanJpeg(page, PageDpi, look, 5), &why));
    return topMargin ? reader.ReadTopMargin(pages->topMarginPrinted)
                     : reader.ReadFirstDot(pages->firstDotPrinted);
}

// The proposal puts the mark 3 mm from the edge: the top margin exactly from 600 dpi on, the
// first dot within two of its quarter-dot steps; whatever is sure is right.
TEST_F(PageReader, MarginMarksMeasuredFromThePaperEdge)
{
    const struct {
        const char *name;
        bool topMargin;
        double dpi;
        double turn;
        double blur;
        int quality;
        bool wholeSheet; // the title beside the mark in view too
    } cases[] = {
        {"first dot 600 dpi turned", false, 600, 1.8, 1, 80, false},
        {"first dot 300 dpi turned back", false, 300, -2.7, 0, 75, false},
        {"top margin 600 dpi turned", true, 600, -1.4, 1, 85, false},
        {"top margin 1200 dpi", true, 1200, 2.9, 2, 85, false},
        {"top margin 300 dpi, whole sheet", true, 300, 0.6, 0, 80, true},
    };
    for (const auto &scan : cases) {
        const QImage &page = scan.topMargin ? pages->topMargin : pages->firstDot;
        const int truth =
            MarginTruth(page, scan.topMargin,
                        scan.topMargin ? pages->topMarginPrinted : pages->firstDotPrinted);
        sim::ScanLook look = CornerLook(11, scan.dpi);
        look.turnDegrees = scan.turn;
        look.blurPixels = scan.blur;
        look.jpegQuality = scan.quality;
        if (scan.wholeSheet) {
            look.cropWidth = page.width() / PageDpi - 2 * look.cropLeft;
            look.cropHeight = page.height() / PageDpi - 2 * look.cropTop;
        }
        const TPScan::PageReading reading = ReadMargin(page, scan.topMargin, look);
        ASSERT_TRUE(reading.Found())
            << scan.name << ": " << FailureText(reading.failure).toStdString();
        ASSERT_EQ(reading.items.size(), 1u) << scan.name;
        const TPScan::ItemReading &item = reading.items[0];
        ASSERT_TRUE(item.proposal.has_value()) << scan.name;
        const int reach = scan.topMargin ? (scan.dpi >= 600 ? 0 : 1) : 2;
        EXPECT_LE(std::abs(*item.proposal - truth), reach) << scan.name << " truth " << truth;
        if (item.sure) {
            EXPECT_LE(std::abs(*item.proposal - truth), scan.topMargin ? 0 : 2) << scan.name;
        }
        if (scan.dpi >= 600) {
            EXPECT_TRUE(item.sure) << scan.name << " " << item.remark.toStdString();
        }
    }
}

// Without the paper's edge, with the other margin page, a blank or a turned one: a reason and
// no proposal.
TEST_F(PageReader, MarginPageThatCannotBeMeasuredProposesNothing)
{
    QImage blank(pages->firstDot.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    sim::ScanLook whiteLid = CornerLook(3, 600);
    whiteLid.lid = qRgb(255, 255, 255);
    sim::ScanLook inside = CornerLook(3, 600);
    inside.cropLeft = inside.cropTop = 0.3;
    sim::ScanLook turned = CornerLook(3, 600);
    turned.turnDegrees = 180.5;
    const struct {
        const char *name;
        const QImage &page;
        bool topMargin;
        sim::ScanLook look;
        ReadFailure expected;
    } cases[] = {
        {"white lid", pages->firstDot, false, whiteLid, ReadFailure::NoPaperEdge},
        {"cropped inside the sheet", pages->topMargin, true, inside, ReadFailure::NoPaperEdge},
        {"top margin page as first dot", pages->topMargin, false, CornerLook(3, 600),
         ReadFailure::WrongPattern},
        {"first dot page as top margin", pages->firstDot, true, CornerLook(3, 600),
         ReadFailure::WrongPattern},
        {"blank page", blank, true, CornerLook(3, 300), ReadFailure::NoPattern},
        {"upside down", pages->firstDot, false, turned, ReadFailure::UpsideDown},
    };
    for (const auto &scan : cases) {
        const TPScan::PageReading reading = ReadMargin(scan.page, scan.topMargin, scan.look);
        EXPECT_EQ(reading.failure, scan.expected)
            << scan.name << ": " << FailureText(reading.failure).toStdString();
        EXPECT_TRUE(reading.items.empty()) << scan.name;
    }
}

// Each edge's value is the sensor's error there; with the paper's edges lost (a white lid, a
// scan cut inside the sheet) the edges concerned are not read at all.
TEST_F(PageReader, PwSensorValuesAreTheEdgeErrorsWhereTheEdgeIsInTheImage)
{
    const std::array<int, 4> &errors = pages->printer->Mechanics().pwSensor;
    const QImage onLid = OnDarkLid(pages->pwSensor);
    const double lidWidth = onLid.width() / PageDpi;
    const double lidHeight = onLid.height() / PageDpi;
    const struct {
        const char *name;
        QImage page;
        double dpi;
        double turn;
        double blur;
        double cropLeft; // inches cut off the left; the rest is kept
        std::array<bool, 4> readable;
    } cases[] = {
        {"600 dpi turned", onLid, 600, 1.8, 0, 0, {true, true, true, true}},
        {"300 dpi upside down, blurred", onLid, 300, 178.6, 1, 0, {true, true, true, true}},
        {"left edge cut off", onLid, 300, -0.7, 0, 0.45, {true, false, true, true}},
        {"white lid", pages->pwSensor, 300, 0.4, 0, 0, {false, false, false, false}},
    };
    for (const auto &scan : cases) {
        sim::ScanLook look = sim::RandomScanLook(4, scan.dpi);
        look.turnDegrees = scan.turn;
        look.blurPixels = scan.blur;
        if (scan.cropLeft > 0) {
            look.cropLeft = scan.cropLeft;
            look.cropWidth = lidWidth - scan.cropLeft;
            look.cropHeight = lidHeight;
        }
        ReadFailure why = ReadFailure::None;
        const QImage image =
            TPScan::TPPageReader::LoadImageData(sim::ScanJpeg(scan.page, PageDpi, look, 6), &why);
        const TPScan::PageReading reading = TPScan::TPPageReader(image).ReadPwSensor();
        ASSERT_TRUE(reading.Found())
            << scan.name << ": " << FailureText(reading.failure).toStdString();
        ASSERT_EQ(reading.items.size(), 4u) << scan.name;
        for (size_t side = 0; side < 4; ++side) {
            const TPScan::ItemReading &item = reading.items[side];
            const std::string name = std::string(scan.name) + " " + item.item.toStdString() + " " +
                                     item.remark.toStdString();
            if (!scan.readable[side]) {
                EXPECT_FALSE(item.proposal.has_value()) << name;
                EXPECT_TRUE(item.remark.contains(QStringLiteral("edge"))) << name;
                continue;
            }
            ASSERT_TRUE(item.proposal.has_value()) << name;
            EXPECT_LE(std::abs(*item.proposal - errors[side]), 1) << name;
            if (item.sure) {
                EXPECT_EQ(*item.proposal, errors[side]) << name;
            }
            if (scan.dpi >= 600) {
                EXPECT_TRUE(item.sure) << name;
            }
        }
    }
    // Another pattern, or a blank sheet, on the lid: named as such, nothing proposed.
    const QImage headAngularPart = pages->headAngular.copy(0, 0, pages->headAngular.width(),
                                                           int(HeadAngularPartInches * PageDpi));
    QImage blank(headAngularPart.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    const struct {
        QImage page;
        ReadFailure expected;
    } others[] = {{OnDarkLid(headAngularPart), ReadFailure::WrongPattern},
                  {OnDarkLid(blank), ReadFailure::NoPattern}};
    for (const auto &other : others) {
        sim::ScanLook look;
        look.dpi = 300;
        const QImage image = sim::ScanImage(other.page, PageDpi, look, 1);
        const TPScan::PageReading reading = TPScan::TPPageReader(image).ReadPwSensor();
        EXPECT_EQ(reading.failure, other.expected);
        EXPECT_TRUE(reading.items.empty());
    }
}

// Files that are no image, cut short, gone, or of a size no scan has.
TEST(PageReaderFiles, BadFilesAreRefusedWithTheirReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage small(40, 40, QImage::Format_RGB32);
    small.fill(Qt::white);
    QByteArray smallPng;
    {
        QBuffer buffer(&smallPng);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(small.save(&buffer, "PNG"));
    }
    QImage page(800, 800, QImage::Format_RGB32);
    page.fill(Qt::white);
    QByteArray jpeg;
    {
        QBuffer buffer(&jpeg);
        buffer.open(QIODevice::WriteOnly);
        ASSERT_TRUE(page.save(&buffer, "JPG"));
    }
    // A PNG whose header claims 40000 x 40000 pixels (its checksum mended).
    QByteArray huge = smallPng;
    const uchar side[] = {0, 0, 0x9C, 0x40};
    huge.replace(16, 4, reinterpret_cast<const char *>(side), 4);
    huge.replace(20, 4, reinterpret_cast<const char *>(side), 4);
    uint32_t crc = 0xFFFFFFFFu;
    for (int i = 12; i < 29; ++i) {
        crc ^= uchar(huge[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    for (int i = 0; i < 4; ++i)
        huge[29 + i] = char(crc >> (24 - 8 * i));

    const struct {
        const char *name;
        QByteArray bytes;
        ReadFailure expected;
    } files[] = {
        {"text.jpg", "not an image at all", ReadFailure::NotAnImage},
        // JPEG decoders fill a cut file up with grey: then nothing is found on it.
        {"cut.jpg", jpeg.left(jpeg.size() / 3), ReadFailure::NoPattern},
        {"tiny.png", smallPng, ReadFailure::TooSmall},
        {"huge.png", huge, ReadFailure::TooLarge},
    };
    for (const auto &file : files) {
        QFile out(folder.filePath(file.name));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(file.bytes);
        out.close();
        ReadFailure why = ReadFailure::None;
        const QImage image = TPScan::TPPageReader::LoadImageFile(out.fileName(), &why);
        if (!image.isNull()) {
            const TPScan::PageReading reading = TPScan::TPPageReader(image).ReadHeadAngular();
            EXPECT_TRUE(reading.items.empty()) << file.name;
            why = reading.failure;
        }
        EXPECT_EQ(why, file.expected) << file.name;
    }
    ReadFailure why = ReadFailure::None;
    EXPECT_TRUE(TPScan::TPPageReader::LoadImageFile(folder.filePath("gone.png"), &why).isNull());
    EXPECT_EQ(why, ReadFailure::CannotOpen);
    // Straight from memory: a single pixel.
    EXPECT_EQ(TPScan::TPPageReader(QImage(1, 1, QImage::Format_RGB32)).ReadBid({}).failure,
              ReadFailure::TooSmall);
}

} // namespace
