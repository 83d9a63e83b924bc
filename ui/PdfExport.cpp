#include "PdfExport.h"

#include "ControlRecord.h"
#include "JobFile.h"
#include "Pages.h"
#include "Statement.h"
#include "ToolkitTranslation.h"
#include "ToleranceSettings.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstdio>

namespace {

void Say(const QString& message)
{
    std::fprintf(stderr, "snesenie: %s\n", message.toUtf8().constData());
}

// One page run as its button runs it, noted in the control record. Returns
// the message of a failure or refusal, or an empty string.
QString RunPage(int page, snesenie::PageFields& fields, snesenie::CalcState& state, snesenie::ControlRecord& control)
{
    using snesenie::Outcome;
    const snesenie::SheetAction actions[] = {snesenie::SheetAction::Page1, snesenie::SheetAction::Page2,
                                             snesenie::SheetAction::Page3};
    QString message;
    Outcome outcome = Outcome::Completed;
    try {
        std::optional<snesenie::Refusal> refusal;
        if (page == 1)
            snesenie::ComputePage1(fields, state);
        else if (page == 2)
            refusal = snesenie::ComputePage2(fields, state);
        else
            refusal = snesenie::ComputePage3(fields, state);
        if (refusal) {
            outcome = Outcome::Refused;
            message = QString::fromStdString(refusal->message);
        }
    } catch (const snesenie::CalcError& e) {
        outcome = Outcome::Failed;
        message = QString::fromUtf8(e.what());
    }
    control.Note(actions[page - 1], outcome, fields, state);
    return message.isEmpty() ? message : QStringLiteral("страница %1: %2").arg(page).arg(message);
}

// A headless run has no session, so the toolkit warns on every start that
// there is no runtime folder; a script reads standard error for the failing
// page, and that line would only be noise in it. Everything else passes.
QtMessageHandler g_toolkitHandler = nullptr;

void QuietRuntimeWarning(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtWarningMsg && message.startsWith(QStringLiteral("QStandardPaths: XDG_RUNTIME_DIR not set")))
        return;
    g_toolkitHandler(type, context, message);
}

} // namespace

int RunPdfExport(int argc, char** argv, const QString& out, const QString& jobPath)
{
    g_toolkitHandler = qInstallMessageHandler(QuietRuntimeWarning);
    QGuiApplication app(argc, argv);
    // The system's reasons (a missing folder, a full disk) in the program's
    // language, as the window gives them.
    InstallToolkitTranslation(app);
    snesenie::MemoryFields fields;
    QString jobName;
    if (!jobPath.isEmpty()) {
        try {
            snesenie::job::ApplyJob(snesenie::job::ReadJob(QFile::encodeName(jobPath).toStdString()), fields);
        } catch (const snesenie::job::JobError& e) {
            Say(QString::fromUtf8(e.what()));
            return 1;
        }
        jobName = QFileInfo(jobPath).completeBaseName();
    }

    snesenie::CalcState state;
    snesenie::ControlRecord control;
    control.SetTolerances(LoadTolerances());
    for (int page = 1; page <= 3; ++page) {
        const QString failure = RunPage(page, fields, state, control);
        if (!failure.isEmpty()) {
            // A statement is handed in as the record of a finished sheet, so a
            // sheet that stopped part-way gets none.
            Say(failure);
            return 1;
        }
    }

    const std::unique_ptr<QTextDocument> statement =
        BuildStatement({fields, control, jobName, QDateTime::currentDateTime()});
    if (const QString error = WriteStatementPdf(*statement, out); !error.isEmpty()) {
        Say(error);
        return 1;
    }
    // The statement is written either way: it shows which check failed.
    return snesenie::ControlExceeded(control.Report()) ? snesenie::kExitControlExceeded : 0;
}
