#include "controlclient.h"

#include <cstdio>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocalSocket>

#include "controlserver.h"
#include "portdirectory.h"

namespace sim
{

namespace
{

struct ControlWord {
    const char *word;
    const char *help;
};

constexpr ControlWord kWords[] = {
    {"paper-out", "error 6, paper out (cleared by clear or reload-paper)"},
    {"jam", "error 4, paper jam"},
    {"ink-out", "error 5, the black cartridge is empty (clear replaces it)"},
    {"busy", "state 2, busy"},
    {"cleaning", "state 7, cleaning"},
    {"no-ink-charge", "state 8, before initial ink charge (an ink charge ends it)"},
    {"silent", "takes requests and never answers"},
    {"unplug", "drops the connection and removes the port socket"},
    {"reload-paper", "the paper was reloaded: ends a paper-out error"},
    {"power-off", "switched off: the port socket goes away, every request fails"},
    {"power-on", "switched on again: the port comes back and the printer boots"},
    {"drive-time-out-of-range", "next carriage timing run: drive time 273 or 871 (per use)"},
    {"drive-time-spread", "next three carriage timing runs spread by 12 counts"},
    {"clear", "back to ready: every fault ends, plugged in and answering again"},
};

void PrintError(const QString &text)
{
    std::fprintf(stderr, "novari-printer-sim: %s\n", qPrintable(text));
}

} // namespace

QString ControlWordsHelp()
{
    QString text;
    for (const ControlWord &word : kWords)
        text += QString("  %1 %2\n").arg(word.word, -24).arg(word.help);
    return text;
}

bool IsControlWord(const QString &word)
{
    for (const ControlWord &known : kWords)
        if (word == known.word)
            return true;
    return false;
}

int RunControlCommand(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Puts a running virtual printer into a fault, switches it off or on, or brings it\n"
        "back to ready.\n\nWords:\n" +
        ControlWordsHelp() +
        "SECONDS makes a fault, silent or unplug last that long, then it clears.");
    parser.addHelpOption();
    parser.addPositionalArgument("control", "The subcommand.", "control");
    parser.addPositionalArgument("PORT", "Port name of the printer, e.g. USB001.");
    parser.addPositionalArgument("WORD", "What to do (see above).");
    parser.addPositionalArgument("SECONDS", "How long the fault lasts (optional).", "[SECONDS]");
    if (!parser.parse(arguments)) {
        PrintError(parser.errorText());
        return 2;
    }
    if (parser.isSet("help")) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.size() < 3 || positional.size() > 4) {
        PrintError("usage: novari-printer-sim control PORT WORD [SECONDS]");
        return 2;
    }
    const QString port = positional[1];
    const QString line = positional.mid(2).join(' ');
    QString word;
    double seconds = 0;
    const QString why = ParseControlLine(line, word, seconds);
    if (!why.isEmpty()) {
        PrintError(why);
        return 2;
    }
    if (!IsControlWord(word)) {
        PrintError("unknown word \"" + word + "\"; words:\n" + ControlWordsHelp());
        return 2;
    }
    QString bad;
    const QString directory = MakePortDirectory(bad);
    if (directory.isEmpty()) {
        PrintError(bad);
        return 1;
    }
    const QString path = ControlSocketPath(directory, port);
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(2000)) {
        PrintError("no virtual printer runs on port " + port + " (nothing answers at " + path +
                   ")");
        return 1;
    }
    socket.write((line + "\n").toUtf8());
    socket.flush();
    QByteArray answer;
    while (!answer.contains('\n') && socket.waitForReadyRead(3000))
        answer += socket.readAll();
    answer += socket.readAll();
    answer = answer.trimmed();
    if (answer == "ok")
        return 0;
    PrintError(answer.isEmpty()
                   ? QString("the printer on port %1 did not answer").arg(port)
                   : "the printer on port " + port + " says: " + QString::fromUtf8(answer));
    return 1;
}

} // namespace sim
