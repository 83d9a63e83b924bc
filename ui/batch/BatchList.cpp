// ui/batch — a batch of stations beside the sheet: the list of stations with
// their verdicts (StationPanel) and the object that owns it (BatchList,
// here: Открыть пакет… and Открыть папку заданий…, a chosen station put on
// the sheet as a job would be opened, the station the sheet holds; its
// Экспорт пакета в PDF… is written in ui/paper). The reading and computing
// of a batch live in the batch library; this folder only asks where, shows
// and chooses, and says what went wrong.

#include "BatchList.h"
#include "FilePaths.h"

#include "BatchDocument.h"
#include "Errors.h"
#include "FieldTable.h"
#include "KeepPainting.h"
#include "StationPanel.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QStandardPaths>

using namespace snesenie;

BatchList::BatchList(QWidget& window, Settings& settings, Window sheet)
    : QObject(&window), window_(window), settings_(settings), sheet_(std::move(sheet))
{
    // The access keys of the Файл menu are all taken but these.
    OpenBatchAction = new QAction("Открыть пак&ет…", this);
    OpenBatchAction->setObjectName("OpenBatchAction");
    OpenBatchAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    connect(OpenBatchAction, &QAction::triggered, this, &BatchList::OpenBatchFromDialog);
    // One file dialog cannot pick a file and a folder alike: a folder of jobs
    // has a dialog of its own.
    OpenJobFolderAction = new QAction("Открыть п&апку заданий…", this);
    OpenJobFolderAction->setObjectName("OpenJobFolderAction");
    connect(OpenJobFolderAction, &QAction::triggered, this, &BatchList::OpenJobFolderFromDialog);
    BatchPdfAction = new QAction(QStringLiteral("Экспорт паке&та в PDF…"), this);
    BatchPdfAction->setObjectName(QStringLiteral("BatchPdfAction"));
    connect(BatchPdfAction, &QAction::triggered, this, &BatchList::ExportBatch);

    // A child of the window, which lays it out beside the sheet.
    Panel = new StationPanel(&window);
    Panel->hide();
    Panel->setFixedWidth(StationPanel::kWidth);
    connect(Panel, &StationPanel::StationChosen, this, &BatchList::ChooseStation);
    connect(Panel, &StationPanel::CloseRequested, this, &BatchList::CloseBatch);
}

BatchList::~BatchList() = default;

void BatchList::OpenBatchFromDialog()
{
    settings_.Reload();
    QString folder = QtPath(settings_.JobFolder());
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(&window_, "Открыть пакет", folder, "Таблицы станций (*.csv);;Все файлы (*)");
    dialog.setObjectName("BatchFileDialog");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    settings_.Reload();
    settings_.SetJobFolder(FsPath(QFileInfo(path).absolutePath()).string());
    (void)settings_.Save();
    OpenBatch(path);
}

void BatchList::OpenJobFolderFromDialog()
{
    settings_.Reload();
    QString folder = QtPath(settings_.JobFolder());
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(&window_, "Открыть папку заданий", folder);
    dialog.setObjectName("JobFolderDialog");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    settings_.Reload();
    settings_.SetJobFolder(FsPath(QFileInfo(path).absoluteFilePath()).string());
    (void)settings_.Save();
    OpenBatch(path);
}

bool BatchList::OpenBatch(const QString& path)
{
    std::shared_ptr<batch::BatchDocument> opened;
    QString problem;
    {
        // Every station is computed here, a season's table in a second or
        // two: the list can then show every verdict at once.
        KeepPainting painting;
        try {
            opened = std::make_shared<batch::BatchDocument>(FsPath(path), sheet_.tolerances(), sheet_.precision(),
                                                            [&painting] { painting(); });
        } catch (const batch::BatchError& e) {
            problem = QString::fromUtf8(e.what());
        } catch (const std::exception& e) {
            // A fault of the program, not of the file: said, and nothing changes.
            problem = QString::fromUtf8("Внутренняя ошибка программы: пакет не открыт. Сообщите о ней разработчикам (") +
                      QString::fromUtf8(e.what()) + QStringLiteral(").");
        }
    }
    if (opened == nullptr) {
        emit Failed(QMessageBox::Critical, problem);
        return false;
    }
    // The list lets go of the batch it showed before that batch may go.
    Panel->Show(opened.get());
    batch_ = std::move(opened);
    emit PanelShown(true);
    Panel->List()->setFocus(Qt::OtherFocusReason);
    return true;
}

