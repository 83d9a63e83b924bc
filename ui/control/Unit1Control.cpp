// The main window's control and statement: the fourth page, page 3's verdict
// line, Файл → Допуски…, and the wiring of the statement's actions
// (StatementActions).

#include "Unit1.h"

#include "ControlPage.h"
#include "FieldTable.h"
#include "BatchList.h"
#include "JobActions.h"
#include "StationPanel.h"
#include "Statement.h"
#include "StatementActions.h"
#include "StatementTarget.h"
#include "Utf8Path.h"
#include "ToleranceDialog.h"
#include "WindowFields.h"
#include "WindowMenus.h"

#include <QAction>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QTabWidget>
#include <QTextDocument>

using namespace snesenie;

namespace {

// Page 3's verdict stands under the closing line of the sheet, across the
// width of the result block.
constexpr int kVerdictLeft = 136, kVerdictTop = 446, kVerdictWidth = 560;

} // namespace

void TForm1::BuildControl()
{
    TS4 = new ControlPage;
    PC1->addTab(TS4, QStringLiteral("Контроль"));
    connect(TS4, &ControlPage::TolerancesRequested, this, &TForm1::EditTolerances);
    TS4->SetPrecisionSource(settings_.StoresPrecision() ? QStringLiteral("из настроек (Файл → Допуски…)")
                                                        : QStringLiteral("по умолчанию, Файл → Допуски…"));

    ControlVerdict = new QLabel(TS3);
    ControlVerdict->setObjectName(QStringLiteral("ControlVerdict"));
    QFont bold = ControlVerdict->font();
    bold.setBold(true);
    ControlVerdict->setFont(bold);
    ControlVerdict->setGeometry(kVerdictLeft, kVerdictTop, kVerdictWidth, ControlVerdict->sizeHint().height());

    // The statement on paper asks the window only for the statement, the
    // name a job would take and the job's file; its failures come back here.
    statement_ = new StatementActions(
        *this, {[this] { return BuildStatementDocument(); }, [this] { return jobs_->ProposedJobPath(); },
                [this] { return jobs_->JobFile(); }});
    connect(statement_, &StatementActions::Failed, this,
            [this](const QString& message) { Report(QMessageBox::Critical, message); });
    PrintAction = statement_->Print;
    PreviewAction = statement_->Preview;
    PdfAction = statement_->Pdf;
    TolerancesAction = new QAction(QStringLiteral("&Допуски…"), this);
    TolerancesAction->setObjectName(QStringLiteral("TolerancesAction"));
    connect(TolerancesAction, &QAction::triggered, this, &TForm1::EditTolerances);
    menus_->AddToStatement({PrintAction, PreviewAction, PdfAction, TolerancesAction});

    ShowControl();
}

void TForm1::ReportSettingsProblems()
{
    if (settingsProblemsSaid_)
        return;
    settingsProblemsSaid_ = true;
    QStringList lines;
    for (const std::string& problem : settings_.Problems())
        lines << QString::fromStdString(problem);
    if (!lines.isEmpty())
        Report(QMessageBox::Warning, lines.join('\n'));
}

// Told of every keystroke; the control is drawn again only when the edit
// dropped it or made a page no longer current.
void TForm1::InputEdited(int page)
{
    if (sheet_->InputEdited(page))
        ShowControl();
}

void TForm1::ShowControl()
{
    const std::optional<ControlReport>& report = sheet_->Control();
    // Results still on page 3 without a control: the inputs changed since.
    TS4->Show(report, !report && !sheet_->Fields().GetText(std::string(Field(FieldId::Xp).name)).empty());
    QPalette palette = ControlVerdict->palette();
    if (report) {
        ControlVerdict->setText(QString::fromStdString(report->Summary()));
        palette.setColor(QPalette::WindowText, VerdictColor(report->Overall()));
    } else {
        ControlVerdict->setText(QString::fromUtf8(kControlNotComputed));
        palette.setColor(QPalette::WindowText, TS3->palette().color(QPalette::WindowText));
    }
    ControlVerdict->setPalette(palette);
    // The row of the station on the sheet follows the sheet, not the file.
    if (Stations != nullptr)
        Stations->FollowSheet(batchList_->ShownStationRow(), report, heldReport_ ? heldReport_->message : QString());
}

QString TForm1::StatementJobName() const
{
    if (const QString station = batchList_->StationName(); JobPath().isEmpty() && !station.isEmpty())
        return station;
    return JobPath().isEmpty() ? QString() : QFileInfo(JobPath()).completeBaseName();
}

std::unique_ptr<QTextDocument> TForm1::BuildStatementDocument() const
{
    return BuildStatement({sheet_->Fields(), sheet_->Record(), StatementJobName(), QDateTime::currentDateTime()});
}

QString TForm1::ExportStatementPdf(const QString& path) const { return statement_->ExportPdf(path); }

void TForm1::PrintStatement() { statement_->PrintStatement(); }
void TForm1::PreviewStatement() { statement_->PreviewStatement(); }
void TForm1::ExportStatement() { statement_->ExportStatement(); }

void TForm1::EditTolerances()
{
    ToleranceDialog dialog(sheet_->CurrentTolerances(), sheet_->CurrentPrecision(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    sheet_->SetTolerances(dialog.Result());
    sheet_->SetPrecision(dialog.PrecisionResult());
    TS4->SetPrecisionSource(QStringLiteral("из настроек (Файл → Допуски…)"));
    ShowControl();
    // The list judges its stations by the same tolerances as the sheet.
    batchList_->Judge(dialog.Result(), dialog.PrecisionResult());
    // The rest of the file as another copy of the program may have left it.
    settings_.Reload();
    settings_.SetTolerances(dialog.Result());
    settings_.SetPrecision(dialog.PrecisionResult());
    if (const std::string error = settings_.Save(); !error.empty())
        Report(QMessageBox::Warning, QString::fromStdString(error + " Допуски действуют до закрытия программы."));
}
