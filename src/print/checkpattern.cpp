#include "checkpattern.h"

#include "bidcheckblock.h"
#include "checklayouts.h"
#include "link/dllfunction.h"
#include "link/program.h"
#include "numberrows.h"
#include "rasterlines.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <new>

using namespace checkprint;
using namespace TPCheckLayouts;

namespace
{
// Stored PW sensor corrections (signed bytes) and the factor each is stored with.
constexpr uint8_t PwRight = 0x70;
constexpr uint8_t PwTop = 0x71;
constexpr uint8_t PwLeft = 0x72;
constexpr uint8_t PwBottom = 0x73;
constexpr int SideFactor = 4;
constexpr int EdgeFactor = 6;
// Every PW sensor byte, first and second copies, in the order they are cleared.
constexpr uint8_t PwBytes[] = {0x70, 0x71, 0x72, 0x73, 0xCE, 0xCF, 0xD0, 0xD1};

// Carriage parameters of the check prints (FactoryCommandCD items).
constexpr uint8_t CarriageLeft = 1;
constexpr uint8_t CarriageRight = 20;
constexpr uint8_t CarriageFrom = 0;

constexpr uint8_t Unit360 = 10;
constexpr uint8_t Unit180 = 20;
constexpr uint8_t Unit120 = 30;
constexpr uint16_t FineBase = 360;
constexpr uint16_t PageTop = 42;
constexpr uint16_t PageBottom = 4167;
constexpr uint32_t PhotoPageLength = 4125;

constexpr int PaperTypical = 2;
constexpr int PaperPwSensor = 4;
constexpr int PaperA4 = 5;
constexpr int PaperA4Photo = 6;

int8_t Signed(uint8_t value)
{
    return static_cast<int8_t>(value);
}
} // namespace

TPCheckPattern::TPCheckPattern(TPProgram &program) : program_(program) {}

uint16_t TPCheckPattern::WaitReady()
{
    return program_.status.WaitUntilReady(false, true);
}

// ---------------------------------------------------------------------------------------
// A4 normal paper

uint16_t TPCheckPattern::ReadCorrections(PwCorrections *corrections)
{
    // Edge offsets outside what the layouts can draw are drawn at the nearer end, so every
    // block keeps the size its header gives.
    struct Read {
        uint8_t address;
        int factor;
        int *offset;
    };
    const Read reads[] = {{PwTop, EdgeFactor, &corrections->top},
                          {PwLeft, SideFactor, &corrections->left},
                          {PwRight, SideFactor, &corrections->right},
                          {PwBottom, EdgeFactor, &corrections->bottom}};
    for (const Read &read : reads) {
        uint8_t value = 0;
        TP_STEP(program_.dll.ChanReadEeprom(read.address, &value));
        *read.offset = ClampEdgeOffset(Signed(value) / read.factor);
    }
    return TPResult::Ok;
}

uint16_t TPCheckPattern::A4PrintableArea()
{
    TP_STEP(program_.factory.FactoryCommandF1(1, 2880, 50, 1));
    TP_STEP(program_.raster.Flush());
    TP_STEP(program_.factory.FactoryCommandF1(0, 2880, 775, 0));
    return program_.raster.Flush();
}

uint16_t TPCheckPattern::SideDots(bool rightSide, int offset)
{
    TPRaster &raster = program_.raster;
    TPFactory &factory = program_.factory;
    TP_STEP(raster.Reset());
    if (rightSide) {
        TP_STEP(factory.FactoryCommandCD(CarriageLeft, 1650));
        TP_STEP(raster.Flush());
    } else {
        TP_STEP(factory.FactoryCommandCD(CarriageLeft, 250));
        TP_STEP(raster.Reset());
    }
    TP_STEP(factory.FactoryCommandCD(CarriageRight, rightSide ? 1750 : 170));
    TP_STEP(raster.Flush());
    TP_STEP(factory.FactoryCommandF2(rightSide ? 1 : 0, 1));
    TP_STEP(SideDotPattern(raster, offset));
    TP_STEP(raster.Feed(0));
    TP_STEP(raster.Flush());
    return WaitReady();
}

