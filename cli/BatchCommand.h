#pragma once

#include "Arguments.h"

namespace snesenie::cli {

/// --batch: reads the stations, computes each, writes the table of results
/// (to --results, or to standard output) and reports each station that
/// failed on standard error, with progress there too when it is a terminal.
/// Returns the exit status: 0 when every station is computed and within
/// tolerance, 3 when some tolerance is exceeded, 1 when some station failed
/// or the results could not be written, 2 when the stations cannot be read
/// or the results may not be written where asked (nothing is computed then).
/// Every station is judged by tolerances, the stored ones as the window uses.
/// With --pdf, the target is checked with the results' before anything is
/// computed, and after the results the window program writes the bundle;
/// 1 when it cannot be found or does not write it.
int RunBatchCommand(const Arguments& args, const Tolerances& tolerances, const Precision& precision);

} // namespace snesenie::cli
