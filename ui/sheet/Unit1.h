#pragma once

#include "CalcState.h"
#include "ControlRecord.h"
#include "Errors.h"
#include "JobFile.h"
#include "Settings.h"
#include "Sheet.h"

#include <QMessageBox>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class ControlPage;
class KeyboardRules;
class RangeMarks;
class QScrollArea;
class QAction;
class QCloseEvent;
class QHBoxLayout;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QTextDocument;
class StaleMarks;
class StationPanel;
class TForm2;
class TForm3;
class WindowFields;
class WindowMenus;
class JobActions;
class BatchList;
class StatementActions;

/// The main window: the three-page computation sheet. Its edit boxes are the
/// fields of a snesenie::Sheet; every button presses the sheet and the window
/// shows what the sheet reports. It computes nothing itself.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    /// A window whose recent jobs, last folder and tolerances are kept in
    /// settingsFile: the user's by default, a scratch one in tests.
    explicit TForm1(const std::filesystem::path& settingsFile = snesenie::UserSettingsFile(),
                    QWidget* parent = nullptr);
    ~TForm1() override;

    /// The help and scheme windows opened from page 1, made elsewhere (a
    /// test's own); without them the window makes its own on first need.
    void SetHelpWindows(TForm2* help, TForm3* scheme);

    /// The sheet the window shows: its fields are the window's edit boxes.
    const snesenie::Sheet& Sheet() const { return *sheet_; }
    /// The values carried between pages, for as long as the window lives.
    const snesenie::CalcState& State() const { return sheet_->State(); }
    /// The settings the window was started with, as last read or saved.
    const snesenie::Settings& Preferences() const { return settings_; }

    /// Title of the message boxes.
    static QString Title();

    QTabWidget* PC1 = nullptr;
    /// Holds PC1; scrolls it when the window is smaller than the sheet.
    QScrollArea* SheetScroll = nullptr;
    /// The size the window asks for: the whole sheet under the menu bar, and
    /// the list of stations beside it while that is open.
    QSize NaturalSize() const;
    /// Makes the labels, boxes and buttons of page 1, 2 or 3, if they are not
    /// made yet: pages 2 and 3 are made when turned to, computed or given
    /// texts. Until then their boxes and buttons (BitBtn3…) are not there.
    void MakePage(int number);
    /// Scrolls the sheet so that the whole of a widget on it is seen.
    void ScrollIntoView(QWidget* widget);
    /// The pages' size at 96 dpi: the lowest row of page 1 (top 424) and
    /// page 2's buttons with a margin.
    static constexpr int kSheetWidth = 709;
    static constexpr int kSheetHeight = 492;
    QWidget* TS1 = nullptr;
    QWidget* TS2 = nullptr;
    QWidget* TS3 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;

    /// The menu bar above the pages (WindowMenus, whose parts these are).
    /// Файл holds the job actions, then the statement actions, then Выход;
    /// each section is closed by a separator that later actions are
    /// inserted before.
    QMenuBar* MenuBar = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* FileJobsEnd = nullptr;
    QAction* FileStatementEnd = nullptr;
    QAction* ExitAction = nullptr;
    QAction* HelpAction = nullptr;
    QAction* SchemeAction = nullptr;
    QAction* AboutAction = nullptr;

    /// Вычисления: the whole sheet at one key (F9) and the pages turned from
    /// the keyboard (Ctrl+PgDn, Ctrl+PgUp), as Ctrl+Tab turns them.
    QMenu* CalcMenu = nullptr;
    QAction* ComputeAllAction = nullptr;
    QAction* NextPageAction = nullptr;
    QAction* PreviousPageAction = nullptr;
    /// The line under the sheet: which keys compute and turn pages, or why
    /// a station browsed to in the list stopped.
    QLabel* MessageLine = nullptr;
    /// What the message line says while it has nothing else to say.
    static QString KeyHint();

    /// Jobs: the input texts of the sheet kept in a file (Файл menu), the
    /// actions of JobActions.
    QAction* NewAction = nullptr;
    QAction* OpenAction = nullptr;
    QMenu* RecentMenu = nullptr;
    QAction* SaveAction = nullptr;
    QAction* SaveAsAction = nullptr;

    /// The open job (JobActions): open, save, its file and whether the
    /// inputs changed since.
    JobActions& Jobs() const { return *jobs_; }
    bool OpenJob(const QString& path);
    bool SaveJobTo(const QString& path);
    QString JobPath() const;
    bool IsSheetChanged() const;

    /// A batch of stations listed beside the sheet (BatchList, whose parts
    /// these are): Открыть пакет…, Открыть папку заданий…, Экспорт пакета в
    /// PDF…, and the list, hidden until a batch is opened.
    QAction* OpenBatchAction = nullptr;
    QAction* OpenJobFolderAction = nullptr;
    QAction* BatchPdfAction = nullptr;
    StationPanel* Stations = nullptr;
    /// Reads a table of stations or a folder of jobs and lists it beside the
    /// sheet, which is not touched; a batch that cannot be read changes nothing.
    bool OpenBatch(const QString& path);
    BatchList& Batches() const { return *batchList_; }

    // The control of the sheet and its statement (Unit1Control.cpp).
    /// The fourth page, "Контроль", and page 3's one-line verdict under its result.
    ControlPage* TS4 = nullptr;
    QLabel* ControlVerdict = nullptr;
    QAction* PrintAction = nullptr;
    QAction* PreviewAction = nullptr;
    QAction* PdfAction = nullptr;
    QAction* TolerancesAction = nullptr;
    /// The control, and which pages show a current result.
    const snesenie::ControlRecord& Control() const { return sheet_->Record(); }
    /// Name of the job the sheet belongs to, for the statement; empty while
    /// the sheet has none.
    QString StatementJobName() const;
    /// The statement of the sheet as it stands now.
    std::unique_ptr<QTextDocument> BuildStatementDocument() const;
    /// Writes the statement to path as PDF. Returns an empty string, or what
    /// went wrong.
    QString ExportStatementPdf(const QString& path) const;

