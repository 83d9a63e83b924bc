#pragma once

// The computation statement (ведомость): the sheet as the surveyor hands it
// in, built once as a document from the texts of the fields and handed as it
// is to a printer, a print preview or a PDF file.

#include "ControlRecord.h"
#include "PageFields.h"
#include "TableGrid.h"

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QString>

#include <filesystem>
#include <functional>
#include <map>
#include <string_view>
#include <memory>

class QPagedPaintDevice;
class QPainter;
class QPdfWriter;
class QTextDocument;
class QTextDocumentFragment;

struct StatementSource {
    const snesenie::PageFields& fields;      ///< every number exactly as the window shows it
    const snesenie::ControlRecord& control;  ///< the control, and which pages are current
    QString jobName;                         ///< empty: "без имени"
    QDateTime when;
};

/// Reads markup into an empty document of the paper (a statement, a
/// bundle's summary) in the paper's face, so they read as one document.
void SetPaperMarkup(QTextDocument& document, const QString& markup);

/// The statement in Russian, for an A4 portrait page: title, job, date and
/// version; the given data; the results of the three pages; the control with
/// its verdicts; the scheme; the signature line. A field not computed prints
/// as a dash, and pages that do not hold a current result are named. Needs a
/// QGuiApplication.
std::unique_ptr<QTextDocument> BuildStatement(const StatementSource& source);
/// As above, with the scheme already drawn: a bundle of many statements
/// shares one picture, so the PDF holds it once.
std::unique_ptr<QTextDocument> BuildStatement(const StatementSource& source, const QImage& scheme);

/// The one rendering routine: lays the document out on the device's pages
/// (A4 portrait unless a printer was set otherwise) and paints it.
void RenderStatement(const QTextDocument& statement, QPagedPaintDevice& device);

/// Gives a device with no margins of its own the statement's narrow paper
/// margins; before a painter is begun on it.
void PrepareStatementDevice(QPagedPaintDevice& device);

/// Paints a document as RenderStatement lays it out (2 cm margins, the pages
/// numbered at the foot from firstNumber on) with a painter already active
/// on the prepared device, from the device's current page on, and returns
/// how many pages it took. A document printed after another starts on a new
/// page of its own: the caller turns the page.
/// Ruled tables are drawn by the program (TableGrid.h) unless ownRules is
/// false, which leaves them to the text layout: the same pixels, several
/// times slower.
int PaintDocumentPages(const QTextDocument& document, QPainter& painter, QPagedPaintDevice& device,
                       int firstNumber = 1, bool ownRules = true);
/// A document laid out as PaintDocumentPages lays it out, its pages counted
/// before they are painted: a bundle painted in parts numbers a part's pages
/// once it knows where the part begins. Painted by the thread that laid it
/// out: the layout's glyphs belong to that thread's fonts.
class DocumentPages {
public:
    /// Lays out a copy of document; content is its whole text, taken as a
    /// fragment. A copy, not the document itself: filled from HTML with the
    /// device already set, it would be laid out about a third more slowly.
    DocumentPages(const QTextDocument& document, const QTextDocumentFragment& content, QPagedPaintDevice& device,
                  bool ownRules = true);
    ~DocumentPages();
    DocumentPages(const DocumentPages&) = delete;
    DocumentPages& operator=(const DocumentPages&) = delete;

    int Count() const { return count_; }
    /// Paints the pages from the device's current page on, numbered from firstNumber.
    void Paint(QPainter& painter, int firstNumber) const;

    /// Lays out the document fill makes, given it empty and set up for the
    /// device, in one edit; fill may be called twice.
    DocumentPages(const std::function<void(QTextDocument&)>& fill, QPagedPaintDevice& device, bool ownRules = true);

private:
    QPagedPaintDevice& device_;
    std::unique_ptr<QTextDocument> copy_;
    QList<TableGrid> grids_;
    qreal sourceDpiX_ = 96, sourceDpiY_ = 96;
    int count_ = 0;
};

/// The statements of a bundle made from templates. The markup of a
/// statement with the texts that differ from station to station left out
/// is read once; each station's statement is a copy of it with the texts
/// put in, the same document BuildStatement makes. Reading the markup was a
/// seventh of what a statement in a bundle cost. For one thread; it holds
/// no more than a few templates.
class StatementTemplates {
public:
    /// scheme is the one picture every statement shares.
    explicit StatementTemplates(const QImage& scheme);
    ~StatementTemplates();
    StatementTemplates(const StatementTemplates&) = delete;
    StatementTemplates& operator=(const StatementTemplates&) = delete;

    /// The statement of source laid out on device, as DocumentPages lays
    /// out BuildStatement(source, scheme).
    std::unique_ptr<DocumentPages> LayOut(const StatementSource& source, QPagedPaintDevice& device);

private:
    struct Template;
    QImage scheme_;
    std::map<QString, std::unique_ptr<Template>> templates_;  // by their markup
};

/// A4 portrait at 600 dpi, margins left to the document, title and creator
/// set: every PDF the program makes.
void SetUpPdfWriter(QPdfWriter& writer, const QString& title);

/// Hands finished PDF bytes to the one checked writer of the program's files.
/// Returns an empty string, or what went wrong, starting "Не удалось записать
/// " + what and the quoted path.
QString WritePdfFile(const QByteArray& bytes, const std::filesystem::path& path, const QString& what);
QString WritePdfFile(std::string_view bytes, const std::filesystem::path& path, const QString& what);

/// Writes the statement as a PDF with its fonts embedded, all or nothing,
/// through the checked writer of job files: an existing file is replaced only
/// once the new one is complete and on disk. A folder,
/// FIFO, socket or device at path is refused and left alone. Returns an empty
/// string, or what went wrong in Russian.
QString WriteStatementPdf(const QTextDocument& statement, const std::filesystem::path& path);
/// The same for a name as the window holds it.
QString WriteStatementPdf(const QTextDocument& statement, const QString& path);

/// The title of the statement, for window captions and the PDF's metadata.
QString StatementTitle();
