// A batch of stations beside the sheet: Файл → Открыть пакет… (a table of
// stations) and Открыть папку заданий…, the list of stations with their
// verdicts, and a chosen station put on the sheet as a job would be opened.
// Reading and computing the batch belong to the batch library; the window
// only asks where, lists, and shows what went wrong.

#include "Unit1.h"
#include "FilePaths.h"

#include "BatchDocument.h"
#include "FieldTable.h"
#include "JobDocument.h"
#include "JobFile.h"
#include "KeepPainting.h"
#include "KeyboardRules.h"
#include "RangeMarks.h"
#include "ScreenFit.h"
#include "JobActions.h"
#include "StationPanel.h"
#include "WindowFields.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMenu>
#include <QScreen>
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QListView>

using namespace snesenie;

namespace {


// The frame round the window as the window system drew it; before the window
// is shown, room for a usual title bar and border.
QMargins FrameOf(const QWidget& window)
{
    if (!window.isVisible())
        return {4, 32, 4, 4};
    const QRect inner = window.geometry(), outer = window.frameGeometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

} // namespace

void TForm1::BuildBatch()
{
    // The access keys of the Файл menu are all taken but these.
    OpenBatchAction = new QAction("Открыть пак&ет…", this);
    OpenBatchAction->setObjectName("OpenBatchAction");
    OpenBatchAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    connect(OpenBatchAction, &QAction::triggered, this, &TForm1::OpenBatchFromDialog);
    // One file dialog cannot pick a file and a folder alike: a folder of jobs
    // has a dialog of its own.
    OpenJobFolderAction = new QAction("Открыть п&апку заданий…", this);
    OpenJobFolderAction->setObjectName("OpenJobFolderAction");
    connect(OpenJobFolderAction, &QAction::triggered, this, &TForm1::OpenJobFolderFromDialog);
    FileMenu->insertActions(SaveAction, {OpenBatchAction, OpenJobFolderAction});
    FileMenu->insertSeparator(SaveAction);
}

void TForm1::MakeStationPanel()
{
    Stations = new StationPanel;
    Stations->hide();
    Stations->setFixedWidth(StationPanel::kWidth);
    sheetRow_->addWidget(Stations);
    // Tab goes on from the page tabs to the list of stations while it is open.
    setTabOrder(PC1->tabBar(), Stations->List());
    setTabOrder(Stations->List(), Stations->CloseButton());
    connect(Stations, &StationPanel::StationChosen, this, &TForm1::ChooseStation);
    connect(Stations, &StationPanel::CloseRequested, this, &TForm1::CloseBatch);
    // Enter on the station the sheet holds goes on to type into the sheet.
    // A station that stopped was only said on the message line while the
    // list was browsed; Enter on it shows the box and points at the fault.
    connect(Stations->List(), &QListView::activated, this, [this](const QModelIndex& index) {
        if (index.row() != ShownStationRow())
            return;
        if (const std::optional<HeldReport> held = heldReport_) {
            SayOnMessageLine({});
            Report(held->icon, held->message, held->field);
            if (held->field.empty())
                keyboard_->CaretToPageStart();
        } else {
            keyboard_->CaretToPageStart();
        }
    });
}

void TForm1::OpenBatchFromDialog()
{
    settings_.Reload();
    QString folder = QtPath(settings_.JobFolder());
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(this, "Открыть пакет", folder, "Таблицы станций (*.csv);;Все файлы (*)");
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

void TForm1::OpenJobFolderFromDialog()
{
    settings_.Reload();
    QString folder = QtPath(settings_.JobFolder());
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QFileDialog dialog(this, "Открыть папку заданий", folder);
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

bool TForm1::OpenBatch(const QString& path)
{
    std::shared_ptr<batch::BatchDocument> opened;
    QString problem;
    {
        // Every station is computed here, a season's table in a second or
        // two: the list can then show every verdict at once.
        KeepPainting painting;
        try {
            opened = std::make_shared<batch::BatchDocument>(FsPath(path), sheet_->CurrentTolerances(),
                                                             sheet_->CurrentPrecision(),
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
        Report(QMessageBox::Critical, problem);
        return false;
    }
    // The list lets go of the batch it showed before that batch may go.
    Stations->Show(opened.get());
    batch_ = std::move(opened);
    ShowStationPanel(true);
    Stations->List()->setFocus(Qt::OtherFocusReason);
    return true;
}

int TForm1::ShownStationRow() const { return batch_ != nullptr && batch_ == stationBatch_ ? stationRow_ : -1; }

void TForm1::ChooseStation(int row)
{
    const int shown = ShownStationRow();
    if (batch_ == nullptr || row < 0 || row >= static_cast<int>(batch_->Size()) || row == shown)
        return;
    const batch::Station& station = batch_->StationAt(static_cast<std::size_t>(row));
    // A station that cannot go on the sheet leaves it, and the list, as they were.
    const auto refuse = [&](const QString& message) {
        Stations->SetCurrentRow(shown);
        Report(QMessageBox::Critical, message);
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
    if (!jobs_->MaybeSave()) {
        Stations->SetCurrentRow(shown);
        return;
    }

    // As a job is opened: every input takes its text, the sheet starts afresh.
    // The focus stays in the list, so that the next station is a key away.
    QWidget* focus = QApplication::focusWidget();
    job::Job texts;
    texts.texts = station.texts.ToMap();
    job::ApplyJob(texts, *fields_);
    ResetComputation();
    rangeMarks_->Refresh();
    // The station's texts are where it came from: unchanged until edited,
    // and saved only under a name the user gives.
    stationBatch_ = batch_;
    stationRow_ = row;
    jobs_->Adopt();
    Stations->SetCurrentRow(row);
    PC1->setCurrentWidget(TS1);
    if (focus != nullptr && Stations->isAncestorOf(focus))
        focus->setFocus(Qt::OtherFocusReason);
    else
        keyboard_->CaretToPageStart();
    // Computed as the batch computed it. Browsing the list must not take
    // the caret away from it: a page that stops is said on the message line
    // and the row, and shown as a box only on Enter.
    holdReports_ = true;
    for (const SheetAction action : {SheetAction::Page1, SheetAction::Page2, SheetAction::Page3})
        if (!Run(action))
            break;
    holdReports_ = false;
    ShowControl();  // the row's tooltip takes the reason the sheet stopped
}

QString TForm1::StationName() const
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

QString TForm1::StationJob() const
{
    return stationBatch_ == nullptr ? QString()
                                    : QtPath(stationBatch_->ProposedJob(static_cast<std::size_t>(stationRow_)));
}

void TForm1::ForgetStation()
{
    if (stationBatch_ == nullptr)
        return;
    const bool listed = ShownStationRow() >= 0;
    stationBatch_.reset();
    stationRow_ = -1;
    Stations->FollowSheet(-1, std::nullopt, {});
    if (listed)
        Stations->SetCurrentRow(-1);
}

void TForm1::CloseBatch()
{
    const bool focusInList = Stations->isAncestorOf(QApplication::focusWidget());
    Stations->Show(nullptr);
    batch_.reset();
    ShowStationPanel(false);
    if (focusInList)
        keyboard_->CaretToPageStart();
}

void TForm1::ShowStationPanel(bool show)
{
    if (Stations == nullptr || Stations->isHidden() != show)
        return;
    const int listWidth = Stations->width();
    Stations->setVisible(show);
    if (isMaximized() || isFullScreen())
        return;
    // The window grows by the list, as far as the screen allows; closed, the
    // list gives its room back, down to the whole sheet again.
    QRect wanted = geometry();
    if (show)
        wanted.setWidth(wanted.width() + StationPanel::kWidth);
    else
        wanted.setWidth(std::max(wanted.width() - listWidth, std::min(wanted.width(), NaturalSize().width())));
    setGeometry(screen() != nullptr ? FitToScreen(wanted, screen()->availableGeometry(), FrameOf(*this)) : wanted);
}

QString TForm1::BatchFileProblem(const QString& path) const
{
    for (const auto& batch : {batch_, stationBatch_})
        if (batch != nullptr && batch->ReadsFrom(FsPath(path)))
            return QString("Не удалось сохранить задание %1: это файл пакета станций %2, а пакет не "
                           "перезаписывается. Сохраните задание под другим именем.")
                .arg(QString::fromStdString(QuotePath(FsPath(path).string())),
                     QString::fromStdString(QuotePath(batch->Path().string())));
    return {};
}
