#pragma once

#include "adjust/errorreport.h"
#include "print/putback.h"

#include <QString>
#include <cstdint>

class TPDLLFunction;
class TPFactory;
class TPRaster;
class TPRemoteComm;
class TPStatusControl;

// Head angular adjustment: one signed correction of the head's tilt at EEPROM 0x75, written
// with the head angular factory command and the settings commit command.
class TPHeadAngular
{
public:
    static constexpr int MinValue = -3;
    static constexpr int MaxValue = 3;
    static constexpr int MaxTextLength = 2;
    static constexpr int NotANumber = 100;
    static constexpr int FailureOutOfRange = 1;
    static constexpr int PaperSettingsBlock = 2;

    // The number the edit's text stands for, as QString::toInt in base 10; NotANumber for
    // anything else and for text over two characters.
    static int ParseValue(const QString &text);

    TPHeadAngular(TPDLLFunction &dll, TPRaster &raster, TPRemoteComm &remote, TPFactory &factory,
                  TPStatusControl &status);

    // Validates and sends the value; out of range gives TPResult::HeadAngularError with the
    // failure index FailureOutOfRange and sends nothing.
    uint16_t WriteValue(const QString &text);
    uint16_t ReadValue(QString *text);
    // Paper settings, the pattern (printed at angle 0, the stored value restored, also when
    // the print fails in between) and the form feed.
    uint16_t Print();
    // After a failed print: the line that says whether the stored value was put back.
    std::vector<TPMessageLine> PutBackLines() const;
    // Feeds the paper out by line feeds (also the head check page's "Paper feed").
    static uint16_t PaperFeed(TPRaster &raster);

    int FailureIndex() const { return failureIndex_; }
    TPErrorWording ErrorWording() const;

private:
    TPDLLFunction &dll_;
    TPRaster &raster_;
    TPRemoteComm &remote_;
    TPFactory &factory_;
    TPStatusControl &status_;
    TPPutBack putBack_;
    int failureIndex_ = 0;
};
