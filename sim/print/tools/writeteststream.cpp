// print-test-stream: writes a hand-built print stream to a file, to send to the virtual printer
// (or any printer of the family) by hand.
//
//   print-test-stream [--faults] [--full] FILE

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>

#include "teststream.h"

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("print-test-stream");
    QCommandLineParser parser;
    parser.setApplicationDescription("Writes a hand-built print stream for the virtual printer.");
    parser.addHelpOption();
    parser.addOption({"faults", "Add a second page with one fault of each kind."});
    parser.addOption({"full", "Write a full A4 page of raster data instead of the test page."});
    parser.addPositionalArgument("file", "The stream file to write.");
    parser.process(app);
    if (parser.positionalArguments().size() != 1) {
        parser.showHelp(2);
    }
    const std::vector<uint8_t> stream = parser.isSet("full")     ? sim::TestStream::FullPage(false)
                                        : parser.isSet("faults") ? sim::TestStream::FaultPage()
                                                                 : sim::TestStream::TestPage();
    QFile file(parser.positionalArguments().front());
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(reinterpret_cast<const char *>(stream.data()),
                   static_cast<qint64>(stream.size())) != static_cast<qint64>(stream.size())) {
        std::fprintf(stderr, "print-test-stream: cannot write %s\n",
                     qPrintable(parser.positionalArguments().front()));
        return 1;
    }
    std::printf("%zu bytes written to %s\n", stream.size(),
                qPrintable(parser.positionalArguments().front()));
    return 0;
}
