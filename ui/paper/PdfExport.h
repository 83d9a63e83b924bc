#pragma once

// snesenie --pdf OUT.pdf [JOB]: the statement of a sheet written straight to
// a PDF, with no window and no display, for offices that print many stations
// from a script.

#include "Settings.h"
#include "Stations.h"

#include <filesystem>
#include <utility>
#include <vector>

class QString;

/// The line that counts the stations of a bundle: "ведомости пакета:
/// станция DONE из TOTAL".
QString BundleProgressText(int done, int total);

/// Tolerances given on the command line for this run, over the stored ones.
using ToleranceOverrides = std::vector<std::pair<const snesenie::ToleranceField*, double>>;
/// The precision of the measurements given on the command line, over the stored one.
using PrecisionOverrides = std::vector<std::pair<const snesenie::PrecisionField*, double>>;

/// Computes all three pages of the job at jobPath (or of the example sheet
/// when it is empty), judged by the tolerances of settingsFile (what it
/// cannot give is said on stderr and its default used), and writes the
/// statement to out. Creates its own
/// QGuiApplication, so the caller picks the offscreen platform first. Returns
/// the exit status: 0 written; 1 the job could not be read, a page failed or
/// the file could not be written, with the message on stderr and nothing
/// written.
int RunPdfExport(int argc, char** argv, const std::filesystem::path& out, const std::filesystem::path& jobPath,
                 const ToleranceOverrides& tolerances = {},
                 const std::filesystem::path& settingsFile = snesenie::UserSettingsFile(),
                 const PrecisionOverrides& precision = {});

/// snesenie --batch STATIONS --pdf OUT.pdf: the bundle of a batch already
/// read from stationsPath (the summary, then every computed station's
/// statement), judged by the stored tolerances with those given over them.
/// The target was checked by the caller. Creates its own QGuiApplication.
/// Each station that fails is said on stderr. Returns the exit status: 0
/// every station computed and within tolerance, 3 some tolerance exceeded,
/// 1 some station failed or the PDF could not be written, 130 stopped by
/// Ctrl+C (SIGINT), the old PDF left as it was. On a terminal a line on
/// standard error counts the stations; with SNESENIE_PROGRESS=lines in the
/// environment the count goes there as lines "progress DONE TOTAL" instead,
/// for snesenie-cli to draw.
int RunBatchPdfExport(int argc, char** argv, const std::filesystem::path& out, const snesenie::batch::StationList& list,
                      const std::filesystem::path& stationsPath, const ToleranceOverrides& tolerances = {},
                      const std::filesystem::path& settingsFile = snesenie::UserSettingsFile(),
                      const PrecisionOverrides& precision = {});
