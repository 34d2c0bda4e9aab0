#include "errorreport.h"

#include <algorithm>
#include <iterator>

namespace
{
using Record = TPStatusControl::StatusRecord;

struct PrinterErrorRow {
    uint8_t code;
    const char *line;
    bool clearAdvice; // "Clear the error and click the [Get Status] button."
};

constexpr PrinterErrorRow PrinterErrors[] = {
    {0, "Fatal error.", false},
    {1, "Communication error.", false},
    {2, "The CD/DVD Guide is open.", false},
    {4, "Paper jam error.", true},
    {5, "Ink out error.", true},
    {6, "Paper out error.", true},
    {16, "Maintenance error.", false},
    {18, "Double feed error.", true},
    {41, "The CD/DVD tray is not set correctly.", false},
};

constexpr uint16_t ItemCodes[] = {TPResult::HeadIdError,        TPResult::BidError,
                                  TPResult::UsbIdError,         TPResult::HeadAngularError,
                                  TPResult::CrMeasurementError, TPResult::PwSensorError,
                                  TPResult::EepromCopyError};

TPMessageLine ErrorLine(const QString &text)
{
    return {TPMode::Error, text};
}

TPMessageLine AddedLine(const QString &text)
{
    return {TPMode::NewLine, text};
}

QString ClearAdvice()
{
    return QStringLiteral("Clear the error and click the [Get Status] button.");
}

QString BeforeInkCharge()
{
    return QStringLiteral("Printer is before initial ink charge.");
}

bool IsDescribedIoError(int16_t ioError)
{
    switch (ioError) {
    case TPResult::IoNotFound:
    case TPResult::IoWriteFailed:
    case TPResult::IoTimeout:
    case TPResult::IoInUse:
    case TPResult::IoDisconnected:
        return true;
    default:
        return false;
    }
}

QString Percent(const Record &record, TPStatusControl::Ink ink)
{
    return QString::number(record.inkLevel[ink]) + QLatin1Char('%');
}

std::vector<TPMessageLine> InkReport(const Record &record)
{
    using S = TPStatusControl;
    return {AddedLine(QStringLiteral("Ink remaining amount;")),
            AddedLine(QStringLiteral(" Black:") + Percent(record, S::Black) +
                      QStringLiteral(", Cyan:") + Percent(record, S::Cyan) +
                      QStringLiteral(", Magenta:") + Percent(record, S::Magenta) +
                      QStringLiteral(", Yellow:") + Percent(record, S::Yellow)),
            AddedLine(QStringLiteral(" Light Cyan:") + Percent(record, S::LightCyan) +
                      QStringLiteral(", Light Magenta:") + Percent(record, S::LightMagenta))};
}
} // namespace

bool TPErrorReport::IsItemCode(uint16_t code)
{
    return std::find(std::begin(ItemCodes), std::end(ItemCodes), code) != std::end(ItemCodes);
}

QString TPErrorReport::CommunicationErrorOccurred()
{
    return QStringLiteral("Communication error occurred.");
}

QString TPErrorReport::RestartAdvice()
{
    return QStringLiteral("Restart the printer and click the [Get Status] button.");
}

std::vector<TPMessageLine> TPErrorReport::ConnectionAdvice()
{
    return {ErrorLine(CommunicationErrorOccurred()),
            AddedLine(QStringLiteral("Check the I/F cable connection and power of printer."))};
}

TPErrorWording TPErrorReport::ForCode(uint16_t code, int16_t ioError, const Record &record)
{
    switch (code) {
    case TPResult::PortIoError:
        return {{ErrorLine(IsDescribedIoError(ioError) ? QStringLiteral("Communication error.")
                                                       : CommunicationErrorOccurred())},
                TPLockLevel::None};
    case TPResult::UnsupportedModel:
    case TPResult::Communication:
    case TPResult::ChannelError:
        return {{ErrorLine(CommunicationErrorOccurred())}, TPLockLevel::None};
    case TPResult::MalformedStatus:
        // Without a word the working text ("Writing now...") would stand as if the operation
        // went on; the items stay as they were, as "Get Status" leaves them on a bad reply.
        return {{ErrorLine(CommunicationErrorOccurred())}, std::nullopt};
    case TPResult::PortFailure:
        return {ConnectionAdvice(), TPLockLevel::None};
    case TPResult::FileOpen:
        return {{ErrorLine(QStringLiteral("Cannot file open."))}, std::nullopt};
    case TPResult::PrinterErrorState:
        return {PrinterError(record), TPLockLevel::ErrorState};
    case TPResult::PrinterNotReady:
        return {{ErrorLine(QStringLiteral("The printer did not become ready.")),
                 AddedLine(QStringLiteral("Check the printer and try again."))},
                std::nullopt};
    case TPResult::MissingLibrary:
        return {{ErrorLine(QStringLiteral("Cannot found the DLL files."))}, std::nullopt};
    case TPResult::RequestRefused:
        // Refused before anything was sent; without a word the working text would stand.
        return {{ErrorLine(QStringLiteral("The print data could not be prepared."))}, std::nullopt};
    case TPResult::OutOfMemory:
        return {{ErrorLine(QStringLiteral("There is not enough free memory to run this program.")),
                 AddedLine(QStringLiteral("Quit one or more programs, and then try again."))},
                std::nullopt};
    default:
        return {};
    }
}

std::vector<TPMessageLine> TPErrorReport::PrinterError(const Record &record)
{
    // A printer before its initial ink charge carries no error code of its own; the code of
    // an earlier status would name a fault that is not there.
    if (record.state == TPStatusControl::StateBeforeInkCharge)
        return {ErrorLine(BeforeInkCharge())};
    const auto known =
        std::find_if(std::begin(PrinterErrors), std::end(PrinterErrors),
                     [&record](const PrinterErrorRow &row) { return row.code == record.error; });
    // A code the table does not know is still named, so that the locked items are explained.
    if (known == std::end(PrinterErrors))
        return {ErrorLine(QStringLiteral("Unknown printer error (code %1).").arg(record.error)),
                AddedLine(ClearAdvice())};
    std::vector<TPMessageLine> lines = {ErrorLine(QString::fromLatin1(known->line))};
    if (known->clearAdvice)
        lines.push_back(AddedLine(ClearAdvice()));
    return lines;
}

TPErrorWording TPErrorReport::StateReport(const Record &record)
{
    auto result = [](const char *text) {
        return TPMessageLine{TPMode::Result, QString::fromLatin1(text)};
    };
    switch (record.state) {
    case TPStatusControl::StateError:
        return {PrinterError(record), TPLockLevel::ErrorState};
    case TPStatusControl::StateBusy:
        return {{result("Printer is busy.")}, TPLockLevel::All};
    case TPStatusControl::StatePrinting:
        return {{result("Printer is printing.")}, TPLockLevel::All};
    case TPStatusControl::StateCleaning:
        return {{result("Printer is cleaning.")}, TPLockLevel::All};
    case TPStatusControl::StateBeforeInkCharge:
        return {{ErrorLine(BeforeInkCharge())}, TPLockLevel::All};
    case TPStatusControl::StateReady: {
        std::vector<TPMessageLine> lines = {result("Printer is ready.")};
        const auto ink = InkReport(record);
        lines.insert(lines.end(), ink.begin(), ink.end());
        return {lines, TPLockLevel::All};
    }
    default:
        return {{}, TPLockLevel::All};
    }
}
