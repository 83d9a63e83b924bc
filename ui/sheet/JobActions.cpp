// ui/sheet — the main window and its three pages: the window itself and its
// wiring (TForm1: Unit1, Unit1Wiring), its menus (WindowMenus), the open job
// (JobActions, here), where each label, box and button stands (SheetLayout),
// how they look (SheetLook), the edit boxes as the core's fields
// (WindowFields), the keyboard (KeyboardRules), the marks of out-of-range and
// stale values (RangeMarks, StaleMarks), fitting the window to the screen
// (ScreenFit) and painting through long work (KeepPainting).

// The sheet as a document: Файл → Создать, Открыть…, Недавние, Сохранить,
// Сохранить как…, the job's name and modified mark in the title, and the
// question asked before changed inputs would be thrown away. Reading,
// checking and writing job files belongs to the job library; these actions
// only ask where and say what went wrong.

#include "JobActions.h"
#include "FilePaths.h"

#include "Errors.h"
#include "JobDocument.h"
#include "JobFile.h"
#include "Utf8Path.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QWidget>

using namespace snesenie;

namespace {

const char* const kCaption = "Снесение координат с вершины знака на землю.";

// Names go between Qt and the job library as UTF-8 text: on Windows a path
// is UTF-16 and the local 8-bit encoding is the ANSI code page.
QString FromFs(const std::string& path) { return QString::fromStdString(path); }

} // namespace

JobActions::JobActions(QWidget& window, Settings& settings, Window sheet)
    : QObject(&window), window_(window), settings_(settings), sheet_(std::move(sheet)),
      document_(std::make_unique<job::JobDocument>())
{
    New = new QAction("&Создать", this);
    New->setObjectName("NewAction");
    New->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(New, &QAction::triggered, this, &JobActions::NewJob);

    Open = new QAction("&Открыть…", this);
    Open->setObjectName("OpenAction");
    Open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(Open, &QAction::triggered, this, &JobActions::OpenJobFromDialog);

    // Owned by the window, as a submenu must be, though this object fills it.
    Recent = new QMenu("&Недавние", &window);
    Recent->setObjectName("RecentMenu");

    Save = new QAction("Со&хранить", this);
    Save->setObjectName("SaveAction");
    Save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(Save, &QAction::triggered, this, &JobActions::SaveJob);

    SaveAs = new QAction("Сохранить &как…", this);
    SaveAs->setObjectName("SaveAsAction");
    SaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(SaveAs, &QAction::triggered, this, &JobActions::SaveJobAs);

    RebuildRecentMenu();
}

JobActions::~JobActions() = default;

QString JobActions::JobPath() const { return QString::fromStdString(job::PathToUtf8(document_->Path())); }

std::filesystem::path JobActions::JobFile() const { return document_->Path(); }

// The texts a save would write, not the boxes' own: a tab or line break
// pasted at the end of a number is not saved, so adding or removing one is
// no change to the job.
bool JobActions::IsChanged() const { return document_->IsChanged(sheet_.texts()); }

void JobActions::Adopt()
{
    document_->Adopt(sheet_.texts());
    UpdateTitle();
}

void JobActions::UpdateTitle()
{
    // A station of a batch is named with its batch, and marked once edited.
    if (const QString station = sheet_.stationName(); JobPath().isEmpty() && !station.isEmpty()) {
        window_.setWindowTitle(station + "[*] — " + kCaption);
        window_.setWindowModified(IsChanged());
        return;
    }
    // Without a job the title is the task's name alone until the sheet is
    // edited; then it is marked like a job's, so that an unsaved sheet is
    // never taken for a saved one.
    if (JobPath().isEmpty()) {
        const bool changed = IsChanged();
        window_.setWindowTitle(changed ? QString("Без имени[*] — ") + kCaption : QString(kCaption));
        window_.setWindowModified(changed);
        return;
    }
    window_.setWindowTitle(QFileInfo(JobPath()).fileName() + "[*] — " + kCaption);
    window_.setWindowModified(IsChanged());
}

bool JobActions::OpenJob(const QString& path)
{
    settings_.Reload();
    document_->SetRecent(settings_.RecentJobs());
    job::Job job;
    try {
        job = document_->Open(FsPath(path));
    } catch (const job::JobError& e) {
        // The field a refused file names is in the file, not on the sheet,
        // which stays exactly as it was: nothing is pointed at.
        emit Failed(QMessageBox::Critical, QString::fromUtf8(e.what()), {});
        return false;
    }
    // Checked whole before anything is touched; now the sheet starts afresh
    // from the job, as the program starts from the example.
    sheet_.start(job);
    JobOpenedOrSaved(path);
    return true;
}

