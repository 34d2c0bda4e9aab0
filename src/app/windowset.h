#pragma once

class TFormBoot;
class TFormAdjust;
class TAboutBox;
class TFormQuit;

// The window set: each window exists once for the whole run and reaches the others here.
struct TPWindows {
    TFormBoot *boot = nullptr;
    TFormAdjust *adjust = nullptr;
    TAboutBox *about = nullptr;
    TFormQuit *quit = nullptr;
};
