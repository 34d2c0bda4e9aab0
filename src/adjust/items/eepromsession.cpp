#include "eepromsession.h"

#include "link/resultcode.h"

#include "adjustservices.h"
#include "link/dllfunction.h"
#include "link/program.h"
#include "link/statuscontrol.h"

TPEepromSession::TPEepromSession(TAdjustServices &window, TPDLLFunction &dll)
    : window_(window), dll_(dll)
{
}

bool TPEepromSession::Begin(const QString &workingText, OnPrinterError reaction)
{
    const uint16_t code = window_.ShowStatus(TPMode::Working, workingText);
    if (code == TPResult::PrinterErrorState && GoesOn(reaction))
        return Check(window_.ShowStatus(TPMode::Busy, workingText));
    return Check(code);
}

bool TPEepromSession::GoesOn(OnPrinterError reaction) const
{
    switch (reaction) {
    case OnPrinterError::GoOn:
        return true;
    case OnPrinterError::GoOnBeforeInkCharge:
        return window_.Program().status.Record().state == TPStatusControl::StateBeforeInkCharge;
    case OnPrinterError::Report:
        break;
    }
    return false;
}

bool TPEepromSession::Read(uint8_t address, uint8_t *value)
{
    return Check(dll_.ChanReadEeprom(address, value));
}

bool TPEepromSession::Write(uint8_t address, uint8_t value)
{
    return Check(dll_.ChanWriteEeprom(address, value));
}

bool TPEepromSession::WriteAll(const std::vector<std::pair<uint8_t, uint8_t>> &writes)
{
    for (const auto &[address, value] : writes) {
        if (!Write(address, value))
            return false;
    }
    return true;
}

bool TPEepromSession::ReadAll(const std::vector<uint8_t> &addresses, std::vector<uint8_t> *values)
{
    values->assign(addresses.size(), 0);
    for (size_t i = 0; i < addresses.size(); ++i) {
        if (!Read(addresses[i], &(*values)[i]))
            return false;
    }
    return true;
}

bool TPEepromSession::Check(uint16_t code)
{
    if (failed_)
        return false;
    if (code == TPResult::Ok)
        return true;
    failed_ = true;
    window_.ReportError(code);
    return false;
}

bool TPEepromSession::Finish(TPMode mode, const QString &doneText)
{
    if (failed_)
        return false;
    const uint16_t code = window_.ShowStatus(mode, doneText);
    // Mode 2 reports its own failed wait; nothing more to say here.
    if (code != TPResult::Ok)
        failed_ = true;
    return !failed_;
}
