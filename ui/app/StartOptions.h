#pragma once

#include "Control.h"

#include <QString>

#include <string>
#include <utility>
#include <vector>

/// What the window program's command line asks for. File names are kept as
/// the system gave them (on POSIX the bytes, UTF-8 or not; on Windows UTF-8
/// of the UTF-16 command line), for Utf8Path to turn into paths: a name that
/// is not UTF-8 reaches the file it names.
struct StartOptions {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    std::string job;  ///< the job file to open at start; empty: the example sheet
    QString message;  ///< the text to print for Help, Version and Error, in Russian
    std::string pdf;    ///< --pdf: write the statement of the sheet there, with no window
    std::string batch;  ///< --batch: with --pdf, the bundle of this table or folder of stations
    char separator = 0;  ///< --separator: of the table of stations; 0 takes it from the header
    /// --tolerances: over the stored ones, for this run's statements
    std::vector<std::pair<const snesenie::ToleranceField*, double>> tolerances;
    /// --precision: of the measurements, over the stored one, for this run's statements
    std::vector<std::pair<const snesenie::PrecisionField*, double>> precision;
};

/// Reads the command line, arguments[0] being the program, each word as the
/// system gave it (see StartOptions). Needs no application object, so --help
/// and --version work where no window can be opened; an unknown option or a
/// second job is an Error with its message.
StartOptions ParseStartOptions(const std::vector<std::string>& arguments);

/// The words of this program's command line, argv[0] first: on POSIX the
/// bytes of argv, on Windows the UTF-16 command line as UTF-8.
std::vector<std::string> CommandLineWords(int argc, char** argv);
