// novari-printer-sim: the virtual Halden Photo Q510/Q530 printer.

#include <cstdio>
#include <memory>

#include <QApplication>
#include <QCoreApplication>
#include <QStringList>

#include "controlclient.h"
#include "portdirectory.h"
#include "printerwindow.h"
#include "signalwatcher.h"
#include "simoptions.h"
#include "virtualprinter.h"

namespace
{

QStringList Arguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int main(int argc, char **argv)
{
    const QStringList arguments = Arguments(argc, argv);
    if (arguments.size() > 1 && arguments[1] == "control") {
        QCoreApplication app(argc, argv);
        return sim::RunControlCommand(arguments);
    }

    // The output tray is a window: only then does the printer need a GUI application.
    std::unique_ptr<QCoreApplication> app;
    if (arguments.contains("--tray"))
        app = std::make_unique<QApplication>(argc, argv);
    else
        app = std::make_unique<QCoreApplication>(argc, argv);
    QCoreApplication::setApplicationName("novari-printer-sim");

    sim::SimOptions options;
    if (const std::optional<int> exitCode = sim::ParseSimOptions(arguments, options))
        return *exitCode;

    sim::SignalWatcher stopSignals;
    QObject::connect(&stopSignals, &sim::SignalWatcher::Stop, app.get(), &QCoreApplication::quit);

    if (const QString warning = sim::PortDirectoryFallbackWarning(); !warning.isEmpty())
        std::fprintf(stderr, "novari-printer-sim: %s\n", qPrintable(warning));
    sim::VirtualPrinter printer(options);
    const QString why = printer.Start();
    if (!why.isEmpty()) {
        std::fprintf(stderr, "novari-printer-sim: %s\n", qPrintable(why));
        return 1;
    }
    std::unique_ptr<sim::PrinterWindow> window;
    if (options.tray) {
        window = std::make_unique<sim::PrinterWindow>(printer);
        window->show();
    }
    std::printf("novari-printer-sim: %s on port %s (%s), EEPROM %s\n",
                sim::ModelName(options.model).c_str(), qPrintable(printer.Port()),
                qPrintable(printer.SocketPath()), qPrintable(printer.EepromPath()));
    std::fflush(stdout);
    return app->exec();
}
