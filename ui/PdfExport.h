#pragma once

// snesenie --pdf OUT.pdf [JOB]: the statement of a sheet written straight to
// a PDF, with no window and no display, for offices that print many stations
// from a script.

class QString;

namespace snesenie {
class PageFields;
}

/// Whether the command line asks for --pdf. The program must then start
/// without a display: the caller picks the offscreen platform before any
/// QGuiApplication exists.
bool WantsPdfExport(int argc, char** argv);

/// Computes all three pages of the job (or of the example sheet) and writes
/// the statement. Creates its own QGuiApplication. Returns the exit status:
/// 0 written; 1 a page failed or the file could not be written, with the
/// message on stderr and nothing written; 2 a malformed command line.
int RunPdfExport(int argc, char** argv);

/// Fills the input fields from the job file at path. Returns false with a
/// Russian message in error when the job cannot be read; fields are then
/// left as they were.
// TODO(jobs): reading job files belongs to the job library; until it is
// wired in here, every job is refused with a message saying so.
bool LoadJobInto(const QString& path, snesenie::PageFields& fields, QString& error);
