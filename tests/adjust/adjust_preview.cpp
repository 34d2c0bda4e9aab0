// Shows the main window against a virtual printer in a chosen state, for looking at it on a
// desktop (or Xvfb): adjust_preview ready|paperout|unplugged|market|market-wrong [seconds]
#include "adjusttest.h"
#include "runtimedir.h"
#include "virtualprinter.h"

#include <QEventLoop>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

using namespace adjusttest;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString state = argc > 1 ? QString::fromLatin1(argv[1]) : QStringLiteral("ready");
    const int seconds = argc > 2 ? QString::fromLatin1(argv[2]).toInt() : 30;

    Wait::SetHandler([](int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    });
    novari_test::RuntimeDir runtime;
    novari_test::VirtualPrinter::Options options;
    options.port = QStringLiteral("USB001");
    options.timeScale = 0.05;
    novari_test::VirtualPrinter printer(runtime, options);
    if (!printer.Start()) {
        std::fprintf(stderr, "%s\n", qPrintable(printer.ErrorText()));
        return 1;
    }
    auto program = MakeProgram();
    TPSelection selection;
    selection.ModelCode = 1;
    selection.PortCode = 0x0401;
    selection.Destination = QStringLiteral("US/Euro");
    TPDLLFunction &dll = program->dll;
    dll.ChanSetCommandCode(0x5E, 0xA7);
    dll.GateOpenPort(selection.PortCode);
    dll.ChanOpen();
    if (state == QLatin1String("paperout") || state == QLatin1String("unplugged"))
        printer.Control(QStringLiteral("paper-out"));
    if (state == QLatin1String("market-wrong"))
        dll.ChanWriteEeprom(0xCD, 0x01);

    TFormAdjust window(*program, selection);
    window.show();
    if (state == QLatin1String("unplugged")) {
        printer.Control(QStringLiteral("unplug"));
        window.GetStatusBtnClick();
    }
    if (state.startsWith(QLatin1String("market"))) {
        List(window, "AdjustRdoGrp")->Button(0)->click();
        WaitForEnabled(window);
        window.findChild<QPushButton *>(QStringLiteral("DestCheckBtn"))->click();
    }
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
