// Файл → Экспорт пакета в PDF…: a season's stations, from a table or a
// folder of jobs, written as one bundle of statements without touching the
// sheet on the window. The list of stations (BatchList) owns the action;
// the bundle is paper, and is written here.

#include "BatchList.h"
#include "FilePaths.h"
#include "BatchDocument.h"
#include "Utf8Path.h"

#include "BatchBundle.h"
#include "Errors.h"
#include "Results.h"
#include "StatementTarget.h"

#include <QAction>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QEvent>
#include <QFileInfo>
#include <QCoreApplication>
#include <QMenu>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

#include <algorithm>

using namespace snesenie;

namespace {


// While a bundle is written the window stays open and painting, and a
// close of it (the title bar's ✕, the window manager) is held back: the
// bundle is stopped, what happened is said, and the window closes then.
class CloseDuringBundle : public QObject {
public:
    explicit CloseDuringBundle(QWidget* window) : window_(window) { window_->installEventFilter(this); }
    ~CloseDuringBundle() override { window_->removeEventFilter(this); }
    CloseDuringBundle(const CloseDuringBundle&) = delete;
    CloseDuringBundle& operator=(const CloseDuringBundle&) = delete;

    bool asked = false;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (object != window_ || event->type() != QEvent::Close)
            return false;
        asked = true;
        event->ignore();
        return true;
    }

private:
    QWidget* window_;
};

} // namespace

void BatchList::ExportBatch()
{
    // The batch listed beside the sheet is the one meant; only without one
    // are the stations asked for.
    if (batch_ != nullptr)
        return ExportBatchPdf(batch_->List(), QtPath(batch_->Path()));

    // A table is what most offices keep; a folder of jobs is the other kind
    // of batch, and a file dialog cannot offer both at once.
    QMessageBox which(QMessageBox::Question, sheet_.boxTitle,
                      QStringLiteral("Откуда взять станции пакета: из таблицы CSV или из папки заданий (.snesenie)?"),
                      QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, &window_);
    which.setObjectName(QStringLiteral("BatchSourceBox"));
    which.button(QMessageBox::Yes)->setText(QStringLiteral("&Таблица CSV…"));
    which.button(QMessageBox::No)->setText(QStringLiteral("&Папка заданий…"));
    which.button(QMessageBox::Cancel)->setText(QStringLiteral("Отмена"));
    which.setDefaultButton(QMessageBox::Yes);
    const int answer = which.exec();
    if (answer != QMessageBox::Yes && answer != QMessageBox::No)
        return;
    const bool table = answer == QMessageBox::Yes;

    const QString job = sheet_.jobPath();
    const QString start = job.isEmpty() ? QDir::homePath() : QFileInfo(job).absolutePath();
    QFileDialog dialog(&window_, table ? QStringLiteral("Таблица станций") : QStringLiteral("Папка заданий"), start,
                       table ? QStringLiteral("Таблица станций (*.csv);;Все файлы (*)") : QString());
    dialog.setObjectName(table ? QStringLiteral("BatchTableDialog") : QStringLiteral("BatchFolderDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(table ? QFileDialog::ExistingFile : QFileDialog::Directory);
    if (!table)
        dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString stations = dialog.selectedFiles().constFirst();

    batch::StationList list;
    try {
        list = batch::ReadStations(FsPath(stations));
    } catch (const batch::BatchError& e) {
        emit Failed(QMessageBox::Critical, QString::fromUtf8(e.what()));
        return;
    }
    ExportBatchPdf(list, stations);
}

void BatchList::ExportBatchPdf(const batch::StationList& list, const QString& stationsPath)
{
    // Beside the stations, under their name: станции.csv → станции.pdf, the
    // folder задания → задания.pdf beside it.
    const QFileInfo source(QDir::cleanPath(stationsPath));
    const QString proposed = source.absoluteDir().filePath(
        (source.isDir() ? source.fileName() : source.completeBaseName()) + QStringLiteral(".pdf"));
    QFileDialog dialog(&window_, QStringLiteral("Экспорт пакета в PDF"), proposed, QStringLiteral("PDF (*.pdf)"));
    dialog.setObjectName(QStringLiteral("BatchPdfFileDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    // A name typed without .pdf gets it, so the table itself is never the target.
    QString path = dialog.selectedFiles().constFirst();
    if (!job::HasPdfExtension(FsPath(path)))
        path += QStringLiteral(".pdf");

    // A thousand stations take a while: a dialog counts them and Отмена
    // stops them, and the window paints meanwhile. A small batch is done
    // before the dialog would show.
    const int total = static_cast<int>(list.stations.size());
    QProgressDialog progress(QStringLiteral("Станция 1 из %1").arg(total), QStringLiteral("Отмена"), 0, total, &window_);
    progress.setObjectName(QStringLiteral("BatchProgressDialog"));
    progress.setWindowTitle(QStringLiteral("Экспорт пакета в PDF"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    // Wide enough for its title, which a small window manager cuts short.
    progress.setMinimumWidth(progress.fontMetrics().averageCharWidth() * 44);
    progress.setAutoReset(false);
    // Closed by Esc or by the window manager, it stops the bundle as Отмена does.
    connect(&progress, &QDialog::rejected, &progress, &QProgressDialog::cancel);
    CloseDuringBundle closing(&window_);
    const BundleReport report = WriteBatchBundle(
        list, {StationsName(FsPath(stationsPath)), sheet_.tolerances(), QDateTime::currentDateTime(), sheet_.precision()}, path,
        [&](int done, int all) {
            progress.setLabelText(QStringLiteral("Станция %1 из %2").arg(std::min(done + 1, all)).arg(all));
            progress.setValue(done);
            // Until the dialog shows and holds the window, the window only
            // paints: a click there must not start another bundle or close
            // the batch being written.
            QCoreApplication::processEvents(progress.isVisible() ? QEventLoop::AllEvents
                                                                 : QEventLoop::ExcludeUserInputEvents);
            return !progress.wasCanceled() && !closing.asked;
        });
    progress.reset();
    if (report.stopped) {
        emit Failed(closing.asked ? QMessageBox::Warning : QMessageBox::Information,
               closing.asked ? report.error + QStringLiteral("\nОкно закрывается.") : report.error);
        if (closing.asked)
            QMetaObject::invokeMethod(&window_, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    if (!report.error.isEmpty()) {
        emit Failed(QMessageBox::Critical, report.error);
        return;
    }
    QString said = QStringLiteral("Пакет ведомостей записан: %1.\nВычислено станций: %2, не вычислено: %3, "
                                  "допуск превышен: %4.")
                       .arg(QString::fromStdString(QuotePath(FsPath(path).string())))
                       .arg(report.computed)
                       .arg(report.failed)
                       .arg(report.exceeded);
    if (report.failed > 0)
        said += QStringLiteral("\nСтанции, которые не вычислены, отмечены в сводке на первой странице.");
    emit Failed(report.failed > 0 || report.exceeded > 0 ? QMessageBox::Warning : QMessageBox::Information, said);
}
