#pragma once

#include <QString>

namespace sim
{

// "novari-printer-sim control PORT WORD [SECONDS]": sends the command to the printer on
// PORT and prints its answer. Returns the process exit code.
int RunControlCommand(const QStringList &arguments);

// The control words a printer understands, with what each does (for --help).
QString ControlWordsHelp();
bool IsControlWord(const QString &word);

} // namespace sim