uint16_t TPCheckPattern::A4NormalPrint()
{
    TPRaster &raster = program_.raster;
    TPFactory &factory = program_.factory;
    PwCorrections pw;
    TP_STEP(ReadCorrections(&pw));

    TP_STEP(raster.Reset());
    TP_STEP(program_.remote.SendPaperSettings(PaperTypical));
    TP_STEP(raster.NewLines(1));
    TP_STEP(raster.Flush());
    TP_STEP(factory.FactoryCommandCD(CarriageRight, 279));
    TP_STEP(A4PrintableArea());

    TP_STEP(TopEdgeLinePattern(raster, pw.top));
    TP_STEP(raster.Flush());
    TP_STEP(WaitReady());
    TP_STEP(SideDots(true, pw.right));
    TP_STEP(SideDots(false, pw.left));
    TP_STEP(raster.Feed(360));
    TP_STEP(raster.Flush());

    TP_STEP(BetaPattern(raster));
    TP_STEP(DotSizePattern(raster));
    TP_STEP(raster.Reset());
    TP_STEP(raster.Flush());
    TP_STEP(raster.NewLines(3));
    TP_STEP(DotAlignmentPattern(raster));
    TP_STEP(NozzleColumnShiftPattern(raster));
    TP_STEP(VariableDotPattern(raster));

    TP_STEP(raster.Reset());
    TP_STEP(factory.FactoryCommandCD(CarriageLeft, 279));
    TP_STEP(raster.Flush());
    TP_STEP(factory.FactoryCommandF1(0, 10000, 208, 1));
    TP_STEP(raster.Flush());
    TP_STEP(BottomEdgeLinePattern(raster, pw.bottom));
    TP_STEP(raster.Flush());
    TP_STEP(raster.Reset());
    TP_STEP(raster.Flush());
    return raster.EndPage();
}

// ---------------------------------------------------------------------------------------
// Photo papers

uint16_t TPCheckPattern::PhotoPage(bool withFlush)
{
    TPRaster &raster = program_.raster;
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetUnits(1, 1, 1, FineBase));
    TP_STEP(raster.SetPaperSize(0xA0, 0x0B, 0x00, 0x00, 0x71, 0x10, 0x00, 0x00)); // A4
    TP_STEP(raster.SetPageFormat(PageTop, PageBottom));
    TP_STEP(raster.SetPageLength(PhotoPageLength));
    return withFlush ? raster.Flush() : TPResult::Ok;
}

uint16_t TPCheckPattern::PhotoBidBlocks(const char *const *labels, int count)
{
    TPRaster &raster = program_.raster;
    for (int i = 0; i < count; ++i) {
        const uint8_t mode = static_cast<uint8_t>(Vsd1 + i);
        TP_STEP(AppendText(raster, labels[i]));
        TP_STEP(raster.NewLines(1));
        TP_STEP(raster.Flush());
        TP_STEP(BidCheckBlock(raster, mode, Black, NoInk, NoInk));
        TP_STEP(BidCheckBlock(raster, mode, LightMagenta, LightCyan, Yellow));
        TP_STEP(raster.Flush());
    }
    return TPResult::Ok;
}

uint16_t TPCheckPattern::A4PhotoQualityPrint()
{
    TPRaster &raster = program_.raster;
    TP_STEP(program_.remote.SendPaperSettings(PaperA4));
    TP_STEP(raster.Flush());
    TP_STEP(PhotoPage(true));
    TP_STEP(CornerMarkPattern(raster));
    TP_STEP(InclinedHeadPattern(raster, 1));
    TP_STEP(raster.Flush());
    TP_STEP(raster.Reset());
    TP_STEP(raster.NewLines(7));
    static const char *const labels[] = {"VSD1 Dot", "VSD2 Dot", "VSD3 Dot", "ECO  Dot"};
    TP_STEP(PhotoBidBlocks(labels, 4));
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.Feed(335));
    TP_STEP(AccumulatedPitchPattern(raster));
    return raster.EndPage();
}

uint16_t TPCheckPattern::A4PhotoPaperPrint()
{
    TPRaster &raster = program_.raster;
    TP_STEP(program_.remote.SendPaperSettings(PaperA4Photo));
    TP_STEP(raster.Flush());
    TP_STEP(PhotoPage(false));
    TP_STEP(CornerMarkPattern(raster));
    TP_STEP(raster.Reset());
    TP_STEP(raster.NewLines(8));
    TP_STEP(raster.NewLines(1));
    static const char *const labels[] = {"VSD1 ", "VSD2 ", "VSD3 "};
    TP_STEP(PhotoBidBlocks(labels, 3));
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.Feed(1516));
    TP_STEP(AccumulatedPitchPattern(raster));
    return raster.EndPage();
}

// ---------------------------------------------------------------------------------------
// Nozzle check and head check

uint16_t TPCheckPattern::NozzleCheckPrint()
{
    TP_STEP(program_.remote.PrintNozzleCheck());
    return program_.raster.EndPage();
}

uint16_t TPCheckPattern::HeadCheckPrint()
{
    TPRaster &raster = program_.raster;
    TP_STEP(DotAlignmentPattern(raster));
    TP_STEP(NozzleColumnShiftPattern(raster));
    TP_STEP(VariableDotPattern(raster));
    TP_STEP(raster.EndPage());
    return raster.Flush();
}

// ---------------------------------------------------------------------------------------
// CD-R print file

