// The sheet as a document: Файл → Создать, Открыть…, Недавние, Сохранить,
// Сохранить как…, the job's name and modified mark in the title, and the
// question asked before changed inputs would be thrown away. Reading,
// checking and writing job files belongs to the job library; the window only
// asks where and shows what went wrong.

#include "Unit1.h"
#include "FilePaths.h"

#include "BatchDocument.h"
#include "Errors.h"
#include "FieldTable.h"
#include "JobDocument.h"
#include "JobFile.h"
#include "KeyboardRules.h"
#include "RangeMarks.h"
#include "Utf8Path.h"
#include "WindowFields.h"
#include "WindowMenus.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>

using namespace snesenie;

namespace {

const char* const kCaption = "Снесение координат с вершины знака на землю.";

// Names go between Qt and the job library as UTF-8 text: on Windows a path
// is UTF-16 and the local 8-bit encoding is the ANSI code page.
QString FromFs(const std::string& path) { return QString::fromStdString(path); }

bool IsInput(const FieldInfo& f) { return f.kind == FieldKind::Input; }

} // namespace

void TForm1::BuildJobActions()
{
    document_ = std::make_unique<job::JobDocument>();
    NewAction = new QAction("&Создать", this);
    NewAction->setObjectName("NewAction");
    NewAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(NewAction, &QAction::triggered, this, &TForm1::NewJob);

    OpenAction = new QAction("&Открыть…", this);
    OpenAction->setObjectName("OpenAction");
    OpenAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(OpenAction, &QAction::triggered, this, &TForm1::OpenJobFromDialog);

    RecentMenu = new QMenu("&Недавние", this);
    RecentMenu->setObjectName("RecentMenu");

    SaveAction = new QAction("Со&хранить", this);
    SaveAction->setObjectName("SaveAction");
    SaveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(SaveAction, &QAction::triggered, this, &TForm1::SaveJob);

    SaveAsAction = new QAction("Сохранить &как…", this);
    SaveAsAction->setObjectName("SaveAsAction");
    SaveAsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(SaveAsAction, &QAction::triggered, this, &TForm1::SaveJobAs);

    menus_->AddToJobs({NewAction, OpenAction});
    menus_->AddToJobs(RecentMenu);
    menus_->AddToJobs({nullptr, SaveAction, SaveAsAction});
    // Another copy of the program may have opened or saved a job meanwhile.
    connect(FileMenu, &QMenu::aboutToShow, this, &TForm1::RebuildRecentMenu);
    RebuildRecentMenu();

    for (int page = 1; page <= 3; ++page)
        if (fields_->Made(page))
            WatchJobInputs(page);
    UpdateJobTitle();
}

void TForm1::WatchJobInputs(int page)
{
    for (const FieldInfo& f : Fields())
        if (IsInput(f) && f.page == page)
            connect(fields_->Edit(std::string(f.name)), &QLineEdit::textChanged, this, &TForm1::UpdateJobTitle);
}

QString TForm1::JobPath() const { return QString::fromStdString(job::PathToUtf8(document_->Path())); }

// The texts a save would write, not the boxes' own: a tab or line break
// pasted at the end of a number is not saved, so adding or removing one is
// no change to the job.
bool TForm1::IsSheetChanged() const { return document_->IsChanged(job::JobFromFields(*fields_)); }

void TForm1::UpdateJobTitle()
{
    // A station of a batch is named with its batch, and marked once edited.
    if (JobPath().isEmpty() && stationBatch_ != nullptr) {
        setWindowTitle(StatementJobName() + "[*] — " + kCaption);
        setWindowModified(IsSheetChanged());
        return;
    }
    // Without a job the title is the task's name alone until the sheet is
    // edited; then it is marked like a job's, so that an unsaved sheet is
    // never taken for a saved one.
    if (JobPath().isEmpty()) {
        const bool changed = IsSheetChanged();
        setWindowTitle(changed ? QString("Без имени[*] — ") + kCaption : QString(kCaption));
        setWindowModified(changed);
        return;
    }
    setWindowTitle(QFileInfo(JobPath()).fileName() + "[*] — " + kCaption);
    setWindowModified(IsSheetChanged());
}

bool TForm1::OpenJob(const QString& path)
{
    settings_.Reload();
    document_->SetRecent(settings_.RecentJobs());
    job::Job job;
    try {
        job = document_->Open(FsPath(path));
    } catch (const job::JobError& e) {
        // The field a refused file names is in the file, not on the sheet,
        // which stays exactly as it was: nothing is pointed at.
        Report(QMessageBox::Critical, QString::fromUtf8(e.what()));
        return false;
    }
    // Checked whole before anything is touched; now the sheet starts afresh
    // from the job, as the program starts from the example.
    job::ApplyJob(job, *fields_);
    ResetComputation();
    PC1->setCurrentWidget(TS1);
    keyboard_->CaretToPageStart();
    rangeMarks_->Refresh();
    ForgetStation();
    JobOpenedOrSaved(path);
    return true;
}

bool TForm1::SaveJobTo(const QString& path)
{
    // A batch is read, never written: a station saved over its own job, or
    // over the table, would change the batch behind the list's back.
    if (const QString problem = BatchFileProblem(path); !problem.isEmpty()) {
        Report(QMessageBox::Critical, problem);
        return false;
    }
    settings_.Reload();
    document_->SetRecent(settings_.RecentJobs());
    std::string notice;
    try {
        notice = document_->Save(job::JobFromFields(*fields_), FsPath(path));
    } catch (const job::JobError& e) {
        // A text no job may hold (a control character inside it) is pointed
        // at, as after a conversion error.
        Report(e);
        return false;
    }
    JobOpenedOrSaved(path);
    if (!notice.empty())
        Report(QMessageBox::Information, QString::fromStdString(notice));
    return true;
}

