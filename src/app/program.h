#pragma once

#include <memory>

class TPDLLFunction;
class TPRaster;
class TPStatusControl;
class TPRemoteComm;
class TPFactory;
class TFormBoot;
class TFormAdjust;
class TAboutBox;
class TFormQuit;

// The program-wide printer objects, one each, created before the first window in this order
// and destroyed after the message loop in reverse order (members go in reverse). The status
// object comes before the print stream, which keeps a reference to it.
struct TPProgram {
    std::unique_ptr<TPDLLFunction> dll;
    std::unique_ptr<TPStatusControl> status;
    std::unique_ptr<TPRaster> raster;
    std::unique_ptr<TPRemoteComm> remote;
    std::unique_ptr<TPFactory> factory;
};

// The window set: each window exists once for the whole run and reaches the others here.
struct TPWindows {
    TFormBoot *boot = nullptr;
    TFormAdjust *adjust = nullptr;
    TAboutBox *about = nullptr;
    TFormQuit *quit = nullptr;
};