int BatchList::ShownStationRow() const { return batch_ != nullptr && batch_ == stationBatch_ ? stationRow_ : -1; }

void BatchList::ChooseStation(int row)
{
    const int shown = ShownStationRow();
    if (batch_ == nullptr || row < 0 || row >= static_cast<int>(batch_->Size()) || row == shown)
        return;
    const batch::Station& station = batch_->StationAt(static_cast<std::size_t>(row));
    // A station that cannot go on the sheet leaves it, and the list, as they were.
    const auto refuse = [&](const QString& message) {
        Panel->SetCurrentRow(shown);
        emit Failed(QMessageBox::Critical, message);
    };
    if (!station.readError.empty())
        return refuse(QString::fromStdString(station.readError));
    // A box holds no more than a job may keep: a longer cell would be cut
    // short on the sheet and show another number than the list judged.
    for (const auto& [name, text] : station.texts.ToMap()) {
        if (QString::fromStdString(text).size() > job::kMaxTextLength) {
            const FieldInfo* field = FindField(name);
            return refuse(QString("Станцию %1 нельзя перенести на лист: в поле %2 текст длиннее %3 знаков.")
                              .arg(QString::fromStdString(QuoteText(station.name)),
                                   QString::fromStdString(QuoteText(field != nullptr ? field->caption : name)))
                              .arg(job::kMaxTextLength));
        }
    }
    if (!sheet_.maybeSave()) {
        Panel->SetCurrentRow(shown);
        return;
    }

    // As a job is opened: every input takes its text, the sheet starts afresh.
    // The focus stays in the list, so that the next station is a key away.
    QWidget* focus = QApplication::focusWidget();
    job::Job texts;
    texts.texts = station.texts.ToMap();
    sheet_.take(texts);
    stationBatch_ = batch_;
    stationRow_ = row;
    Panel->SetCurrentRow(row);
    sheet_.compute(focus);
}

QString BatchList::StationName() const
{
    if (stationBatch_ == nullptr)
        return {};
    // Names from a spreadsheet, shown as messages quote a text.
    const auto shown = [](const std::string& text) {
        const std::string quoted = QuoteText(text);
        return QString::fromStdString(quoted.substr(2, quoted.size() - 4));
    };
    return QStringLiteral("%1 (пакет %2)")
        .arg(shown(stationBatch_->StationAt(static_cast<std::size_t>(stationRow_)).name), shown(stationBatch_->Name()));
}

QString BatchList::StationJob() const
{
    return stationBatch_ == nullptr ? QString()
                                    : QtPath(stationBatch_->ProposedJob(static_cast<std::size_t>(stationRow_)));
}

void BatchList::ForgetStation()
{
    if (stationBatch_ == nullptr)
        return;
    const bool listed = ShownStationRow() >= 0;
    stationBatch_.reset();
    stationRow_ = -1;
    Panel->FollowSheet(-1, std::nullopt, {});
    if (listed)
        Panel->SetCurrentRow(-1);
}

void BatchList::CloseBatch()
{
    Panel->Show(nullptr);
    batch_.reset();
    emit PanelShown(false);
}

void BatchList::Judge(const Tolerances& tolerances, const Precision& precision)
{
    if (batch_ == nullptr)
        return;
    {
        KeepPainting painting;
        batch_->Judge(tolerances, precision, [&painting] { painting(); });
    }
    Panel->Refresh();
}

QString BatchList::WriteProblem(const QString& path) const
{
    for (const auto& batch : {batch_, stationBatch_})
        if (batch != nullptr && batch->ReadsFrom(FsPath(path)))
            return QString("Не удалось сохранить задание %1: это файл пакета станций %2, а пакет не "
                           "перезаписывается. Сохраните задание под другим именем.")
                .arg(QString::fromStdString(QuotePath(FsPath(path).string())),
                     QString::fromStdString(QuotePath(batch->Path().string())));
    return {};
}
