#pragma once

#include <functional>
#include <optional>
#include <string>

#include <QString>
#include <QStringList>

#include "mechanics.h"
#include "printermodel.h"

namespace sim
{

struct SimOptions {
    QString port; // empty: the first free USB name
    Model model = Model::Q510;
    Destination destination = Destination::UsEuro;
    QString eepromPath; // empty: one file per port in the user's state folder
    QString captureFolder;
    double timeScale = 1.0;
    QString pagesFolder;
    bool fullResolution = false;
    bool tray = false;
    // --mechanics: the printer's mechanical errors, replacing those kept with the EEPROM.
    bool mechanicsGiven = false;
    Mechanics mechanics;
    // Tests: called before each page file is put in place (no command-line option).
    std::function<void(const std::string &path)> beforePageSaved;
};

// Reads the printer's command line (arguments[0] is the program). Returns nothing when the
// printer is to run, else the exit code (help printed, or an error).
std::optional<int> ParseSimOptions(const QStringList &arguments, SimOptions &options);

// $XDG_STATE_HOME (or ~/.local/state)/novari-printer-sim/<PORT>.eep
QString DefaultEepromPath(const QString &port);

} // namespace sim
