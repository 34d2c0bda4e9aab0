#include "simoptions.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QDir>

#include "controlclient.h"

namespace sim
{

namespace
{

int Fail(const QString &text)
{
    std::fprintf(stderr, "novari-printer-sim: %s\n", qPrintable(text));
    return 2;
}

} // namespace

QString DefaultEepromPath(const QString &port)
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!QDir::isAbsolutePath(state))
        state = QDir::homePath() + "/.local/state";
    return state + "/novari-printer-sim/" + port + ".eep";
}

std::optional<int> ParseSimOptions(const QStringList &arguments, SimOptions &options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Virtual Halden Photo Q510/Q530 printer: answers the link protocol on a socket in the "
        "port directory ($XDG_RUNTIME_DIR/novari-ports, else /tmp/novari-ports-<uid>), keeps "
        "its EEPROM in a file, and prints what it is sent. It checks every factory packet "
        "and applies it as the printer's firmware would: Bi-D, head angular and first dot "
        "values land where the adjustment program reads them (head angular and first dot "
        "once 50 commits them), cleaning (41 s) and ink charge (70 s) use ink and fill the "
        "waste ink counter, carriage timing runs leave drive times at 52/53, D5 moves the "
        "platen gap.\n\n"
        "  novari-printer-sim control PORT WORD [SECONDS]\n"
        "puts the printer on PORT into a fault (WORD), for SECONDS if given, or switches "
        "it off and on:\n" +
        ControlWordsHelp());
    parser.addHelpOption();
    parser.addOptions({
        {"port",
         "Port name (default: the first USB001, USB002, ... that no device node "
         "and no running virtual printer uses).",
         "NAME"},
        {"model", "q510 or q530 (default q510).", "MODEL", "q510"},
        {"destination",
         "Market of a new EEPROM: us-euro or latin (Q510), asia or eal (Q530); "
         "default the model's first.",
         "DEST"},
        {"eeprom",
         "EEPROM image file (default: $XDG_STATE_HOME or ~/.local/state, then "
         "novari-printer-sim/<PORT>.eep). A missing file starts from the factory "
         "image.",
         "FILE"},
        {"capture",
         "Write every data byte to DIR/data.bin and every request, and every "
         "factory or remote-mode packet with what it did or why it was rejected, to "
         "DIR/events.jsonl.",
         "DIR"},
        {"time-scale",
         "Multiply every duration (cleaning, ink charge, printing, boot) by F "
         "(default 1).",
         "F", "1"},
        {"pages", "Save printed pages as PNG files, with a report per job, in DIR.", "DIR"},
        {"full-resolution", "Save pages at 360 dpi instead of a size for the screen."},
        {"tray", "Show the printer's window: state, ink, platen gap, the last factory "
                 "command, Paper, Clear faults and Power buttons, and the output tray "
                 "with the printed pages."},
        {"mechanics",
         "The printer's mechanical errors: random:SEED (a reproducible printer out of "
         "adjustment) or a JSON file (see sim/README.md). Kept next to the EEPROM file; "
         "without it the kept ones, else none.",
         "FILE"},
    });
    if (!parser.parse(arguments))
        return Fail(parser.errorText() + " (see --help)");
    if (parser.isSet("help")) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return Fail("unexpected argument \"" + parser.positionalArguments().first() +
                    "\" (see --help)");

    const std::optional<Model> model = ModelFromWord(parser.value("model").toStdString());
    if (!model)
        return Fail("--model must be q510 or q530, not \"" + parser.value("model") + "\"");
    options.model = *model;
    options.destination = DestinationsOf(*model).front();
    if (parser.isSet("destination")) {
        const std::optional<Destination> destination =
            DestinationFromWord(parser.value("destination").toStdString());
        if (!destination)
            return Fail("--destination must be us-euro, latin, asia or eal, not \"" +
                        parser.value("destination") + "\"");
        if (!Offers(*model, *destination))
            return Fail(QString("the %1 is not sold for %2")
                            .arg(QString::fromStdString(ModelName(*model)))
                            .arg(parser.value("destination")));
        options.destination = *destination;
    }
    bool ok = false;
    options.timeScale = parser.value("time-scale").toDouble(&ok);
    if (!ok || !(options.timeScale >= 0) || options.timeScale > 1000)
        return Fail("--time-scale must be a number from 0 to 1000, not \"" +
                    parser.value("time-scale") + "\"");
    options.port = parser.value("port");
    if (parser.isSet("port") && options.port.isEmpty())
        return Fail("--port needs a name");
    options.eepromPath = parser.value("eeprom");
    options.captureFolder = parser.value("capture");
    options.pagesFolder = parser.value("pages");
    options.fullResolution = parser.isSet("full-resolution");
    options.tray = parser.isSet("tray");
    if (parser.isSet("mechanics")) {
        const std::string why = LoadMechanics(parser.value("mechanics").toStdString(),
                                              options.model, options.mechanics);
        if (!why.empty())
            return Fail(QString::fromStdString(why));
        options.mechanicsGiven = true;
    }
    return std::nullopt;
}

} // namespace sim
