// The window's wiring of the roles that live beside it: the open job
// (JobActions) and the list of stations (BatchList). Each asks the window
// only what it needs through its Window functions and reports through its
// signals; the window puts their actions in the menus and their failures in
// its one place for messages.

#include "Unit1.h"

#include "BatchList.h"
#include "FieldTable.h"
#include "JobActions.h"
#include "JobFile.h"
#include "KeyboardRules.h"
#include "RangeMarks.h"
#include "ScreenFit.h"
#include "StationPanel.h"
#include "WindowFields.h"
#include "WindowMenus.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>

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

// The open job asks the window only for the inputs' texts, to start the
// sheet afresh from a job, and about the batch the sheet's station came
// from; its failures come back to the one place they are shown.
void TForm1::BuildJobActions()
{
    jobs_ = new JobActions(*this, settings_,
                           {Title(), [this] { return job::JobFromFields(*fields_); },
                            [this](const job::Job& job) { StartFrom(job); },
                            [this](const QString& path) { return batchList_->WriteProblem(path); },
                            [this] { return batchList_->StationName(); },
                            [this] { return batchList_->StationJob(); }});
    connect(jobs_, &JobActions::Failed, this,
            [this](QMessageBox::Icon icon, const QString& message, const QString& field) {
                Report(icon, message, field.toStdString());
            });
    NewAction = jobs_->New;
    OpenAction = jobs_->Open;
    RecentMenu = jobs_->Recent;
    SaveAction = jobs_->Save;
    SaveAsAction = jobs_->SaveAs;
    menus_->AddToJobs({NewAction, OpenAction});
    menus_->AddToJobs(RecentMenu);
    menus_->AddToJobs({nullptr, SaveAction, SaveAsAction});
    connect(FileMenu, &QMenu::aboutToShow, jobs_, &JobActions::RebuildRecentMenu);
    for (int page = 1; page <= 3; ++page)
        if (fields_->Made(page))
            WatchJobInputs(page);
}

void TForm1::WatchJobInputs(int page)
{
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input && f.page == page)
            connect(fields_->Edit(std::string(f.name)), &QLineEdit::textChanged, jobs_, &JobActions::UpdateTitle);
}

void TForm1::StartFrom(const job::Job& job)
{
    // Checked whole before anything is touched; now the sheet starts afresh
    // from the job, as the program starts from the example.
    job::ApplyJob(job, *fields_);
    ResetComputation();
    PC1->setCurrentWidget(TS1);
    keyboard_->CaretToPageStart();
    rangeMarks_->Refresh();
    batchList_->ForgetStation();
}

bool TForm1::OpenJob(const QString& path) { return jobs_->OpenJob(path); }
bool TForm1::SaveJobTo(const QString& path) { return jobs_->SaveJobTo(path); }
QString TForm1::JobPath() const { return jobs_->JobPath(); }
// The texts a save would write, not the boxes' own: a tab or line break
// pasted at the end of a number is not saved, so adding or removing one is
// no change to the job.
bool TForm1::IsSheetChanged() const { return jobs_->IsChanged(); }

// The list of stations asks the window for the tolerances, the job's file,
// the question about unsaved changes and to put a station on the sheet.
void TForm1::BuildBatchList()
{
    batchList_ = new BatchList(*this, settings_,
                               {Title(), [this] { return sheet_->CurrentTolerances(); },
                                [this] { return sheet_->CurrentPrecision(); }, [this] { return JobPath(); },
                                [this] { return jobs_->MaybeSave(); },
                                [this](const job::Job& job) {
                                    job::ApplyJob(job, *fields_);
                                    ResetComputation();
                                    rangeMarks_->Refresh();
                                },
                                [this](QWidget* focus) { ComputeStation(focus); }});
    connect(batchList_, &BatchList::Failed, this,
            [this](QMessageBox::Icon icon, const QString& message) { Report(icon, message); });
    connect(batchList_, &BatchList::PanelShown, this, &TForm1::ShowStationPanel);
    OpenBatchAction = batchList_->OpenBatchAction;
    OpenJobFolderAction = batchList_->OpenJobFolderAction;
    BatchPdfAction = batchList_->BatchPdfAction;
    FileMenu->insertActions(SaveAction, {OpenBatchAction, OpenJobFolderAction});
    FileMenu->insertSeparator(SaveAction);
    FileMenu->insertAction(TolerancesAction, BatchPdfAction);

    Stations = batchList_->Panel;
    sheetRow_->addWidget(Stations);
    // Enter on the station the sheet holds goes on to type into the sheet.
    // A station that stopped was only said on the message line while the
    // list was browsed; Enter on it shows the box and points at the fault.
    connect(Stations, &StationPanel::Activated, this, [this](int row) {
        if (row != batchList_->ShownStationRow())
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

void TForm1::ComputeStation(QWidget* focus)
{
    // The station's texts are where it came from: unchanged until edited,
    // and saved only under a name the user gives.
    jobs_->Adopt();
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

bool TForm1::OpenBatch(const QString& path) { return batchList_->OpenBatch(path); }

void TForm1::ShowStationPanel(bool show)
{
    // A list closed with the keyboard in it hands the keyboard to the sheet.
    const bool focusInList = !show && Stations->isAncestorOf(QApplication::focusWidget());
    // Tab goes on from the page tabs to the list of stations while it is open.
    if (show) {
        setTabOrder(PC1->tabBar(), Stations->List());
        setTabOrder(Stations->List(), Stations->CloseButton());
    }
    if (Stations->isHidden() == show) {
        const int listWidth = Stations->width();
        Stations->setVisible(show);
        if (!isMaximized() && !isFullScreen()) {
            // The window grows by the list, as far as the screen allows;
            // closed, the list gives its room back, down to the whole sheet.
            QRect wanted = geometry();
            if (show)
                wanted.setWidth(wanted.width() + StationPanel::kWidth);
            else
                wanted.setWidth(
                    std::max(wanted.width() - listWidth, std::min(wanted.width(), NaturalSize().width())));
            setGeometry(screen() != nullptr ? FitToScreen(wanted, screen()->availableGeometry(), FrameOf(*this))
                                            : wanted);
        }
    }
    if (focusInList)
        keyboard_->CaretToPageStart();
}

void TForm1::closeEvent(QCloseEvent* event)
{
    if (jobs_->MaybeSave())
        event->accept();
    else
        event->ignore();
}
