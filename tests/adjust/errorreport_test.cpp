// The wording of result codes, printer errors and printer states, and the lock each implies.
#include "adjust/errorreport.h"

#include <gtest/gtest.h>
#include <optional>

namespace
{
using Record = TPStatusControl::StatusRecord;

Record PrinterIn(uint8_t state, uint8_t error = 0)
{
    Record record;
    record.state = state;
    record.error = error;
    return record;
}

TEST(ErrorReport, ResultCodesGiveTheirLinesAndLocks)
{
    const struct {
        uint16_t code;
        int16_t ioError;
        Record record;
        int lineCount;         // lines shown
        const char *firstLine; // the red line, when there is one
        std::optional<TPLockLevel> lock;
    } cases[] = {
        {TPResult::PortIoError,
         TPResult::IoTimeout,
         {},
         1,
         "Communication error.",
         TPLockLevel::None},
        {TPResult::PortIoError, -7, {}, 1, "Communication error occurred.", TPLockLevel::None},
        {TPResult::PortFailure, 0, {}, 2, "Communication error occurred.", TPLockLevel::None},
        {TPResult::ChannelError, 0, {}, 1, "Communication error occurred.", TPLockLevel::None},
        {TPResult::FileOpen, 0, {}, 1, "Cannot file open.", std::nullopt},
        {TPResult::PrinterErrorState, 0, PrinterIn(0, 6), 2, "Paper out error.",
         TPLockLevel::ErrorState},
        {TPResult::PrinterErrorState, 0, PrinterIn(0, 16), 1, "Maintenance error.",
         TPLockLevel::ErrorState},
        // A code the table does not know is named by its number.
        {TPResult::PrinterErrorState, 0, PrinterIn(0, 99), 2, "Unknown printer error (code 99).",
         TPLockLevel::ErrorState},
        {TPResult::OutOfMemory,
         0,
         {},
         2,
         "There is not enough free memory to run this program.",
         std::nullopt},
        {TPResult::MalformedStatus, 0, {}, 1, "Communication error occurred.", std::nullopt},
        {TPResult::RequestRefused, 0, {}, 1, "The print data could not be prepared.", std::nullopt},
    };
    for (const auto &c : cases) {
        const TPErrorWording wording = TPErrorReport::ForCode(c.code, c.ioError, c.record);
        SCOPED_TRACE(testing::Message() << std::hex << c.code << " io " << std::dec << c.ioError);
        ASSERT_EQ(int(wording.lines.size()), c.lineCount);
        EXPECT_EQ(wording.lock, c.lock);
        if (c.firstLine) {
            EXPECT_EQ(wording.lines[0].mode, TPMode::Error);
            EXPECT_EQ(wording.lines[0].text, QString::fromLatin1(c.firstLine));
        }
        for (size_t i = 1; i < wording.lines.size(); ++i)
            EXPECT_EQ(wording.lines[i].mode, TPMode::NewLine);
    }
}

TEST(ErrorReport, APrinterBeforeItsInkChargeIsNamedWhateverItsOldErrorCode)
{
    // An operation's wait and "Get Status" agree, even with a stale error code in the record.
    const Record uncharged = PrinterIn(TPStatusControl::StateBeforeInkCharge, 0);
    const TPErrorWording afterWait =
        TPErrorReport::ForCode(TPResult::PrinterErrorState, 0, uncharged);
    const TPErrorWording getStatus = TPErrorReport::StateReport(uncharged);
    ASSERT_EQ(afterWait.lines.size(), 1u);
    EXPECT_EQ(afterWait.lines[0].text, "Printer is before initial ink charge.");
    EXPECT_EQ(getStatus.lines, afterWait.lines);
}

TEST(ErrorReport, ItemCodesAreLeftToTheItems)
{
    for (uint16_t code : {TPResult::HeadIdError, TPResult::BidError, TPResult::UsbIdError,
                          TPResult::HeadAngularError, TPResult::CrMeasurementError,
                          TPResult::PwSensorError, TPResult::EepromCopyError})
        EXPECT_TRUE(TPErrorReport::IsItemCode(code)) << code;
    for (uint16_t code :
         {TPResult::Ok, TPResult::PortIoError, TPResult::PrinterErrorState, TPResult::OutOfMemory})
        EXPECT_FALSE(TPErrorReport::IsItemCode(code)) << code;
}

TEST(ErrorReport, AReadyPrinterReportsItsInkInTwoLines)
{
    Record ready = PrinterIn(TPStatusControl::StateReady);
    ready.inkLevel = {100, 7, 0, 55, 100, 12};
    const TPErrorWording report = TPErrorReport::StateReport(ready);
    ASSERT_EQ(report.lines.size(), 4u);
    EXPECT_EQ(report.lines[0], (TPMessageLine{TPMode::Result, "Printer is ready."}));
    EXPECT_EQ(report.lines[2].text, " Black:100%, Cyan:7%, Magenta:0%, Yellow:55%");
    EXPECT_EQ(report.lines[3].text, " Light Cyan:100%, Light Magenta:12%");
    EXPECT_EQ(report.lock, TPLockLevel::All);
}
} // namespace
