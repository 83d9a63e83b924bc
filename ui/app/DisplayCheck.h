#pragma once

// Starting the window where there is no display to show it on. The toolkit
// would abort with its own English message and a core dump; the program says
// in Russian why and where else the sheet can be computed, and exits with 1.

#include <QString>

/// Why no window can be shown here, in Russian, or an empty string when a
/// display looks reachable. A platform chosen through QT_QPA_PLATFORM is taken
/// as it is. Reads only the environment and tries the local display sockets,
/// so it runs before the application object exists.
QString MissingDisplayReason();

/// The whole message for a start without a display, ending in a newline.
QString NoDisplayMessage(const QString& reason);

/// From here until EndStartGuard(), a fatal failure of the toolkit to open
/// its platform (a display that refuses the connection, one that went away
/// after the check) prints NoDisplayMessage with the toolkit's own words
/// below it and exits with status 1. The toolkit's other messages are held
/// back meanwhile and passed on by EndStartGuard().
void BeginStartGuard();
void EndStartGuard();