public slots:
    void PrintStatement();
    void PreviewStatement();
    void ExportStatement();
    void EditTolerances();

protected:
    /// Every way of closing the window comes here: changed inputs are not
    /// thrown away without asking.
    void closeEvent(QCloseEvent* event) override;
    /// The sheet comes first: the list of stations beside it gives way on a
    /// narrow window.
    void resizeEvent(QResizeEvent* event) override;

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    /// Presses OK on pages 1, 2 and 3 in turn, as the buttons do, and stops
    /// at the first page that does not complete; done, it shows page 3.
    void ComputeAll();

private:
    void BuildPages();
    void BuildButtons(int page);
    void BuildMenus();
    void BuildControl();
    /// Turns to the next page (step 1) or the previous one (-1), round.
    void TurnPage(int step);
    /// The message line says text, or the key hint when text is empty.
    void SayOnMessageLine(const QString& text);
    /// The tab sheet of page 1, 2 or 3.
    QWidget* Page(int number) const;
    std::array<bool, 3> pagesMade_{};
    /// The window's title follows the edits of a page's inputs.
    void WatchJobInputs(int page);
    /// Presses the sheet and shows whatever it reports; says whether the
    /// press completed.
    bool Run(snesenie::SheetAction action);
    /// Every message box about the sheet comes from here; one that names a
    /// field turns to it, ready to be retyped.
    void Report(QMessageBox::Icon icon, const QString& message, const std::string& field = {});
    void Report(const snesenie::UserError& error);
    /// While a station is browsed to, a failure goes to the message line and
    /// is kept, to be shown as a box when Enter is pressed on the station.
    struct HeldReport {
        QMessageBox::Icon icon;
        QString message;
        std::string field;
    };
    bool holdReports_ = false;
    std::optional<HeldReport> heldReport_;
    /// An input of the page took a new text: the control no longer holds.
    void InputEdited(int page);
    void ShowControl();
    /// Says once what the settings file could not give.
    void ReportSettingsProblems();
    /// A sheet started afresh (a job opened, a new one): nothing computed,
    /// nothing carried, no control, no stale marks.
    void ResetComputation();
    /// Turns to the page of the field and puts the caret in it, its text
    /// selected, ready to be retyped.
    void PointAt(const std::string& field);

    void BuildJobActions();
    /// A job's texts put on the sheet, started afresh from them: nothing
    /// computed, page 1 showing, no station held.
    void StartFrom(const snesenie::job::Job& job);
    /// Makes the list of stations, hidden, beside the sheet, and wires it.
    void BuildBatchList();
    /// A station of the list put on the sheet, computed as the batch
    /// computed it; focus had the keyboard before.
    void ComputeStation(QWidget* focus);
    /// The window grows by the list, or gives its room back.
    void ShowStationPanel(bool show);
    JobActions* jobs_ = nullptr;
    BatchList* batchList_ = nullptr;

    std::unique_ptr<WindowFields> fields_;
    WindowMenus* menus_ = nullptr;
    StatementActions* statement_ = nullptr;
    StaleMarks* stale_ = nullptr;
    RangeMarks* rangeMarks_ = nullptr;
    QMetaObject::Connection followCaret_;
    KeyboardRules* keyboard_ = nullptr;
    snesenie::Settings settings_;
    bool settingsProblemsSaid_ = false;
    std::unique_ptr<snesenie::Sheet> sheet_;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
    std::unique_ptr<TForm2> ownHelp_;
    std::unique_ptr<TForm3> ownScheme_;
    /// The sheet, and the list of stations beside it once there is one.
    QHBoxLayout* sheetRow_ = nullptr;
};
