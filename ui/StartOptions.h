#pragma once

#include "Control.h"

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

/// What the window program's command line asks for.
struct StartOptions {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    QString job;      ///< the job file to open at start; empty: the example sheet
    QString message;  ///< the text to print for Help, Version and Error, in Russian
    QString pdf;      ///< --pdf: write the statement of the sheet there, with no window
    QString batch;    ///< --batch: with --pdf, the bundle of this table or folder of stations
    char separator = 0;  ///< --separator: of the table of stations; 0 takes it from the header
    /// --tolerances: over the stored ones, for this run's statements
    std::vector<std::pair<const snesenie::ToleranceField*, double>> tolerances;
    /// --precision: of the measurements, over the stored one, for this run's statements
    std::vector<std::pair<const snesenie::PrecisionField*, double>> precision;
};

/// Reads the command line, arguments[0] being the program. Needs no
/// application object, so --help and --version work where no window can be
/// opened; an unknown option or a second job is an Error with its message.
StartOptions ParseStartOptions(const QStringList& arguments);
