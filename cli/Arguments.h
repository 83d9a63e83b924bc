#pragma once

#include "Accuracy.h"
#include "Control.h"
#include "Errors.h"

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace snesenie::cli {

enum class Press { Ok1, Ok2, Ok3, Clear1, Clear2 };

/// What the command line asked for, checked through: every field named
/// exists and is an input, every press is known.
struct Arguments {
    bool help = false;
    bool version = false;
    bool state = false;
    bool control = false;  ///< --control: the control lines after the fields
    bool fields = false;   ///< --fields: the table of fields instead of a sheet
    bool sheet = false;    ///< --sheet: the pages laid out for people instead of NAME=TEXT
    /// in command-line order, each field once with the last text given to it
    std::vector<std::pair<std::string, std::string>> assignments;
    std::vector<Press> presses{Press::Ok1, Press::Ok2, Press::Ok3};
    bool pressGiven = false;  ///< --press was on the command line
    std::string job;      ///< --job: a job file put on the sheet before every assignment
    std::string saveJob;  ///< --save-job: where the inputs are written after the presses
    /// --tolerances: the tolerances set for this run, each checked against
    /// its range, the last value of a key counting; the others are the stored ones
    std::vector<std::pair<const ToleranceField*, double>> tolerances;
    /// --precision: the precision of the measurements for this run, as --tolerances
    std::vector<std::pair<const PrecisionField*, double>> precision;
    std::string batch;    ///< --batch: a table of stations or a folder of jobs, each computed
    std::string results;  ///< --results: where the batch's table of results is written
    std::string pdf;      ///< --pdf: where the bundle of the batch's statements is written
    char separator = 0;   ///< --separator: of the table of stations; 0 takes it from the header
};

/// A malformed command line; what() says what is wrong, in Russian.
class UsageError : public UserError {
public:
    using UserError::UserError;
};

/// Reads the command line, and the --input files it names. Throws UsageError.
Arguments ParseArguments(const std::vector<std::string>& args);

/// The name of a press as typed: ok1, ok2, ok3, clear1, clear2.
const char* PressName(Press p);

/// The text printed by --help. Its lists and numbers (the presses, the
/// number of fields, the tolerances and their ranges) come from the code.
std::string UsageText();

/// Every option ParseArguments accepts, as typed (--press, -h, …).
std::vector<std::string> OptionNames();

} // namespace snesenie::cli
