#pragma once

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
    /// in command-line order, each field once with the last text given to it
    std::vector<std::pair<std::string, std::string>> assignments;
    std::vector<Press> presses{Press::Ok1, Press::Ok2, Press::Ok3};
    bool pressGiven = false;  ///< --press was on the command line
    std::string job;      ///< --job: a job file put on the sheet before every assignment
    std::string saveJob;  ///< --save-job: where the inputs are written after the presses
    std::string batch;    ///< --batch: a table of stations or a folder of jobs, each computed
    std::string results;  ///< --results: where the batch's table of results is written
    char separator = 0;   ///< --separator: of the table of stations; 0 takes it from the header
};

/// A malformed command line; what() says what is wrong, in Russian.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// Reads the command line, and the --input files it names. Throws UsageError.
Arguments ParseArguments(const std::vector<std::string>& args);

/// The name of a press as typed: ok1, ok2, ok3, clear1, clear2.
const char* PressName(Press p);

/// The text printed by --help.
const char* UsageText();

} // namespace snesenie::cli
