#include "PdfExport.h"

#include "BatchBundle.h"
#include "FilePaths.h"
#include "JobFile.h"
#include "Settings.h"
#include "Sheet.h"
#include "Statement.h"
#include "ToolkitTranslation.h"
#include "Utf8Path.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextDocument>

#include <chrono>
#include <csignal>
#include <cstdio>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

void Say(const QString& message)
{
    std::fprintf(stderr, "snesenie: %s\n", message.toUtf8().constData());
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

// Judged by the tolerances and precision the window would use, with those of
// the command line over them; what the settings file could not give is said,
// and its default stands in.
std::pair<snesenie::Tolerances, snesenie::Precision> ChooseJudging(const ToleranceOverrides& overrides,
                                                                   const PrecisionOverrides& precisionOverrides,
                                                                   const std::filesystem::path& settingsFile)
{
    const snesenie::Settings settings(settingsFile);
    for (const std::string& problem : settings.Problems())
        Say(QString::fromStdString(problem));
    snesenie::Tolerances tolerances = settings.GetTolerances();
    for (const auto& [field, value] : overrides)
        tolerances.*field->member = value;
    snesenie::Precision precision = settings.GetPrecision();
    for (const auto& [field, value] : precisionOverrides)
        precision.*field->member = value;
    return {tolerances, precision};
}

// Ctrl+C stops a bundle between two stations, so that the old PDF stays
// as it was and no temporary is left; the status is then the shell's 130.
volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void NoteInterrupt(int) { g_interrupted = 1; }

constexpr int kExitInterrupted = 130;

bool StderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

// The count of stations on standard error: redrawn in place on a terminal,
// at most a few times a second; as plain lines "progress DONE TOTAL" for
// snesenie-cli, which asks for them and draws them on its own line; nothing
// for a script or a log.
class ProgressLine {
public:
    ProgressLine()
        : forCli_(qEnvironmentVariable("SNESENIE_PROGRESS") == QLatin1String("lines")),
          shown_(!forCli_ && StderrIsTerminal())
    {
    }

    void Step(int done, int total)
    {
        if (!forCli_ && !shown_)
            return;
        const auto now = std::chrono::steady_clock::now();
        if (done == lastDone_ || (done != total && now - last_ < std::chrono::milliseconds(100)))
            return;
        last_ = now;
        lastDone_ = done;
        if (forCli_)
            std::fprintf(stderr, "progress %d %d\n", done, total);
        else
            std::fprintf(stderr, "\r\033[K%s", BundleProgressText(done, total).toUtf8().constData());
        std::fflush(stderr);
        drawn_ = shown_;
    }

    // Clears the line before a message, so the two never run together.
    void Clear()
    {
        if (drawn_)
            std::fprintf(stderr, "\r\033[K");
        drawn_ = false;
    }

private:
    bool forCli_;
    bool shown_;
    bool drawn_ = false;
    int lastDone_ = -1;
    std::chrono::steady_clock::time_point last_{};
};

} // namespace

QString BundleProgressText(int done, int total)
{
    return QStringLiteral("ведомости пакета: станция %1 из %2").arg(done).arg(total);
}

int RunPdfExport(int argc, char** argv, const std::filesystem::path& out, const std::filesystem::path& jobPath,
                 const ToleranceOverrides& tolerances, const std::filesystem::path& settingsFile,
                 const PrecisionOverrides& precision)
{
    g_toolkitHandler = qInstallMessageHandler(QuietRuntimeWarning);
    QGuiApplication app(argc, argv);
    // The system's reasons (a missing folder, a full disk) in the program's
    // language, as the window gives them.
    InstallToolkitTranslation(app);
    snesenie::Sheet sheet;
    QString jobName;
    if (!jobPath.empty()) {
        try {
            snesenie::job::ApplyJob(snesenie::job::ReadJob(jobPath), sheet.Fields());
        } catch (const snesenie::job::JobError& e) {
            Say(QString::fromUtf8(e.what()));
            return 1;
        }
        jobName = QFileInfo(snesenie::QtPath(jobPath)).completeBaseName();
    }

    const auto [chosenTolerances, chosenPrecision] = ChooseJudging(tolerances, precision, settingsFile);
    sheet.SetTolerances(chosenTolerances);
    sheet.SetPrecision(chosenPrecision);
    for (const snesenie::SheetAction action :
         {snesenie::SheetAction::Page1, snesenie::SheetAction::Page2, snesenie::SheetAction::Page3}) {
        const snesenie::PressResult result = sheet.Press(action);
        if (!result.Completed()) {
            // A statement is handed in as the record of a finished sheet, so a
            // sheet that stopped part-way gets none.
            Say(QStringLiteral("страница %1: %2")
                    .arg(snesenie::Sheet::PageOf(action))
                    .arg(QString::fromStdString(result.message)));
            return 1;
        }
    }

    const std::unique_ptr<QTextDocument> statement =
        BuildStatement({sheet.Fields(), sheet.Record(), jobName, QDateTime::currentDateTime()});
    if (const QString error = WriteStatementPdf(*statement, out); !error.isEmpty()) {
        Say(error);
        return 1;
    }
    // The statement is written either way: it shows which check failed.
    return snesenie::ControlExceeded(sheet.Control()) ? snesenie::kExitControlExceeded : 0;
}

int RunBatchPdfExport(int argc, char** argv, const std::filesystem::path& out, const snesenie::batch::StationList& list,
                      const std::filesystem::path& stationsPath, const ToleranceOverrides& tolerances,
                      const std::filesystem::path& settingsFile, const PrecisionOverrides& precision)
{
    g_toolkitHandler = qInstallMessageHandler(QuietRuntimeWarning);
    QGuiApplication app(argc, argv);
    InstallToolkitTranslation(app);
    const auto [chosenTolerances, chosenPrecision] = ChooseJudging(tolerances, precision, settingsFile);
    const BundleHeading heading{StationsName(stationsPath), chosenTolerances, QDateTime::currentDateTime(),
                                chosenPrecision};
    std::signal(SIGINT, NoteInterrupt);
    ProgressLine line;
    const BundleReport report = WriteBatchBundle(list, heading, out, [&line](int done, int total) {
        line.Step(done, total);
        return g_interrupted == 0;
    });
    line.Clear();
    // Every failed station is named, whether or not the bundle was written.
    for (const QString& failure : report.failures)
        Say(failure);
    if (!report.error.isEmpty()) {
        Say(report.error);
        return report.stopped ? kExitInterrupted : 1;
    }
    // A Ctrl+C that came while the finished file was written: it is written
    // whole, and the status still says the run was interrupted.
    if (g_interrupted != 0)
        return kExitInterrupted;
    return report.failed > 0 ? 1 : report.exceeded > 0 ? snesenie::kExitControlExceeded : 0;
}
