// The program: the main window, and the event loop until it closes.

#include "DisplayCheck.h"
#include "Errors.h"
#include "FontWarmUp.h"
#include "PdfExport.h"
#include "ProgramIcon.h"
#include "Results.h"
#include "Stations.h"
#include "ToolkitTranslation.h"
#include "StartOptions.h"
#include "StatementTarget.h"
#include "SystemReason.h"
#include "Utf8Path.h"
#include "Unit1.h"
#include "Version.h"

#include <QApplication>

#include <cerrno>
#include <csignal>
#include <cstdio>

int main(int argc, char** argv)
{
#ifdef SIGXFSZ
    // Past a file size limit (ulimit -f) a write is to fail with its reason,
    // so that the save says «файл слишком велик» and removes its temporary,
    // rather than the program being killed halfway through it.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    // The command line is read before the application exists: --help and
    // --version must answer where no window could be opened.
    const StartOptions options = ParseStartOptions(CommandLineWords(argc, argv));
    switch (options.action) {
    case StartOptions::Action::Help:
    case StartOptions::Action::Version:
        // A help lost to a full disk or a closed pipe is a failure, and
        // one that says so: a bare exit status 1 leaves no clue.
        if (std::fputs(options.message.toUtf8().constData(), stdout) < 0 || std::fflush(stdout) != 0 ||
            std::ferror(stdout)) {
            const int reason = errno;
            std::fprintf(stderr, "snesenie: не удалось вывести %s: %s.\n",
                         options.action == StartOptions::Action::Help ? "справку" : "версию",
                         snesenie::job::SystemReason(reason).c_str());
            return 1;
        }
        return 0;
    case StartOptions::Action::Error:
        std::fputs(options.message.toUtf8().constData(), stderr);
        return 2;
    case StartOptions::Action::Run:
        break;
    }

    // snesenie --batch STATIONS --pdf OUT.pdf: the bundle of a batch, as
    // headless as a single statement. The table is read and the target
    // checked before anything is computed.
    if (!options.batch.empty()) {
        const std::filesystem::path stations = snesenie::job::PathFromUtf8(options.batch);
        snesenie::batch::StationList list;
        try {
            list = snesenie::batch::ReadStations(stations, options.separator);
        } catch (const snesenie::batch::BatchError& e) {
            std::fprintf(stderr, "snesenie: %s\n", e.what());
            return 2;
        }
        const std::string& out = options.pdf;
        if (const std::string problem = snesenie::batch::BundleTargetProblem(snesenie::job::PathFromUtf8(out), list);
            !problem.empty()) {
            std::fprintf(stderr, "snesenie: Не удалось записать пакет ведомостей %s: %s.\nСправка: snesenie --help\n",
                         snesenie::QuotePath(out).c_str(), problem.c_str());
            return 2;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return RunBatchPdfExport(argc, argv, snesenie::job::PathFromUtf8(out), list, stations, options.tolerances,
                                 snesenie::UserSettingsFile(), options.precision);
    }

    // snesenie --pdf OUT.pdf [JOB]: the statement without a window, and
    // without a display to open one on.
    if (!options.pdf.empty()) {
        // A slip in a script's arguments (the job where the PDF should be,
        // a job twice) must not turn a job into a PDF: refused before
        // anything is read or written.
        const std::string& out = options.pdf;
        if (const std::string problem = snesenie::job::StatementTargetProblem(
                snesenie::job::PathFromUtf8(out), snesenie::job::PathFromUtf8(options.job));
            !problem.empty()) {
            std::fprintf(stderr, "snesenie: Не удалось записать ведомость %s: %s.\nСправка: snesenie --help\n",
                         snesenie::QuotePath(out).c_str(), problem.c_str());
            return 2;
        }
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return RunPdfExport(argc, argv, snesenie::job::PathFromUtf8(out), snesenie::job::PathFromUtf8(options.job),
                            options.tolerances, snesenie::UserSettingsFile(), options.precision);
    }

    if (const QString reason = MissingDisplayReason(); !reason.isEmpty()) {
        std::fputs(NoDisplayMessage(reason).toUtf8().constData(), stderr);
        return 1;
    }
    FontWarmUp fonts;
    BeginStartGuard();
    QApplication app(argc, argv);
    EndStartGuard();
    QApplication::setApplicationName("snesenie");
    QApplication::setApplicationVersion(snesenie::kVersion);
    QGuiApplication::setDesktopFileName(snesenie::kAppId);
    app.setWindowIcon(ProgramIcon());
    UseBuiltInArrows();
    InstallToolkitTranslation(app);

    // The help and scheme windows, the pages beyond the first, the list of
    // stations and every dialog are made when first needed.
    fonts.Finish();
    TForm1 Form1;
    Form1.show();
    // A job named on the command line, as a file manager passes it, opens at
    // once; one that cannot be opened is explained and the example stays.
    if (!options.job.empty())
        Form1.OpenJob(QString::fromStdString(options.job));
    return app.exec();
}
