#include "headangular.h"

#include "link/dllfunction.h"
#include "link/factory.h"
#include "link/raster.h"
#include "link/remotecomm.h"
#include "print/headangularpattern.h"

int TPHeadAngular::ParseValue(const QString &text)
{
    if (text.size() > MaxTextLength)
        return NotANumber;
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? value : NotANumber;
}

TPHeadAngular::TPHeadAngular(TPDLLFunction &dll, TPRaster &raster, TPRemoteComm &remote,
                             TPFactory &factory, TPStatusControl &status)
    : dll_(dll), raster_(raster), remote_(remote), factory_(factory), status_(status)
{
}

uint16_t TPHeadAngular::WriteValue(const QString &text)
{
    const int value = ParseValue(text);
    if (value < MinValue || value > MaxValue) {
        failureIndex_ = FailureOutOfRange;
        return TPResult::HeadAngularError;
    }
    failureIndex_ = 0;
    const uint16_t sent = factory_.FactoryCommand05(static_cast<uint8_t>(value));
    return sent == TPResult::Ok ? factory_.FactoryCommand50() : sent;
}

uint16_t TPHeadAngular::ReadValue(QString *text)
{
    uint8_t stored = 0;
    const uint16_t read = dll_.ChanReadEeprom(TPHeadAngularPattern::ValueAddress, &stored);
    if (read == TPResult::Ok)
        *text = QString::number(static_cast<int8_t>(stored));
    return read;
}

uint16_t TPHeadAngular::Print()
{
    putBack_.Clear();
    uint16_t result = remote_.SendPaperSettings(PaperSettingsBlock);
    if (result == TPResult::Ok) {
        TPHeadAngularPattern pattern(dll_, raster_, factory_, status_);
        result = pattern.HeadAngularPattern();
        putBack_ = pattern.PutBack();
    }
    return result == TPResult::Ok ? raster_.EndPage() : result;
}

std::vector<TPMessageLine> TPHeadAngular::PutBackLines() const
{
    if (putBack_.Values().empty())
        return {};
    const QString was = QString::number(static_cast<int8_t>(putBack_.Values().front().byte));
    switch (putBack_.LastOutcome()) {
    case TPPutBack::Outcome::PutBack:
        return {{TPMode::NewLine, QStringLiteral("The stored head angular value was put back as "
                                                 "it was before the print (%1).")
                                      .arg(was)}};
    case TPPutBack::Outcome::MayHaveChanged:
        return {{TPMode::NewLine, QStringLiteral("The printer did not take the stored head angular "
                                                 "value back; it may be 0 now instead of %1.")
                                      .arg(was)}};
    case TPPutBack::Outcome::None:
        break;
    }
    return {};
}

TPErrorWording TPHeadAngular::ErrorWording() const
{
    if (failureIndex_ != FailureOutOfRange)
        return {};
    return {{{TPMode::Error, QStringLiteral("Head angular value is wrong.")}}, std::nullopt};
}

uint16_t TPHeadAngular::PaperFeed(TPRaster &raster)
{
    constexpr int PaperFeedLines = 20;
    const uint16_t code = raster.NewLines(PaperFeedLines);
    return code == TPResult::Ok ? raster.Flush() : code;
}