void TForm1::JobOpenedOrSaved(const QString& path)
{
    // Another copy of the program may have changed the file meanwhile: only
    // this job is put first, over the list as it stands now, rather than the
    // list as it stood when the job was opened. A list of recent jobs that
    // cannot be kept is no reason to trouble the user.
    settings_.Reload();
    const std::vector<std::string>& recent = document_->Recent();
    if (!recent.empty() && recent.front() == job::PathToUtf8(document_->Path()))
        settings_.NoteRecentJob(recent.front());
    settings_.SetJobFolder(job::PathToUtf8(FsPath(QFileInfo(path).absolutePath())));
    (void)settings_.Save();
    RebuildRecentMenu();
    // A station saved as a job is still the station the list shows: its row
    // stays current, so that the list goes on from it.
    UpdateJobTitle();
}

void TForm1::NewJob()
{
    if (!MaybeSave())
        return;
    job::ApplyJob(job::ExampleJob(), *fields_);
    ResetComputation();
    PC1->setCurrentWidget(TS1);
    keyboard_->CaretToPageStart();
    rangeMarks_->Refresh();
    document_->New();
    ForgetStation();
    UpdateJobTitle();
}

void TForm1::OpenJobFromDialog()
{
    if (!MaybeSave())
        return;
    const QString path = ChooseJobFile(false);
    if (!path.isEmpty())
        OpenJob(path);
}

void TForm1::OpenRecentJob(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        settings_.Reload();
        document_->SetRecent(settings_.RecentJobs());
        document_->Forget(job::PathToUtf8(FsPath(path)));
        settings_.SetRecentJobs(document_->Recent());
        (void)settings_.Save();
        RebuildRecentMenu();
        QMessageBox(QMessageBox::Warning, Title(),
                    QString("Задания %1 больше нет; оно убрано из списка недавних.")
                        .arg(QString::fromStdString(QuotePath(path.toStdString()))),
                    QMessageBox::Ok, this)
            .exec();
        return;
    }
    if (MaybeSave())
        OpenJob(path);
}

void TForm1::RebuildRecentMenu()
{
    RecentMenu->clear();
    // What another copy of the program stored, or a hand-edited file: only
    // plausible paths are shown, each escaped as a message quotes it.
    settings_.Reload();
    document_->SetRecent(settings_.RecentJobs());
    const std::vector<std::string>& recent = document_->Recent();
    for (std::size_t i = 0; i < recent.size(); ++i) {
        const QString path = FromFs(recent[i]);
        QString shown = QString::fromStdString(job::JobDocument::ShownName(recent[i]));
        shown.replace('&', "&&");
        QAction* action = RecentMenu->addAction(QString("&%1 %2").arg(i + 1).arg(shown));
        connect(action, &QAction::triggered, this, [this, path] { OpenRecentJob(path); });
    }
    RecentMenu->setEnabled(!recent.empty());
}

bool TForm1::SaveJob()
{
    return JobPath().isEmpty() ? SaveJobAs() : SaveJobTo(JobPath());
}

bool TForm1::SaveJobAs()
{
    const QString path = ChooseJobFile(true);
    return !path.isEmpty() && SaveJobTo(path);
}

QString TForm1::ProposedJobPath() const
{
    if (!JobPath().isEmpty())
        return JobPath();
    if (stationBatch_ != nullptr)
        return QtPath(stationBatch_->ProposedJob(static_cast<std::size_t>(stationRow_)));
    return {};
}

QString TForm1::ChooseJobFile(bool forSaving)
{
    settings_.Reload();
    QString folder = FromFs(settings_.JobFolder());
    // A station is offered a name beside the batch it came from.
    if (forSaving && stationBatch_ != nullptr && JobPath().isEmpty())
        folder = QFileInfo(ProposedJobPath()).absolutePath();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(this, forSaving ? "Сохранить как" : "Открыть", folder,
                       QString("Задания (*.%1)").arg(job::kExtension));
    dialog.setObjectName("JobFileDialog");
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(job::kExtension);
    if (forSaving)
        dialog.selectFile(ProposedJobPath().isEmpty() ? QString("задание.%1").arg(job::kExtension)
                                                       : QFileInfo(ProposedJobPath()).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString path = dialog.selectedFiles().constFirst();
    // The folder is worth remembering even if the file then turns out bad.
    settings_.Reload();
    settings_.SetJobFolder(job::PathToUtf8(FsPath(QFileInfo(path).absolutePath())));
    (void)settings_.Save();
    return path;
}

bool TForm1::MaybeSave()
{
    if (!IsSheetChanged())
        return true;
    QMessageBox box(QMessageBox::Warning, Title(), "Сохранить изменения в задании?",
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setObjectName("SaveChangesBox");
    box.button(QMessageBox::Save)->setText("&Сохранить");
    box.button(QMessageBox::Discard)->setText("&Не сохранять");
    box.button(QMessageBox::Cancel)->setText("Отмена");
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        // A save that fails or is cancelled keeps the window and every text.
        return SaveJob();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (MaybeSave())
        event->accept();
    else
        event->ignore();
}
