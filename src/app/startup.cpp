#include "startup.h"

#include "adjust/dialogs/messagebox.h"
#include "adjust/formadjust.h"
#include "formabout.h"
#include "formboot.h"
#include "formquit.h"
#include "link/dllfunction.h"
#include "link/factory.h"
#include "link/raster.h"
#include "link/remotecomm.h"
#include "link/statuscontrol.h"
#include "link/wait.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <exception>
#include <new>

namespace
{
const QString ApplicationTitle = QStringLiteral("Adjustment program");
const QString MissingLibrariesText =
    QStringLiteral("Not found DLL files.\nThis program will be shut down.");
const QString OutOfMemoryText = QStringLiteral("There is not enough free memory to run this "
                                               "program.\nQuit one or more programs, and then "
                                               "try again.");

// The program's timed waits: a local event loop keeps the windows painted. Clicks and keys
// wait until the operation is over, so that no second operation starts inside one.
void EventLoopWait(int milliseconds)
{
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(milliseconds);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
} // namespace

TStartUp::TStartUp(const QString &libraryFolder) : libraryFolder_(libraryFolder) {}

TStartUp::~TStartUp()
{
    quit_.reset();
    about_.reset();
    adjust_.reset();
    boot_.reset();
    program_.reset();
}

bool TStartUp::CreateObjects()
{
    TPProgram::Failure failure = TPProgram::Failure::None;
    program_ = TPProgram::Create(libraryFolder_, &failure);
    switch (failure) {
    case TPProgram::Failure::MissingLibraries:
        MessageBox::Show(nullptr, MessageBox::Error, QString(), MissingLibrariesText);
        return false;
    case TPProgram::Failure::OutOfMemory:
        MessageBox::Show(nullptr, MessageBox::Error, QStringLiteral("Error!"), OutOfMemoryText);
        return false;
    case TPProgram::Failure::None:
        break;
    }
    return true;
}

void TStartUp::CreateWindows()
{
    QCoreApplication::setApplicationName(ApplicationTitle);
    QGuiApplication::setDesktopFileName(QStringLiteral("novari-adjust"));
    // Windows are hidden and shown again all through the run; only the selection window's
    // close ends it.
    QApplication::setQuitOnLastWindowClosed(false);

    boot_ = std::make_unique<TFormBoot>(program_->dll);
    adjust_ = std::make_unique<TFormAdjust>(*program_, boot_->Selection());
    about_ = std::make_unique<TAboutBox>();
    quit_ = std::make_unique<TFormQuit>();
    windows_.boot = boot_.get();
    windows_.adjust = adjust_.get();
    windows_.about = about_.get();
    windows_.quit = quit_.get();
    ConnectWindows();
    boot_->show();
}

void TStartUp::ConnectWindows()
{
    TFormBoot *boot = boot_.get();
    TFormAdjust *adjust = adjust_.get();
    TAboutBox *about = about_.get();
    TFormQuit *quit = quit_.get();
    QObject::connect(boot, &TFormBoot::PrinterOpened, adjust, [adjust] { adjust->show(); });
    QObject::connect(boot, &TFormBoot::VersionRequested, about, [about] { about->exec(); });
    QObject::connect(boot, &TFormBoot::Closed, boot, [this] { End(); });
    QObject::connect(adjust, &TFormAdjust::Closed, quit, [quit] { quit->show(); });
    QObject::connect(quit, &TFormQuit::ContinueChosen, boot, [boot] { boot->show(); });
    QObject::connect(quit, &TFormQuit::QuitChosen, boot, [quit, boot] {
        quit->hide();
        boot->close();
    });
}

void TStartUp::End()
{
    ended_ = true;
    QCoreApplication::exit(0);
}

TStartUp::State TStartUp::CurrentState() const
{
    if (ended_)
        return Ended;
    if (quit_ && quit_->isVisible())
        return Confirming;
    if (adjust_ && adjust_->isVisible())
        return Adjusting;
    return Selecting;
}

int TStartUp::Run(const QString &libraryFolder)
{
    TStartUp program(libraryFolder);
    if (!program.CreateObjects())
        return 0;
    try {
        Wait::SetHandler(EventLoopWait);
        program.CreateWindows();
        if (program.CurrentState() != Ended)
            QApplication::exec();
    } catch (const std::exception &error) {
        MessageBox::Show(nullptr, MessageBox::Error, ApplicationTitle,
                         QString::fromLocal8Bit(error.what()));
    }
    Wait::SetHandler({});
    return 0;
}

int TStartUp::Main(int argc, char **argv)
{
    // The program takes no command-line options: the toolkit is given the program name only.
    static char fallbackName[] = "novari-adjust";
    char *arguments[] = {argc > 0 && argv[0] ? argv[0] : fallbackName, nullptr};
    int count = 1;
    QApplication application(count, arguments);
    return Run(TPDLLFunction::ExecutableFolder());
}
