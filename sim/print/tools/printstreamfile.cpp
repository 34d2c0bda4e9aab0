// print-stream-file: prints a stream file with the virtual printer's print engine alone, without
// the link: pages and the job report go to a folder, and --tray shows them in the output tray.
//
//   print-stream-file [--pages DIR] [--full-resolution] [--tray] FILE...

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>

#include <cstdio>
#include <cstring>
#include <memory>

#include "outputtray.h"
#include "printengine.h"

namespace
{

class ConsoleHooks : public sim::FirmwareHooks
{
public:
    std::string FactoryPacket(const std::vector<uint8_t> &packet) override
    {
        std::printf("factory packet, %zu bytes\n", packet.size());
        return {};
    }
    std::string RemoteCommand(const std::string &name,
                              const std::vector<uint8_t> &parameters) override
    {
        std::printf("remote command %s, %zu parameter bytes\n", name.c_str(), parameters.size());
        return {};
    }
    void PagePrinted(double seconds) override
    {
        std::printf("page out after %.1f s on paper\n", seconds);
    }
};

} // namespace

int main(int argc, char **argv)
{
    // Only the tray needs a display.
    bool wantTray = false;
    for (int i = 1; i < argc; ++i) {
        wantTray = wantTray || std::strcmp(argv[i], "--tray") == 0;
    }
    std::unique_ptr<QCoreApplication> application(wantTray ? new QApplication(argc, argv)
                                                           : new QCoreApplication(argc, argv));
    QCoreApplication &app = *application;
    QCoreApplication::setApplicationName("print-stream-file");
    QCommandLineParser parser;
    parser.setApplicationDescription("Prints stream files with the virtual printer's engine.");
    parser.addHelpOption();
    parser.addOption({"pages", "Write page PNGs and job reports to DIR.", "DIR"});
    parser.addOption({"full-resolution", "Write pages at 360 dpi."});
    parser.addOption({"tray", "Show the pages in the output tray window."});
    parser.addPositionalArgument("files", "Stream files, each printed as one job.", "FILE...");
    parser.process(app);
    if (parser.positionalArguments().isEmpty()) {
        parser.showHelp(2);
    }
    ConsoleHooks hooks;
    sim::PrintOptions options;
    options.pagesFolder = parser.value("pages").toStdString();
    options.fullResolution = parser.isSet("full-resolution");
    sim::PrintEngine engine(hooks, options);
    sim::OutputTray *tray = nullptr;
    if (parser.isSet("tray")) {
        tray = new sim::OutputTray;
        tray->setAttribute(Qt::WA_DeleteOnClose);
        engine.SetPageListener([tray](const sim::PrintedPage &page) { tray->AddPage(page); });
        tray->show();
    }
    for (const QString &name : parser.positionalArguments()) {
        QFile file(name);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "print-stream-file: cannot read %s\n", qPrintable(name));
            return 1;
        }
        const QByteArray bytes = file.readAll();
        engine.Feed(reinterpret_cast<const uint8_t *>(bytes.constData()),
                    static_cast<size_t>(bytes.size()));
        engine.EndJob();
        std::printf("%s\n", engine.LastReportJson().c_str());
    }
    return tray ? app.exec() : 0;
}
