#pragma once

// The computation statement (ведомость): the sheet as the surveyor hands it
// in, built once as a document from the texts of the fields and handed as it
// is to a printer, a print preview or a PDF file.

#include "ControlRecord.h"
#include "PageFields.h"

#include <QDateTime>
#include <QString>

#include <memory>

class QPagedPaintDevice;
class QTextDocument;

struct StatementSource {
    const snesenie::PageFields& fields;      ///< every number exactly as the window shows it
    const snesenie::ControlRecord& control;  ///< the control, and which pages are current
    QString jobName;                         ///< empty: "без имени"
    QDateTime when;
};

/// The statement in Russian, for an A4 portrait page: title, job, date and
/// version; the given data; the results of the three pages; the control with
/// its verdicts; the scheme; the signature line. A field not computed prints
/// as a dash, and pages that do not hold a current result are named. Needs a
/// QGuiApplication.
std::unique_ptr<QTextDocument> BuildStatement(const StatementSource& source);

/// The one rendering routine: lays the document out on the device's pages
/// (A4 portrait unless a printer was set otherwise) and paints it.
void RenderStatement(const QTextDocument& statement, QPagedPaintDevice& device);

/// Writes the statement as a PDF with its fonts embedded, all or nothing,
/// through the checked writer of job files: an existing file is replaced only
/// once the new one is complete and on disk. A folder,
/// FIFO, socket or device at path is refused and left alone. Returns an empty
/// string, or what went wrong in Russian.
QString WriteStatementPdf(const QTextDocument& statement, const QString& path);

/// The title of the statement, for window captions and the PDF's metadata.
QString StatementTitle();
