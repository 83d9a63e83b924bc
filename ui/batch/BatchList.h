#pragma once

#include "Control.h"
#include "JobFile.h"
#include "Settings.h"
#include "Stations.h"

#include <QMessageBox>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace snesenie::batch {
class BatchDocument;
}

class QAction;
class QWidget;
class StationPanel;

/// A batch of stations beside the sheet: Файл → Открыть пакет… (a table of
/// stations), Открыть папку заданий… and Экспорт пакета в PDF…, the list of
/// stations with their verdicts, and the station chosen in it put on the
/// sheet. It owns the actions, the list and the batch; the sheet it asks of
/// the window through Window. It says by PanelShown when the list should
/// show or go, and by Failed what went wrong, for the window to show in its
/// one place.
class BatchList : public QObject {
    Q_OBJECT

public:
    struct Window {
        QString boxTitle;
        /// The tolerances and precision the sheet is judged by.
        std::function<snesenie::Tolerances()> tolerances;
        std::function<snesenie::Precision()> precision;
        /// The open job's file, where the stations of an export are first
        /// looked for; empty without one.
        std::function<QString()> jobPath;
        /// Asks about unsaved changes; false when the sheet must stay.
        std::function<bool()> maybeSave;
        /// Puts a station's texts on the sheet and starts it afresh.
        std::function<void(const snesenie::job::Job&)> take;
        /// The station just taken is the list's: it is computed as far as it
        /// goes. focus had the keyboard before the station was taken.
        std::function<void(QWidget* focus)> compute;
    };

    /// The actions are children of this object, itself a child of window,
    /// over which the dialogs open; the list, hidden, is the window's to lay
    /// out. settings keeps the last folder and outlives the object.
    BatchList(QWidget& window, snesenie::Settings& settings, Window sheet);
    ~BatchList() override;

    QAction* OpenBatchAction = nullptr;
    QAction* OpenJobFolderAction = nullptr;
    QAction* BatchPdfAction = nullptr;
    StationPanel* Panel = nullptr;

    /// Reads a table of stations or a folder of jobs, computes every station
    /// by the sheet's tolerances and lists them. A batch that cannot be read
    /// is said by Failed and changes nothing, the list shown before included.
    bool OpenBatch(const QString& path);
    /// The row of the open batch whose station the sheet holds, or -1.
    int ShownStationRow() const;
    /// The station the sheet holds, as the title and the statement name it,
    /// and the job offered for it beside its batch; empty without one.
    QString StationName() const;
    QString StationJob() const;
    /// The sheet no longer holds the station it was given (a job opened, a
    /// new sheet): the list stops naming it.
    void ForgetStation();
    /// Why a job may not be written to path (a file of a batch), or empty.
    QString WriteProblem(const QString& path) const;
    /// The list judged again by new tolerances.
    void Judge(const snesenie::Tolerances& tolerances, const snesenie::Precision& precision);

    /// Asks for the stations, a table or a folder of jobs, unless a batch is
    /// listed, then exports them.
    void ExportBatch();
    /// Asks for the PDF's name, proposed beside the stations, and writes the
    /// bundle of the batch read from stationsPath; says what went wrong, or
    /// what the bundle came to.
    void ExportBatchPdf(const snesenie::batch::StationList& list, const QString& stationsPath);

signals:
    void Failed(QMessageBox::Icon icon, const QString& message);
    /// The list is to be shown beside the sheet, or to go.
    void PanelShown(bool show);

private:
    void OpenBatchFromDialog();
    void OpenJobFolderFromDialog();
    /// Puts the station of the list's row on the sheet, after the question
    /// about unsaved changes, and computes it as far as it goes.
    void ChooseStation(int row);
    void CloseBatch();

    QWidget& window_;
    snesenie::Settings& settings_;
    Window sheet_;
    /// The batch listed, and the batch and row of the station the sheet
    /// holds (kept when the list is closed).
    std::shared_ptr<snesenie::batch::BatchDocument> batch_;
    std::shared_ptr<snesenie::batch::BatchDocument> stationBatch_;
    int stationRow_ = -1;
};
