#pragma once

#include "link/program.h"
#include "windowset.h"

#include <QString>
#include <memory>

// Start-up, the window set and shutdown. The program entry calls Main(); tests run the same
// steps in-process with a library folder of their choice.
class TStartUp
{
public:
    // The visible state of a run: exactly one of the shell's windows is shown.
    enum State { Selecting, Adjusting, Confirming, Ended };

    explicit TStartUp(const QString &libraryFolder);
    // Windows first, then the program-wide objects in reverse order of creation.
    ~TStartUp();
    TStartUp(const TStartUp &) = delete;
    TStartUp &operator=(const TStartUp &) = delete;

    // Creates the program-wide objects. False when the program has to end; the reason has
    // been shown in a message box by then.
    bool CreateObjects();
    // Sets the application title, creates every window once (the selection window first)
    // and shows the selection window.
    void CreateWindows();

    TPProgram &Program() { return *program_; }
    const TPWindows &Windows() const { return windows_; }
    State CurrentState() const;

    // The whole run in the application object that exists: objects, windows, message loop
    // until the selection window closes, shutdown. Returns the exit code, always 0.
    static int Run(const QString &libraryFolder);
    // Program entry: the application object, then Run() with the executable's folder.
    static int Main(int argc, char **argv);

private:
    void ConnectWindows();
    void End();

    QString libraryFolder_;
    bool ended_ = false;
    std::unique_ptr<TPProgram> program_;
    std::unique_ptr<TFormBoot> boot_;
    std::unique_ptr<TFormAdjust> adjust_;
    std::unique_ptr<TAboutBox> about_;
    std::unique_ptr<TFormQuit> quit_;
    TPWindows windows_;
};