QStringList TPCheckPattern::CdrSearchFolders() const
{
    if (!cdrFolders_.isEmpty())
        return cdrFolders_;
    const QString programFolder = TPDLLFunction::ExecutableFolder();
    QStringList folders = {
        QDir::currentPath(),
        QDir::cleanPath(programFolder + QLatin1Char('/') + QLatin1String(InstalledDataFolder)),
        programFolder};
    folders.removeDuplicates(); // run from the program's own folder
    return folders;
}

void TPCheckPattern::SetCdrSearchFolders(const QStringList &folders)
{
    cdrFolders_ = folders;
}

uint16_t TPCheckPattern::OpenCdrFile(QFile *file)
{
    for (const QString &folder : CdrSearchFolders()) {
        const QString path = QDir(folder).filePath(QLatin1String(CdrFileName));
        if (!QFileInfo::exists(path))
            continue;
        // The file that is there is the one meant: one that cannot be read is not replaced
        // by another folder's.
        cdrFilePath_ = path;
        file->setFileName(path);
        if (QFileInfo(path).isFile() && file->open(QIODevice::ReadOnly))
            return TPResult::Ok;
        cdrProblem_ = CdrProblem::Unreadable;
        return TPResult::FileOpen;
    }
    cdrProblem_ = CdrProblem::NotFound;
    return TPResult::FileOpen;
}

bool TPCheckPattern::CdrFileIsPrintData(QFile *file, uint8_t *buffer)
{
    TPPrintFileCheck check;
    for (;;) {
        const qint64 read = file->read(reinterpret_cast<char *>(buffer), CdrChunk);
        if (read < 0) {
            cdrProblem_ = CdrProblem::Unreadable;
            return false;
        }
        if (read == 0 || !check.Feed(buffer, size_t(read)))
            break;
    }
    cdrVerdict_ = check.Finish();
    if (cdrVerdict_ != TPPrintFileCheck::Verdict::PrintData)
        cdrProblem_ = CdrProblem::NotPrintData;
    return cdrVerdict_ == TPPrintFileCheck::Verdict::PrintData;
}

uint16_t TPCheckPattern::SendCdrFile(QFile *file, uint8_t *buffer)
{
    // Every piece is checked again before it goes: a file changed since the first reading
    // stops at the first piece that is not print data.
    TPPrintFileCheck check;
    for (;;) {
        const qint64 read = file->read(reinterpret_cast<char *>(buffer), CdrChunk);
        if (read < 0) {
            cdrProblem_ = CdrProblem::Unreadable;
            return TPResult::FileOpen;
        }
        if (read == 0)
            return TPResult::Ok;
        if (!check.Feed(buffer, size_t(read))) {
            cdrVerdict_ = check.Finish();
            cdrProblem_ = CdrProblem::NotPrintData;
            return TPResult::FileOpen;
        }
        TP_STEP(program_.raster.SendAtOnce(buffer, static_cast<int>(read)));
        if (read < CdrChunk)
            return TPResult::Ok;
    }
}

uint16_t TPCheckPattern::CdrFilePrint()
{
    cdrFilePath_.clear();
    cdrProblem_ = CdrProblem::None;
    cdrVerdict_ = TPPrintFileCheck::Verdict::PrintData;
    const std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[CdrBufferSize]);
    if (!buffer)
        return TPResult::OutOfMemory;

    QFile file;
    TP_STEP(OpenCdrFile(&file));
    if (!CdrFileIsPrintData(&file, buffer.get()) || !file.seek(0)) {
        if (cdrProblem_ == CdrProblem::None)
            cdrProblem_ = CdrProblem::Unreadable;
        return TPResult::FileOpen;
    }
    return SendCdrFile(&file, buffer.get());
}

// ---------------------------------------------------------------------------------------
// PW sensor pattern

std::string TPCheckPattern::PwRowLabel(int row)
{
    constexpr int FirstValue = -8;
    constexpr int Gap = 70;
    const auto value = [](int v) {
        std::string text = std::to_string(v);
        return std::string(text.size() < 3 ? 3 - text.size() : 0, ' ') + text;
    };
    return value(FirstValue + row) + std::string(Gap, ' ') + value(FirstValue + row);
}

uint16_t TPCheckPattern::PwScale()
{
    TPRaster &raster = program_.raster;
    TP_STEP(raster.ResetToDraftText());
    TP_STEP(raster.Flush());
    TP_STEP(raster.FeedPaper(100));
    TP_STEP(raster.Flush());
    TP_STEP(raster.ResetToDraftText());
    TP_STEP(raster.Flush());
    TP_STEP(AppendText(raster, "-10  -9  -8  -7 -6  -5  -4 -3  -2  -1   0   1   2  3   4   5  "
                               "6   7   8   9 10\r\n"));
    TP_STEP(raster.NewLines(1));
    TP_STEP(raster.Flush());
    TP_STEP(raster.FeedPaper(100));
    return raster.Flush();
}

