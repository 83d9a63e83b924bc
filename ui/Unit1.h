#pragma once

#include "CalcState.h"
#include "ControlRecord.h"
#include "Errors.h"
#include "JobDocument.h"
#include "Settings.h"
#include "Sheet.h"
#include "Stations.h"

#include <QMessageBox>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <optional>

class ControlPage;
class KeyboardRules;
class RangeMarks;
class QScrollArea;
class QAction;
class QCloseEvent;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QTextDocument;
class StaleMarks;
class TForm2;
class TForm3;
class WindowFields;

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

    /// The help and scheme windows opened from page 1; created after this one.
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

    /// The menu bar above the pages. Файл holds the job actions, then the
    /// statement actions, then Выход; each section is closed by a separator
    /// that later actions are inserted before.
    QMenuBar* MenuBar = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* FileJobsEnd = nullptr;
    QAction* FileStatementEnd = nullptr;
    QAction* ExitAction = nullptr;
    QAction* HelpAction = nullptr;
    QAction* SchemeAction = nullptr;
    QAction* AboutAction = nullptr;

    /// Jobs: the input texts of the sheet kept in a file (Файл menu).
    QAction* NewAction = nullptr;
    QAction* OpenAction = nullptr;
    QMenu* RecentMenu = nullptr;
    QAction* SaveAction = nullptr;
    QAction* SaveAsAction = nullptr;

    /// Opens a job file: every input takes its text, the outputs are emptied,
    /// the carried values are reset and page 1 shows. A file that cannot be
    /// opened is explained in a message box and changes nothing.
    bool OpenJob(const QString& path);
    /// Saves the inputs as the job at path, atomically; says why in a message
    /// box when it cannot.
    bool SaveJobTo(const QString& path);
    /// The open job's file, or empty when the sheet was never opened or saved.
    QString JobPath() const;
    /// Whether the inputs differ from the last open or save, or from the
    /// example when there was none.
    bool IsSheetChanged() const;

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

    /// Файл → Экспорт пакета в PDF…: the bundle of a batch of stations (a
    /// summary, then every computed station's statement), judged by the
    /// window's tolerances (Unit1BatchPdf.cpp).
    QAction* BatchPdfAction = nullptr;
    /// Asks for the PDF's name, proposed beside the stations, and writes the
    /// bundle of the batch read from stationsPath; says in a message box what
    /// went wrong, or what the bundle came to.
    void ExportBatchPdf(const snesenie::batch::StationList& list, const QString& stationsPath);

public slots:
    void PrintStatement();
    void PreviewStatement();
    void ExportStatement();
    void EditTolerances();
    /// Asks for the stations, a table or a folder of jobs, then exports them.
    void ExportBatch();

protected:
    /// Every way of closing the window comes here: changed inputs are not
    /// thrown away without asking.
    void closeEvent(QCloseEvent* event) override;

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

private:
    void BuildPages();
    void BuildButtons();
    void BuildMenus();
    void BuildControl();
    void BuildBatchActions();
    void ShowAbout();
    /// The tab sheet of page 1, 2 or 3.
    QWidget* Page(int number) const;
    /// Presses the sheet and shows whatever it reports.
    void Run(snesenie::SheetAction action);
    /// Every message box about the sheet comes from here; one that names a
    /// field turns to it, ready to be retyped.
    void Report(QMessageBox::Icon icon, const QString& message, const std::string& field = {});
    void Report(const snesenie::UserError& error);
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
    void NewJob();
    void OpenJobFromDialog();
    void OpenRecentJob(const QString& path);
    bool SaveJob();
    bool SaveJobAs();
    bool MaybeSave();
    QString ChooseJobFile(bool forSaving);
    void JobOpenedOrSaved(const QString& path);
    void UpdateJobTitle();
    void RebuildRecentMenu();
    /// Saves the recent list and shows it in the menu.
    /// The open job's file, its texts as last saved and the recent list.
    std::unique_ptr<snesenie::job::JobDocument> document_;

    std::unique_ptr<WindowFields> fields_;
    StaleMarks* stale_ = nullptr;
    RangeMarks* rangeMarks_ = nullptr;
    QMetaObject::Connection followCaret_;
    KeyboardRules* keyboard_ = nullptr;
    snesenie::Settings settings_;
    bool settingsProblemsSaid_ = false;
    std::unique_ptr<snesenie::Sheet> sheet_;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
};
