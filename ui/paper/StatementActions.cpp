// The statement's menu actions: printing, the preview and the PDF. The
// printing machinery is made on first use only, so that the window starts
// as fast without it.

#include "StatementActions.h"

#include "Errors.h"
#include "Statement.h"
#include "StatementTarget.h"
#include "Utf8Path.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QTextDocument>
#include <QWidget>

namespace {

// A printer on A4 portrait, as the statement is laid out.
void SetUpPrinter(QPrinter& printer)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setDocName(StatementTitle());
}

} // namespace

StatementActions::StatementActions(QWidget& window, Source source)
    : QObject(&window), window_(window), source_(std::move(source))
{
    Print = new QAction(QStringLiteral("&Печать…"), this);
    Print->setObjectName(QStringLiteral("PrintAction"));
    Print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(Print, &QAction::triggered, this, &StatementActions::PrintStatement);
    Preview = new QAction(QStringLiteral("Пред&варительный просмотр…"), this);
    Preview->setObjectName(QStringLiteral("PreviewAction"));
    connect(Preview, &QAction::triggered, this, &StatementActions::PreviewStatement);
    Pdf = new QAction(QStringLiteral("&Экспорт в PDF…"), this);
    Pdf->setObjectName(QStringLiteral("PdfAction"));
    Pdf->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(Pdf, &QAction::triggered, this, &StatementActions::ExportStatement);
}

QString StatementActions::ExportPdf(const QString& path) const
{
    return WriteStatementPdf(*source_.build(), path);
}

void StatementActions::PrintStatement()
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    QPrintDialog dialog(&printer, &window_);
    dialog.setObjectName(QStringLiteral("PrintDialog"));
    dialog.setWindowTitle(QStringLiteral("Печать"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    RenderStatement(*source_.build(), printer);
}

void StatementActions::PreviewStatement()
{
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    const std::unique_ptr<QTextDocument> statement = source_.build();
    QPrintPreviewDialog preview(&printer, &window_);
    preview.setObjectName(QStringLiteral("PrintPreviewDialog"));
    preview.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [&statement](QPrinter* target) { RenderStatement(*statement, *target); });
    // At the page's width the numbers can be read; the dialog's own start
    // shows the whole page at a size where they cannot.
    if (auto* view = preview.findChild<QPrintPreviewWidget*>())
        view->setZoomMode(QPrintPreviewWidget::FitToWidth);
    preview.exec();
}

void StatementActions::ExportStatement()
{
    // Beside the job it belongs to, under the job's name; a station's beside
    // its batch, under the name its job would be given.
    const QString proposed = source_.proposedJob();
    const QString name = proposed.isEmpty() ? QStringLiteral("ведомость") : QFileInfo(proposed).completeBaseName();
    const QDir folder = proposed.isEmpty() ? QDir::home() : QFileInfo(proposed).absoluteDir();
    QFileDialog dialog(&window_, QStringLiteral("Экспорт в PDF"), folder.filePath(name + ".pdf"),
                       QStringLiteral("PDF (*.pdf)"));
    dialog.setObjectName(QStringLiteral("PdfFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    // A name typed without .pdf gets it: "станция7.snesenie" becomes
    // "станция7.snesenie.pdf", never the job itself.
    QString path = dialog.selectedFiles().constFirst();
    namespace job = snesenie::job;
    if (!job::HasPdfExtension(job::PathFromUtf8(path.toStdString())))
        path += QStringLiteral(".pdf");
    QString error;
    if (const std::string problem =
            job::StatementTargetProblem(job::PathFromUtf8(path.toStdString()), source_.jobFile());
        !problem.empty())
        error = QStringLiteral("Не удалось записать ведомость %1: %2.")
                    .arg(QString::fromStdString(snesenie::QuotePath(path.toStdString())),
                         QString::fromStdString(problem));
    else
        error = ExportPdf(path);
    if (!error.isEmpty())
        emit Failed(error);
}