uint16_t TPCheckPattern::PwEdgeBand(int firstRow)
{
    TPRaster &raster = program_.raster;
    TPFactory &factory = program_.factory;
    constexpr uint8_t ForwardAndBack = 0;
    for (const bool rightSide : {true, false}) {
        TP_STEP(raster.Reset());
        TP_STEP(raster.Flush());
        TP_STEP(factory.FactoryCommandCD(CarriageLeft, rightSide ? 1650 : 250));
        TP_STEP(raster.Flush());
        TP_STEP(factory.FactoryCommandCD(CarriageRight, rightSide ? 1750 : 170));
        TP_STEP(raster.Flush());
        TP_STEP(factory.FactoryCommandF2(rightSide ? 1 : 0, 1));
        TP_STEP(EdgeMarkRows(raster, firstRow, ForwardAndBack));
        TP_STEP(raster.Flush());
    }
    std::array<std::string, TPNumberRows::RowCount> rows;
    for (int i = 0; i < TPNumberRows::RowCount; ++i)
        rows[static_cast<size_t>(i)] = PwRowLabel(firstRow + i);
    TP_STEP(TPNumberRows::NumberRows(raster, rows, Cyan));
    TP_STEP(raster.SetUnit(Unit120));
    TP_STEP(raster.Feed(88));
    return raster.Flush();
}

uint16_t TPCheckPattern::ReadPwValues(PwValues *values)
{
    const std::pair<uint8_t, int> sides[] = {
        {PwRight, SideFactor}, {PwLeft, SideFactor}, {PwTop, EdgeFactor}, {PwBottom, EdgeFactor}};
    for (size_t side = 0; side < values->size(); ++side) {
        uint8_t stored = 0;
        TP_STEP(program_.dll.ChanReadEeprom(sides[side].first, &stored));
        (*values)[side] = Signed(stored) / sides[side].second;
    }
    return TPResult::Ok;
}

uint16_t TPCheckPattern::PwSensorPattern()
{
    clearedPw_.reset();
    TPRaster &raster = program_.raster;
    TPFactory &factory = program_.factory;
    TP_STEP(raster.Reset());
    TP_STEP(raster.Flush());
    TP_STEP(program_.remote.LoadDefaultsAndEject());
    TP_STEP(program_.remote.SendPaperSettings(PaperPwSensor));
    TP_STEP(raster.Flush());

    // The pattern prints without correction: the stored values are cleared for good. What
    // they were is kept for the technician, who may want to type them back.
    PwValues before{};
    TP_STEP(ReadPwValues(&before));
    clearedPw_ = before;
    for (const uint8_t address : PwBytes)
        TP_STEP(program_.dll.ChanWriteEeprom(address, 0));
    TP_STEP(factory.FactoryCommand50());
    TP_STEP(raster.NewLines(1));
    TP_STEP(raster.Flush());
    TP_STEP(factory.FactoryCommandCD(CarriageFrom, 279));
    TP_STEP(A4PrintableArea());

    TP_STEP(DiagonalBarPattern(raster, 1));
    TP_STEP(raster.NewLines(3));
    TP_STEP(raster.Flush());
    TP_STEP(PwScale());
    for (int firstRow = 0; firstRow < EdgeRowCount; firstRow += RowsPerBand)
        TP_STEP(PwEdgeBand(firstRow));

    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.Feed(60));
    TP_STEP(raster.Feed(120));
    TP_STEP(raster.NewLines(3));
    TP_STEP(raster.SetUnit(Unit120));
    TP_STEP(raster.Feed(250));
    TP_STEP(raster.ResetToDraftText());
    TP_STEP(raster.Flush());
    TP_STEP(raster.SetUnit(Unit180));
    TP_STEP(raster.Feed(10));
    TP_STEP(raster.Flush());
    TP_STEP(raster.Reset());
    TP_STEP(raster.Flush());

    TP_STEP(factory.FactoryCommandCD(CarriageLeft, 279));
    TP_STEP(factory.FactoryCommandF1(0, 10000, 208, 1));
    TP_STEP(raster.Flush());
    TP_STEP(DiagonalBarPattern(raster, 2));
    TP_STEP(raster.ResetToDraftText());
    TP_STEP(AppendText(raster, " 10   9   8   7  6   5   4   3  2   1   0  -1  -2  -3  -4 -5  "
                               "-6  -7 -8 -9 -10\r\n"));
    TP_STEP(raster.Flush());
    TP_STEP(factory.FactoryCommandC5(34, 0, 300));
    TP_STEP(raster.Flush());
    TP_STEP(factory.FactoryCommandCD(CarriageLeft, 279));
    TP_STEP(raster.Flush());
    TP_STEP(raster.EndPage());
    return raster.Flush();
}
