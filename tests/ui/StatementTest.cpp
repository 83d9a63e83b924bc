// The statement as a PDF, read back the way anyone would check it: its text
// with pdftotext, its pages and fonts with pdfinfo and pdffonts (poppler-utils).
// Also the program's headless `snesenie --pdf`, started with no display.

#include "FieldTable.h"
#include "UiFixture.h"
#include "StatementActions.h"

#include "Statement.h"

#include <QDir>
#include <QGlyphRun>
#include <QPrinter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <sys/stat.h>

#include <filesystem>

namespace {

// Runs a tool and returns what it printed; fails the test if it cannot run.
QString Tool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PdfText(const QString& path) { return Tool("pdftotext", {"-enc", "UTF-8", path, "-"}); }
QString PdfInfo(const QString& path) { return Tool("pdfinfo", {path}); }

std::filesystem::file_type Type(const QString& path)
{
    return std::filesystem::status(QFile::encodeName(path).toStdString()).type();
}

} // namespace

class StatementTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<UiFixture> ui;
    QTemporaryDir dir;

    QString Export(const QString& name) const
    {
        const QString path = dir.filePath(name);
        const QString error = ui->form1->ExportStatementPdf(path);
        return error.isEmpty() ? path : QStringLiteral("<error: %1>").arg(error);
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(),
                 "pdftotext and pdfinfo (poppler-utils, from scripts/install-deps) are needed");
        QVERIFY(dir.isValid());
    }

    void init() { ui = std::make_unique<UiFixture>(); }

    void cleanup() { QVERIFY2(EndUiTest(ui), "a modal window nobody expected was shown"); }

    // Every field's text, exactly as the window shows it, is on the page.
    void everyFieldTextIsInTheStatement()
    {
        ui->Click(ui->form1->BitBtn1);
        ui->Click(ui->form1->BitBtn3);
        ui->Click(ui->form1->Button1);
        const QString path = Export("example.pdf");
        const QString text = PdfText(path);
        for (const snesenie::FieldInfo& f : snesenie::Fields()) {
            const QString shown = ui->Text(f.name.data());
            QVERIFY2(!shown.isEmpty(), f.name.data());
            QVERIFY2(text.contains(shown), qPrintable(QString::fromUtf8(f.name.data()) + ": " + shown));
        }
        for (const char* expected :
             {"Ведомость", "Задание: без имени", "Программа: snesenie 1.1.0", "допуск соблюдён", "предупреждение",
              "Контроль: допуски соблюдены; слабая засечка: γ АСР.", "1:2000", "30°–150°", "45°22`45,1``",
              "Xp = 6234,85", "Yp = 12335,23", "Вычислил:", "Проверил:", "6. Оценка точности",
              "Mt = √(mx² + my²) = 0,008 м", "базис 5 мм",
              // the drawing of the accuracy, in lines and letters on the page
              "эллипсы 1σ — линия, 2σ — штрихи:", "P строгое", "на A"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY2(!text.contains("Не вычислены"), qPrintable(text));

        const QString info = PdfInfo(path);
        // The sheet and its control on the first page, the accuracy of P on the second.
        QVERIFY2(info.contains(QRegularExpression("Pages:\\s+2\\n")), qPrintable(info));
        QVERIFY2(info.contains("(A4)"), qPrintable(info));
        // Every font is embedded, so the statement looks the same anywhere.
        const QStringList fonts = Tool("pdffonts", {path}).split('\n', Qt::SkipEmptyParts).mid(2);
        QVERIFY(!fonts.isEmpty());
        // name, type, encoding, then emb sub uni and the object number
        const QRegularExpression flags("\\s(yes|no)\\s+(yes|no)\\s+(yes|no)\\s+\\d+\\s+\\d+\\s*$");
        for (const QString& font : fonts)
            QVERIFY2(flags.match(font).captured(1) == "yes", qPrintable(font));
        // One picture, the scheme, however many pages show it: the drawing
        // of the accuracy is no picture, which made the PDF five times larger.
        QSet<QString> pictures;
        for (const QString& line : Tool("pdfimages", {"-list", path}).split('\n', Qt::SkipEmptyParts).mid(2))
            pictures << line.simplified().section(' ', 10, 10);
        QCOMPARE(pictures.size(), 1);
    }

    // The printer takes the same document through the same routine.
    void printerGetsTheSameStatement()
    {
        ui->Click(ui->form1->BitBtn1);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath("printer.pdf"));
        printer.setPageSize(QPageSize(QPageSize::A4));
        RenderStatement(*ui->form1->BuildStatementDocument(), printer);
        const QString text = PdfText(printer.outputFileName());
        QVERIFY2(text.contains("82°7`51``") && text.contains("Задание: без имени"), qPrintable(text));
        QVERIFY2(PdfInfo(printer.outputFileName()).contains("(A4)"), "not A4");
        // The scheme goes to paper and the preview at 300 dpi or more at the
        // width it is printed (it was a screen picture, illegible zoomed in).
        const std::unique_ptr<QTextDocument> statement = ui->form1->BuildStatementDocument();
        const QImage scheme =
            statement->resource(QTextDocument::ImageResource, QUrl("snesenie:scheme")).value<QImage>();
        const QRegularExpressionMatch width =
            QRegularExpression("<img src=\"snesenie:scheme\"[^>]*width=\"(\\d+)\"").match(statement->toHtml());
        QVERIFY(width.hasMatch());
        QVERIFY2(scheme.width() >= width.captured(1).toInt() / 96.0 * 300,
                 qPrintable(QString("%1 pixels across %2 at 96 dpi").arg(scheme.width()).arg(width.captured(1))));
    }

    void uncomputedPagesAreNamedAndDashed()
    {
        ui->Click(ui->form1->BitBtn1);
        const QString text = PdfText(Export("page1.pdf"));
        QVERIFY2(text.contains("Не вычислены по текущим данным: страницы 2 и 3."), qPrintable(text));
        QVERIFY(text.contains("82°7`51``"));
        QVERIFY(text.contains("—"));
        QVERIFY(text.contains("Контроль не выполнен: вычислите все три страницы."));
    }

    // After Xa was changed and only page 1 computed again, the statement
    // printed the new Xa beside the old bold Xp and Yp as if they followed.
    void staleResultsArePrintedGreyAndMarked()
    {
        ui->Click(ui->form1->BitBtn1);
        ui->Click(ui->form1->BitBtn3);
        ui->Click(ui->form1->Button1);
        ui->Edit("EXa")->setText("6327,50");
        ui->Click(ui->form1->BitBtn1);
        const std::unique_ptr<QTextDocument> doc = ui->form1->BuildStatementDocument();
        const auto look = [&doc](const QString& text, const QString& after = {}) {
            const QTextCursor at = after.isEmpty() ? doc->find(text) : doc->find(text, doc->find(after));
            return at.isNull() ? QString("missing")
                               : QString("%1 %2").arg(at.charFormat().foreground().color().name(),
                                                     at.charFormat().fontWeight() >= QFont::Bold ? "bold" : "plain");
        };
        QCOMPARE(look(ui->Text("EAB")), QString("#000000 plain"));  // page 1: current
        QCOMPARE(look("94,019"), QString("#808080 plain"));     // page 2: stale
        QCOMPARE(look("6234,85"), QString("#808080 plain"));    // the variants' and the mean Xp
        QCOMPARE(look("12335,23"), QString("#808080 plain"));
        QCOMPARE(look("6234,85", "Среднее:"), QString("#808080 plain"));  // the mean, no longer bold
        QCOMPARE(look("Xp = ", "Среднее:"), QString("#000000 plain"));
        const QString text = PdfText(Export("stale.pdf"));
        QCOMPARE(text.count("не пересчитано после изменения исходных данных"), 2);
        QVERIFY2(text.contains("Контроль неприменим: результаты не пересчитаны после изменения исходных данных."),
                 qPrintable(text));
        QVERIFY(text.contains("Не вычислены по текущим данным: страницы 2 и 3."));
        QVERIFY(!text.contains("допуск соблюдён"));
    }

    // A text typed into a box is printed as text, never read as markup; in a
    // script whose letters join, joined, though the paper's own words are
    // set without the shaper.
    void typedTextIsPrintedAsTyped()
    {
        ui->Edit("Eb1")->setText("<b>60,76</b> & 1");
        ui->Edit("Eb2")->setText("لا");  // lam and alef: one glyph when joined
        const QString text = PdfText(Export("typed.pdf"));
        QVERIFY2(text.contains("<b>60,76</b> & 1"), qPrintable(text));
        const std::unique_ptr<QTextDocument> statement = ui->form1->BuildStatementDocument();
        QVERIFY(statement->pageCount() > 0);  // laid out
        const QTextCursor joined = statement->find("لا");
        QVERIFY(!joined.isNull());
        qsizetype glyphs = 0;
        for (const QGlyphRun& run :
             joined.block().layout()->glyphRuns(joined.selectionStart() - joined.block().position(), 2))
            glyphs += run.glyphIndexes().size();
        QCOMPARE(glyphs, qsizetype(1));
    }

    void unwritablePlaceLeavesNothing()
    {
        const QString path = dir.filePath("no/such/folder/statement.pdf");
        const QString error = ui->form1->ExportStatementPdf(path);
        QVERIFY2(error.contains(path), qPrintable(error));
        QVERIFY(!QFile::exists(path));
    }

    // A PDF exported onto a FIFO used to replace it; so would one onto
    // /dev/null, as root.
    void refusesWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("says");
        QTest::newRow("fifo") << "канал.pdf" << "это именованный канал (FIFO), а не обычный файл";
        QTest::newRow("folder") << "папка.pdf" << "это папка, а не файл";
    }

    void refusesWhatIsNotAFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, says);
        QTemporaryDir here;
        const QString path = here.filePath(name);
        if (name.startsWith("папка"))
            QVERIFY(QDir(here.path()).mkdir(name));
        else
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const std::filesystem::file_type type = Type(path);

        QCOMPARE(ui->form1->ExportStatementPdf(path), "Не удалось записать ведомость «" + path + "»: " + says + ".");
        QVERIFY(Type(path) == type);
        QCOMPARE(QDir(here.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 1);

        // Headless, the same refusal on standard error, a usage error before
        // anything is computed.
        QProcess program;
        program.start(SNESENIE_GUI, {"--pdf", path});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), 2);
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(err.split('\n').contains("snesenie: Не удалось записать ведомость «" + path + "»: " + says + "."),
                 qPrintable(err));
        QVERIFY(Type(path) == type);
        QCOMPARE(QDir(here.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 1);
    }

    // From Файл → Экспорт в PDF…, the refusal is a message box.
    void exportMenuShowsTheRefusal()
    {
        QTemporaryDir here;
        const QString path = here.filePath("канал.pdf");
        QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        ui->watch.fileToPick = path;
        ui->watch.reply = QMessageBox::Yes;  // the file dialog's "replace it?"
        ui->form1->PdfAction->trigger();
        const QList<SeenModal> seen = ui->watch.Take();
        QVERIFY(!seen.isEmpty());
        const SeenModal& box = seen.last();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.text, "Не удалось записать ведомость «" + path + "»: это именованный канал (FIFO), а не обычный файл.");
        QVERIFY(Type(path) == std::filesystem::file_type::fifo);
    }

    // The statement's actions on their own, with no window behind them: the
    // PDF is proposed beside the job under its name, and a refusal comes
    // back as a signal for the window to show, never as a box of their own.
    void statementActionsStandAlone()
    {
        QTemporaryDir here;
        QWidget window;
        int built = 0;
        StatementActions actions(window, {[&built] {
                                              ++built;
                                              return std::make_unique<QTextDocument>("ведомость");
                                          },
                                          [&here] { return here.filePath("станция.snesenie"); },
                                          [&here] {
                                              return std::filesystem::path(
                                                  QFile::encodeName(here.filePath("станция.snesenie")).toStdString());
                                          }});
        QSignalSpy failed(&actions, &StatementActions::Failed);
        const QString fifo = here.filePath("канал.pdf");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        ui->watch.fileToPick = fifo;
        ui->watch.reply = QMessageBox::Yes;
        actions.Pdf->trigger();
        const QList<SeenModal> seen = ui->watch.Take();
        QVERIFY(!seen.isEmpty());
        const auto dialog = std::find_if(seen.begin(), seen.end(),
                                         [](const SeenModal& m) { return m.window == "PdfFileDialog"; });
        QVERIFY(dialog != seen.end());
        QCOMPARE(QFileInfo(dialog->file).fileName(), QString("станция.pdf"));
        QVERIFY(std::none_of(seen.begin(), seen.end(), [](const SeenModal& m) { return m.icon == QMessageBox::Critical; }));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toString(),
                 "Не удалось записать ведомость «" + fifo + "»: это именованный канал (FIFO), а не обычный файл.");
        QCOMPARE(built, 0);
        QCOMPARE(actions.ExportPdf(here.filePath("ведомость.pdf")), QString());
        QCOMPARE(built, 1);
    }

    // Экспорт в PDF… onto a job's name used to replace the job with a PDF.
    void exportMenuAddsPdfToTheName()
    {
        QTemporaryDir here;
        const QString job = here.filePath("станция7.snesenie");
        QFile file(job);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("{}") == 2);
        file.close();
        ui->watch.fileToPick = job;
        ui->watch.reply = QMessageBox::Yes;
        ui->form1->PdfAction->trigger();
        ui->watch.Take();
        QFile old(job);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("{}"));
        QFile pdf(job + ".pdf");
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        QCOMPARE(pdf.read(5), QByteArray("%PDF-"));
    }

    // The program's own --pdf, as a script in an office would run it: no
    // display at all, and the exit status tells the outcome.
    void headlessStatement_data()
    {
        QTest::addColumn<QStringList>("args");  // after --pdf OUT
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");  // or, on success, the job's name on the statement
        // A station of its own: A moved by 4 cm, so P moves with it.
        QFile job(dir.filePath("station-12.snesenie"));
        QVERIFY(job.open(QIODevice::WriteOnly));
        job.write(R"({"format": "snesenie-job", "version": 1, "fields": {"EXa": "6327,50", "EXb": "7049,74",
            "EXc": "3700,05", "EYa": "12351,48", "EYb": "17577,28", "EYc": "13936,62", "Eb1": "60,76", "Eb2": "42,14",
            "Ebb11g": "63", "Ebb11m": "52", "Ebb11s": "54,7", "Ebb1g": "45", "Ebb1m": "22", "Ebb1s": "45,1",
            "Ebb22g": "89", "Ebb22m": "29", "Ebb22s": "37,2", "Ebb2g": "94", "Ebb2m": "30", "Ebb2s": "54,6",
            "Edd1g": "71", "Edd1m": "12", "Edd1s": "42,3", "Edd2g": "137", "Edd2m": "45", "Edd2s": "52,8"}})");
        job.close();
        QTest::newRow("example sheet") << QStringList() << 0 << "без имени";
        QTest::newRow("job") << QStringList{job.fileName()} << 0 << "station-12";
        // an exceeded tolerance used to exit 0 like a sheet that passes
        QTest::newRow("control exceeded") << QStringList{dir.filePath("weak.snesenie")} << 3 << "weak";
        QFile weak(dir.filePath("weak.snesenie"));
        QVERIFY(weak.open(QIODevice::WriteOnly));
        weak.write(R"({"format": "snesenie-job", "version": 1, "fields": {"EXa": "6327,46", "EXb": "7049,74",
            "EXc": "3700,05", "EYa": "12351,48", "EYb": "17577,28", "EYc": "13936,62", "Eb1": "60,76", "Eb2": "42,14",
            "Ebb11g": "63", "Ebb11m": "52", "Ebb11s": "54,7", "Ebb1g": "75", "Ebb1m": "30", "Ebb1s": "0",
            "Ebb22g": "89", "Ebb22m": "29", "Ebb22s": "37,2", "Ebb2g": "94", "Ebb2m": "30", "Ebb2s": "0",
            "Edd1g": "71", "Edd1m": "12", "Edd1s": "42,3", "Edd2g": "137", "Edd2m": "45", "Edd2s": "52,8"}})");
        weak.close();
        QTest::newRow("missing job") << QStringList{dir.filePath("нет.snesenie")} << 1 << "нет.snesenie";
        QTest::newRow("page 1 fails") << QStringList{dir.filePath("bad.snesenie")} << 1 << "«Xc»";
        QFile bad(dir.filePath("bad.snesenie"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write(R"({"format": "snesenie-job", "version": 1, "fields": {"EXc": "3700;05"}})");
    }

    void headlessStatement()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, error);
        const QString out = dir.filePath(QStringLiteral("headless-%1.pdf").arg(QTest::currentDataTag()));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        program.setProcessEnvironment(env);
        program.start(SNESENIE_GUI, QStringList{"--pdf", out} + args);
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), status);
        const QString err = QString::fromUtf8(program.readAllStandardError());
        if (status == 3) {  // written, and the failed check is on it
            QVERIFY2(PdfText(out).contains("допуск превышен"), qPrintable(PdfText(out)));
            return;
        }
        if (status != 0) {
            QVERIFY2(err.contains(error), qPrintable(err));
            QVERIFY(!QFile::exists(out));
            return;
        }
        const QString text = PdfText(out);
        QVERIFY2(text.contains("Задание: " + error), qPrintable(text));
        QVERIFY(text.contains("допуск соблюдён"));
        // The job's own A, 4 cm off the example's, carries P with it.
        const bool own = error == "station-12";
        for (const char* expected : {own ? "6234,89" : "6234,85", own ? "12335,22" : "12335,23"})
            QVERIFY2(text.contains(QString::fromUtf8(expected)), expected);
        QVERIFY2(PdfInfo(out).contains("(A4)"), qPrintable(PdfInfo(out)));
    }

    // snesenie --pdf judges by the window's tolerances: a stored value out of
    // range falls back alone and is said on standard error; a FIFO as the
    // settings file used to hang it for ever.
    void headlessStatementSaysWhatTheSettingsCannotGive_data()
    {
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<QString>("said");
        QTest::newRow("out of range") << false
                                      << "допуск «gammaMax» = «200» вне пределов (нужно число от 120 до 175); "
                                         "действует значение по умолчанию 150;";
        QTest::newRow("fifo") << true << "это именованный канал (FIFO), а не обычный файл";
    }

    void headlessStatementSaysWhatTheSettingsCannotGive()
    {
        QFETCH(bool, fifo);
        QFETCH(QString, said);
        QTemporaryDir config;
        QVERIFY(QDir(config.path()).mkpath("snesenie"));
        const QString file = config.filePath("snesenie/snesenie.conf");
        if (fifo) {
            QCOMPARE(mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        } else {
            QFile settings(file);
            QVERIFY(settings.open(QIODevice::WriteOnly));
            settings.write("[control]\ndirectionSeconds=0,3\ngammaMax=200\n");
        }
        const QString out = dir.filePath(QStringLiteral("settings-%1.pdf").arg(QTest::currentDataTag()));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", config.path());
        program.setProcessEnvironment(env);
        program.start(SNESENIE_GUI, {"--pdf", out});
        const bool finished = program.waitForFinished(20000);
        if (!finished)
            program.kill();
        QVERIFY2(finished, "snesenie --pdf hung on its settings file");
        // The stored 0,3″ that is kept fails the (AP) check: status 3.
        QCOMPARE(program.exitCode(), fifo ? 0 : 3);
        const QString err = QString::fromUtf8(program.readAllStandardError());
        QVERIFY2(err.contains(said), qPrintable(err));
        // The others kept: the stored 0,3″ fails the (AP) check.
        QCOMPARE(PdfText(out).contains("допуск превышен"), !fifo);
    }

    void headlessUsageError()
    {
        QProcess program;
        program.start(SNESENIE_GUI, {"--pdf"});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitCode(), 2);
        QVERIFY(QString::fromUtf8(program.readAllStandardError()).contains("snesenie --pdf"));
    }
};

QTEST_MAIN(StatementTest)
#include "StatementTest.moc"
