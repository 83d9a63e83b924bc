#pragma once

// snesenie --pdf OUT.pdf [JOB]: the statement of a sheet written straight to
// a PDF, with no window and no display, for offices that print many stations
// from a script.

#include "Settings.h"

#include <filesystem>

class QString;

/// Computes all three pages of the job at jobPath (or of the example sheet
/// when it is empty), judged by the tolerances of settingsFile (what it
/// cannot give is said on stderr and its default used), and writes the
/// statement to out. Creates its own
/// QGuiApplication, so the caller picks the offscreen platform first. Returns
/// the exit status: 0 written; 1 the job could not be read, a page failed or
/// the file could not be written, with the message on stderr and nothing
/// written.
int RunPdfExport(int argc, char** argv, const QString& out, const QString& jobPath,
                 const std::filesystem::path& settingsFile = snesenie::UserSettingsFile());
