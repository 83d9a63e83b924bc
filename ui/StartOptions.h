#pragma once

#include <QString>
#include <QStringList>

/// What the window program's command line asks for.
struct StartOptions {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString job;      ///< the job file to open at start; empty: the example sheet
    QString message;  ///< the text to print for Help, Version and Error, in Russian
    QString pdf;      ///< --pdf: write the statement of the sheet there, with no window
};

/// Reads the command line, arguments[0] being the program. Needs no
/// application object, so --help and --version work where no window can be
/// opened; an unknown option or a second job is an Error with its message.
StartOptions ParseStartOptions(const QStringList& arguments);
