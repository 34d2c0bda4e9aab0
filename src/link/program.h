#pragma once

#include "dllfunction.h"
#include "factory.h"
#include "raster.h"
#include "remotecomm.h"
#include "statuscontrol.h"

#include <QString>
#include <memory>

// The program-wide printer objects, one each, made together before the first window and
// destroyed after the message loop in reverse order (members go in reverse). The status
// object and the print stream know each other: the stream asks for the status when the
// printer does not take data, and the status wait keeps the stream alive between polls.
struct TPProgram {
    // Why Create gave no program; the start-up words each reason in its own box.
    enum class Failure { None, MissingLibraries, OutOfMemory };

    // Binds the libraries in libraryFolder and makes the objects. Null on failure.
    static std::unique_ptr<TPProgram> Create(const QString &libraryFolder, Failure *failure);

    explicit TPProgram(const QString &libraryFolder);
    TPProgram(const TPProgram &) = delete;
    TPProgram &operator=(const TPProgram &) = delete;

    TPDLLFunction dll;
    TPStatusControl status{dll, raster};
    TPRaster raster{dll, status};
    TPRemoteComm remote{raster};
    TPFactory factory{raster};
};
