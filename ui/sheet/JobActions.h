#pragma once

#include "JobFile.h"
#include "Settings.h"

#include <QMessageBox>
#include <QObject>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>

namespace snesenie::job {
class JobDocument;
}

class QAction;
class QMenu;
class QWidget;

/// The sheet as a document: Файл → Создать, Открыть…, Недавние, Сохранить
/// and Сохранить как…, the job's name and modified mark in the window's
/// title, and the question asked before changed inputs are thrown away. It
/// owns the open job (its file, its texts as last saved, the recent list) and
/// the actions; what is on the sheet it asks of the window through Window,
/// and what went wrong it says by Failed, for the window to show in its one
/// place.
class JobActions : public QObject {
    Q_OBJECT

public:
    struct Window {
        /// Title of the message boxes the actions ask their questions in.
        QString boxTitle;
        /// The inputs as a save would write them.
        std::function<snesenie::job::Job()> texts;
        /// Puts the texts on the sheet and starts it afresh, page 1 showing:
        /// a job opened, or a new one.
        std::function<void(const snesenie::job::Job&)> start;
        /// Why the job may not be written to a path (a file of a batch), or empty.
        std::function<QString(const QString&)> writeProblem;
        /// The station the sheet holds without a file of its own, as the
        /// title names it, and the file offered for saving it; both empty
        /// while it holds none.
        std::function<QString()> stationName;
        std::function<QString()> stationJob;
    };

    /// The actions are children of this object, itself a child of window,
    /// whose title it keeps and over which its dialogs open. settings keeps
    /// the recent jobs and the last folder, and outlives the object.
    JobActions(QWidget& window, snesenie::Settings& settings, Window sheet);
    ~JobActions() override;

    QAction* New = nullptr;
    QAction* Open = nullptr;
    QMenu* Recent = nullptr;
    QAction* Save = nullptr;
    QAction* SaveAs = nullptr;

    /// Opens a job file: the window starts afresh from its texts. A file that
    /// cannot be opened is said by Failed and changes nothing.
    bool OpenJob(const QString& path);
    /// Saves the inputs as the job at path, atomically; says by Failed why
    /// when it cannot.
    bool SaveJobTo(const QString& path);
    /// Сохранить: to the open job's file, or asked where.
    bool SaveJob();
    /// The open job's file, or empty when the sheet was never opened or saved.
    QString JobPath() const;
    std::filesystem::path JobFile() const;
    /// Whether the inputs differ from the last open or save, or from the
    /// example when there was none.
    bool IsChanged() const;
    /// Asks whether to save changed inputs; false when the user cancelled or
    /// the save did not happen, and what was there must stay.
    bool MaybeSave();
    /// Texts put on the sheet from elsewhere (a station of a batch): they
    /// count as unchanged until edited, and the first save asks where.
    void Adopt();
    /// Folder and name offered for saving the sheet as a new job.
    QString ProposedJobPath() const;
    /// The title follows the inputs; the window calls it on every edit.
    void UpdateTitle();
    /// Недавние as the settings hold it now: another copy of the program may
    /// have opened or saved a job meanwhile.
    void RebuildRecentMenu();

signals:
    /// What went wrong, or a notice; field names the input to point at.
    void Failed(QMessageBox::Icon icon, const QString& message, const QString& field);

private:
    void NewJob();
    void OpenJobFromDialog();
    void OpenRecentJob(const QString& path);
    bool SaveJobAs();
    QString ChooseJobFile(bool forSaving);
    void JobOpenedOrSaved(const QString& path);

    QWidget& window_;
    snesenie::Settings& settings_;
    Window sheet_;
    std::unique_ptr<snesenie::job::JobDocument> document_;
};