bool JobActions::SaveJobTo(const QString& path)
{
    // A batch is read, never written: a station saved over its own job, or
    // over the table, would change the batch behind the list's back.
    if (const QString problem = sheet_.writeProblem(path); !problem.isEmpty()) {
        emit Failed(QMessageBox::Critical, problem, {});
        return false;
    }
    settings_.Reload();
    document_->SetRecent(settings_.RecentJobs());
    std::string notice;
    try {
        notice = document_->Save(sheet_.texts(), FsPath(path));
    } catch (const job::JobError& e) {
        // A text no job may hold (a control character inside it) is pointed
        // at, as after a conversion error.
        emit Failed(QMessageBox::Critical, QString::fromUtf8(e.what()), QString::fromStdString(e.Field()));
        return false;
    }
    JobOpenedOrSaved(path);
    if (!notice.empty())
        emit Failed(QMessageBox::Information, QString::fromStdString(notice), {});
    return true;
}

void JobActions::JobOpenedOrSaved(const QString& path)
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
    UpdateTitle();
}

void JobActions::NewJob()
{
    if (!MaybeSave())
        return;
    sheet_.start(job::ExampleJob());
    document_->New();
    UpdateTitle();
}

void JobActions::OpenJobFromDialog()
{
    if (!MaybeSave())
        return;
    const QString path = ChooseJobFile(false);
    if (!path.isEmpty())
        OpenJob(path);
}

void JobActions::OpenRecentJob(const QString& path)
{
    if (!QFileInfo::exists(path)) {
        settings_.Reload();
        document_->SetRecent(settings_.RecentJobs());
        document_->Forget(job::PathToUtf8(FsPath(path)));
        settings_.SetRecentJobs(document_->Recent());
        (void)settings_.Save();
        RebuildRecentMenu();
        emit Failed(QMessageBox::Warning,
                    QString("Задания %1 больше нет; оно убрано из списка недавних.")
                        .arg(QString::fromStdString(QuotePath(path.toStdString()))),
                    {});
        return;
    }
    if (MaybeSave())
        OpenJob(path);
}

void JobActions::RebuildRecentMenu()
{
    Recent->clear();
    // What another copy of the program stored, or a hand-edited file: only
    // plausible paths are shown, each escaped as a message quotes it.
    settings_.Reload();
    document_->SetRecent(settings_.RecentJobs());
    const std::vector<std::string>& recent = document_->Recent();
    for (std::size_t i = 0; i < recent.size(); ++i) {
        const QString path = FromFs(recent[i]);
        QString shown = QString::fromStdString(job::JobDocument::ShownName(recent[i]));
        shown.replace('&', "&&");
        QAction* action = Recent->addAction(QString("&%1 %2").arg(i + 1).arg(shown));
        connect(action, &QAction::triggered, this, [this, path] { OpenRecentJob(path); });
    }
    Recent->setEnabled(!recent.empty());
}

bool JobActions::SaveJob()
{
    return JobPath().isEmpty() ? SaveJobAs() : SaveJobTo(JobPath());
}

bool JobActions::SaveJobAs()
{
    const QString path = ChooseJobFile(true);
    return !path.isEmpty() && SaveJobTo(path);
}

QString JobActions::ProposedJobPath() const
{
    if (!JobPath().isEmpty())
        return JobPath();
    return sheet_.stationJob();
}

QString JobActions::ChooseJobFile(bool forSaving)
{
    settings_.Reload();
    QString folder = FromFs(settings_.JobFolder());
    // A station is offered a name beside the batch it came from.
    if (forSaving && JobPath().isEmpty() && !sheet_.stationJob().isEmpty())
        folder = QFileInfo(ProposedJobPath()).absolutePath();
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    QFileDialog dialog(&window_, forSaving ? "Сохранить как" : "Открыть", folder,
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

bool JobActions::MaybeSave()
{
    if (!IsChanged())
        return true;
    QMessageBox box(QMessageBox::Warning, sheet_.boxTitle, "Сохранить изменения в задании?",
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, &window_);
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
