// The bundle of a batch read back as anyone would check it: its pages with
// pdfinfo, each page's text with pdftotext (poppler-utils). Also the window
// program's headless `snesenie --batch … --pdf …`, started with no display.

#include "BatchBundle.h"
#include "FieldTable.h"
#include "RunStation.h"
#include "Statement.h"
#include "UiFixture.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>

#include <sys/resource.h>
#include <csignal>
#include <sys/stat.h>

using namespace snesenie;
using namespace snesenie::batch;

namespace {

QString Tool(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(program, QString::fromUtf8(process.readAllStandardError()));
    return QString::fromUtf8(process.readAllStandardOutput());
}

int Pages(const QString& pdf)
{
    const QRegularExpressionMatch m = QRegularExpression("Pages:\\s+(\\d+)").match(Tool("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The number at the foot of a page's text: its last line but blanks.
int FootNumber(const QString& text)
{
    const QStringList lines = text.trimmed().split('\n');
    bool ok = false;
    const int number = lines.back().trimmed().toInt(&ok);
    return ok ? number : -1;
}

QString WithoutFootNumber(const QString& text)
{
    QStringList lines = text.trimmed().split('\n');
    lines.removeLast();
    return lines.join('\n');
}

QString PageText(const QString& pdf, int page)
{
    return Tool("pdftotext", {"-enc", "UTF-8", "-layout", "-f", QString::number(page), "-l", QString::number(page),
                              pdf, "-"});
}

// The pages that begin a statement: each runs on to its accuracy estimate,
// and a long control to a third page.
QList<int> StatementStarts(const QString& pdf)
{
    QList<int> starts;
    for (int page = 1; page <= Pages(pdf); ++page)
        if (PageText(pdf, page).trimmed().startsWith(QStringLiteral("Ведомость")))
            starts << page;
    return starts;
}

// The page as pixels, at a resolution where a glyph moved by a fraction of a
// point shows.
QByteArray PagePixels(const QString& pdf, int page)
{
    QProcess process;
    process.start("pdftoppm", {"-r", "100", "-f", QString::number(page), "-l", QString::number(page), "-gray", pdf});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "<pdftoppm failed>";
    // Less the foot of the page, where a bundle numbers its pages through:
    // a portable graymap is three lines of header, then the rows.
    const QByteArray image = process.readAllStandardOutput();
    const QList<QByteArray> header = image.left(64).split('\n');
    if (header.size() < 4)
        return "<no graymap>";
    const qsizetype start = header[0].size() + header[1].size() + header[2].size() + 3;
    const QList<QByteArray> size = header[1].split(' ');
    const qsizetype width = size.value(0).toLongLong(), height = size.value(1).toLongLong();
    return image.mid(start, width * (height * 9 / 10));
}

// A table of stations on the example sheet; a row is a name, or a name, a
// field and the text that field takes instead of the example's.
QByteArray StationTable(const QList<QStringList>& rows)
{
    QByteArray table = "station";
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            table += ";" + QByteArray(f.name.data(), qsizetype(f.name.size()));
    table += "\r\n";
    for (const QStringList& row : rows) {
        table += row[0].toUtf8();
        for (const FieldInfo& f : Fields()) {
            if (f.kind != FieldKind::Input)
                continue;
            const bool changed = row.size() == 3 && row[1] == QLatin1String(f.name.data(), qsizetype(f.name.size()));
            table += ";" + (changed ? row[2].toUtf8() : QByteArray(f.example.data(), qsizetype(f.example.size())));
        }
        table += "\r\n";
    }
    return table;
}

QString WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
}

// A base 10 m longer through B: the two positions of P part by metres.
const QStringList kExceeded{"Юг", "Eb1", "70,76"};
// A comma typed on the Russian layout's key in the middle of the table.
const QStringList kFailing{"Сбой", "Edd2s", "52б8"};

} // namespace

class BatchBundleTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    const QDateTime when{QDate(2026, 5, 14), QTime(9, 30)};

    BundleReport Write(const QList<QStringList>& rows, const QString& out, StationList* read = nullptr,
                       int painters = 0)
    {
        const QString table = WriteFile(dir.filePath("станции.csv"), StationTable(rows));
        const StationList list = ReadStations(QFile::encodeName(table).toStdString());
        if (read != nullptr)
            *read = list;
        return WriteBatchBundle(list, {QStringLiteral("станции.csv"), Tolerances{}, when, Precision{}}, out, {},
                                painters);
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable("pdftotext").isEmpty(),
                 "pdftotext and pdfinfo (poppler-utils, from scripts/install-deps) are needed");
        QVERIFY(dir.isValid());
    }

    // A failing row in the middle is marked on the summary and gets no
    // statement; every other station gets its own, in order, each from a
    // new page. However many threads paint it: one a station, each part
    // then begins where it guessed wrong (the exceeded statement takes a
    // third page), and is painted again.
    void summaryThenEveryComputedStatement_data()
    {
        QTest::addColumn<int>("painters");
        QTest::newRow("один") << 1;
        QTest::newRow("по станции") << 3;
    }

    void summaryThenEveryComputedStatement()
    {
        QFETCH(int, painters);
        const QString out = dir.filePath("пакет.pdf");
        const BundleReport report =
            Write({{"Север"}, kFailing, kExceeded, {"Восток", "EXa", "6327,50"}}, out, nullptr, painters);
        QCOMPARE(report.error, QString());
        QCOMPARE(report.computed, 3);
        QCOMPARE(report.failed, 1);
        QCOMPARE(report.exceeded, 1);
        QCOMPARE(report.failures,
                 QStringList{"Станция «Сбой», строка 3, столбец 27 (Edd2s): В поле «δ, секунды, вариант АСР» не "
                             "число: «52б8». Буква «б» стоит на месте десятичной запятой: клавиатура в русской "
                             "раскладке."});
        QCOMPARE(StatementStarts(out).size(), 3);
        QCOMPARE(StatementStarts(out).front(), 2);

        const QString summary = PageText(out, 1).simplified();
        for (const char* expected :
             {"Сводка пакета станций", "Таблица станций: станции.csv", "Дата и время: 14.05.2026 09:30",
              "Допуски: 1:2000, 60``, 0,05 м, γ 30°–150°",
              "Станций: 4. Вычислено: 3, не вычислено: 1, допуск превышен: 1.",
              "1 Север 6234,85 12335,23 0,008 предупреждение: γ АСР",
              "2 Сбой — — — НЕ ВЫЧИСЛЕНА: строка 3, столбец 27 (Edd2s)", "3 Юг 6227,20 12334,04 0,008 ДОПУСК ПРЕВЫШЕН: d, (AP), P",
              "4 Восток 6234,89 12335,22 0,008 предупреждение"})
            QVERIFY2(summary.contains(QString::fromUtf8(expected)), qPrintable(expected + ("\n" + summary)));

        const QStringList names{"Север", "Юг", "Восток"};
        for (int i = 0; i < 3; ++i) {
            const QString text = PageText(out, StatementStarts(out)[i]);
            QVERIFY2(text.contains("Задание: " + names[i]), qPrintable(text));
            QVERIFY2(!text.contains("Сбой"), qPrintable(text));
        }
        // Numbered through the bundle at the foot: every statement was «1».
        QCOMPARE(Pages(out), 8);
        for (int page = 1; page <= Pages(out); ++page)
            QCOMPARE(FootNumber(PageText(out, page)), page);
    }

    // Each statement of the bundle is the window's statement of that
    // station, word for word; the second here is painted on a thread of its
    // own, into a PDF of its own joined to the first.
    void statementAsTheWindowPrintsIt()
    {
        const QString out = dir.filePath("один.pdf");
        StationList list;
        // A name with letters that join: the template's texts are set as
        // the single statement's are, shaped where they need it.
        QStringList south = kExceeded;
        south[0] = QStringLiteral("Юг لا");
        QCOMPARE(Write({{"Север"}, south}, out, &list, 2).error, QString());
        Sheet sheet;
        QVERIFY(RunStation(list.stations[1], Tolerances{}, Precision{}, sheet).computed);
        const QString single = dir.filePath("ведомость.pdf");
        QCOMPARE(WriteStatementPdf(*BuildStatement({sheet.Fields(), sheet.Record(), south[0], when}), single),
                 QString());
        const int first = StatementStarts(out).value(1);
        QCOMPARE(Pages(out), first - 1 + Pages(single));
        // Word for word but the page's number, which runs through the bundle.
        QCOMPARE(WithoutFootNumber(PageText(out, first)), WithoutFootNumber(PageText(single, 1)));
        // the same pixels, not only the same words: the statements of a
        // bundle are laid out once each, on the PDF itself; the page of the
        // accuracy with its drawing too
        for (int page = 1; page <= Pages(single); ++page) {
            const QByteArray pixels = PagePixels(single, page);
            QVERIFY(pixels.size() > 100000);
            QVERIFY2(PagePixels(out, first - 1 + page) == pixels, qPrintable(QString::number(page)));
        }
        // Each part's subsets of a face are named apart, as subsets are; the
        // scheme both parts drew is held once.
        const QString fonts = Tool("pdffonts", {out});
        for (const char* name : {"SNSPAA+LiberationSans ", "SNSPAB+LiberationSans ", "SNSPAB+LiberationSans-Bold "})
            QVERIFY2(fonts.contains(QLatin1String(name)), qPrintable(fonts));
        QStringList pictures = Tool("pdfimages", {"-list", out}).split('\n', Qt::SkipEmptyParts).mid(2);
        for (QString& picture : pictures)
            picture = picture.simplified().section(' ', 10, 10);  // its object
        pictures.removeDuplicates();
        QCOMPARE(pictures.size(), 1);
    }

    // The ruled tables are drawn by the program rather than by the text
    // layout, and must come out as the layout drew them: the same pixels,
    // a statement within its tolerances and one beyond them.
    void ownRulesAsTheLayoutsRules_data()
    {
        QTest::addColumn<QStringList>("station");
        QTest::newRow("в допуске") << QStringList{"Север"};
        QTest::newRow("допуск превышен") << kExceeded;
        // A name long enough to push a ruled table over the page: that table keeps
        // the layout's own rules, cut at the page as the layout cuts them.
        QTest::newRow("таблица на двух страницах") << QStringList{QString(300, QChar(0x0416))};
    }

    void ownRulesAsTheLayoutsRules()
    {
        QFETCH(QStringList, station);
        StationList list;
        QCOMPARE(Write({station}, dir.filePath("правила.pdf"), &list).error, QString());
        Sheet sheet;
        QVERIFY(RunStation(list.stations[0], Tolerances{}, Precision{}, sheet).computed);
        const std::unique_ptr<QTextDocument> statement = BuildStatement({sheet.Fields(), sheet.Record(), station[0], when});
        QStringList files;
        for (const bool ownRules : {true, false}) {
            files << dir.filePath(ownRules ? "свои.pdf" : "раскладки.pdf");
            QFile file(files.back());
            QVERIFY(file.open(QIODevice::WriteOnly));
            QPdfWriter writer(&file);
            SetUpPdfWriter(writer, StatementTitle());
            PrepareStatementDevice(writer);
            QPainter painter(&writer);
            PaintDocumentPages(*statement, painter, writer, 1, ownRules);
        }
        QCOMPARE(Pages(files[0]), Pages(files[1]));
        for (int page = 1; page <= Pages(files[0]); ++page) {
            const QByteArray pixels = PagePixels(files[1], page);
            QVERIFY(pixels.size() > 100000);
            QVERIFY2(PagePixels(files[0], page) == pixels, qPrintable(QString::number(page)));
        }
    }

    // A bundle stopped (Отмена, Ctrl+C, the window closed) writes nothing:
    // an old bundle stays byte for byte, and no temporary is left beside it.
    void stoppedBundleWritesNothing_data()
    {
        QTest::addColumn<int>("stopAt");  // the first count of stations told that says stop
        QTest::addColumn<bool>("old");    // a bundle is there already
        QTest::newRow("while computed") << 0 << true;
        QTest::newRow("half way") << 2 << true;
        QTest::newRow("last page made") << 4 << true;
        QTest::newRow("no old bundle") << 2 << false;
    }

    void stoppedBundleWritesNothing()
    {
        QFETCH(int, stopAt);
        QFETCH(bool, old);
        QTemporaryDir here;
        const QString table = WriteFile(here.filePath("станции.csv"), StationTable({{"1"}, kFailing, {"3"}, {"4"}}));
        const QString path = here.filePath("пакет.pdf");
        const QByteArray before = "%PDF-1.4 прежний пакет";
        if (old)
            QVERIFY(!WriteFile(path, before).isEmpty());
        const QStringList entries = Entries(here.path());
        QList<int> told;
        const StationList list = ReadStations(QFile::encodeName(table).toStdString());
        const BundleReport report = WriteBatchBundle(list, {"станции.csv", Tolerances{}, when, Precision{}}, path,
                                                     [&](int done, int total) {
                                                         told << done;
                                                         return total == 4 && done < stopAt;
                                                     },
                                                     2);
        QVERIFY(report.stopped);
        // Told every count from the first to where it stopped, however the
        // two painting threads ran.
        for (qsizetype i = 1; i < told.size(); ++i)
            QVERIFY2(told[i] == told[i - 1] || told[i] == told[i - 1] + 1, qPrintable(QString::number(told[i])));
        QCOMPARE(report.error, "Пакет ведомостей не записан: запись прервана; файл «" + path +
                                   (old ? "» остался прежним." : "» не создан."));
        QCOMPARE(told.last(), stopAt);
        QCOMPARE(Entries(here.path()), entries);
        if (old) {
            QFile kept(path);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), before);
        }
    }

    // A long batch: the summary runs over several pages, each with the
    // columns' heading, and every station still has its statement.
    void longSummaryRunsOver()
    {
        QList<QStringList> rows;
        for (int i = 1; i <= 70; ++i)
            rows << QStringList{QStringLiteral("Пункт %1").arg(i)};
        const QString out = dir.filePath("длинный.pdf");
        QCOMPARE(Write(rows, out).error, QString());
        const QList<int> starts = StatementStarts(out);
        QCOMPARE(starts.size(), 70);
        const int pages = Pages(out);
        const int summaryPages = starts.front() - 1;
        QVERIFY2(summaryPages >= 2, qPrintable(QString::number(pages)));
        for (int page = 1; page <= summaryPages; ++page)
            QVERIFY2(QRegularExpression("№\\s+Станция\\s+Xp\\s+Yp\\s+Mt, м\\s+Вывод").match(PageText(out, page)).hasMatch(),
                     qPrintable(QString::number(page)));
        QVERIFY(PageText(out, summaryPages).contains("70 Пункт 70"));
        QVERIFY(PageText(out, summaryPages + 1).contains("Задание: Пункт 1"));
        QVERIFY(PageText(out, starts.back()).contains("Задание: Пункт 70"));
        QVERIFY(PageText(out, pages).contains("Оценка точности"));
    }

    // Nothing is computed or written where a bundle may not go, and what is
    // there stays as it was.
    void refusedTargetsWriteNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("says");
        QTest::newRow("no .pdf") << "пакет.txt" << "имя файла ведомости должно оканчиваться на .pdf";
        QTest::newRow("the table by a link") << "ссылка.pdf" << "это таблица станций, из которой вычисляется пакет";
        QTest::newRow("not a PDF") << "записка.pdf" << "файл уже есть и это не PDF, он не будет заменён";
        QTest::newRow("fifo") << "канал.pdf" << "это именованный канал (FIFO), а не обычный файл";
        QTest::newRow("folder") << "папка.pdf" << "это папка, а не файл";
        QTest::newRow("no such folder") << "нет/пакет.pdf" << "нет такого файла или папки";
    }

    void refusedTargetsWriteNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, says);
        QTemporaryDir here;
        const QString table = WriteFile(here.filePath("станции.csv"), StationTable({{"Север"}}));
        const QString path = here.filePath(name);
        if (name == "ссылка.pdf")
            QVERIFY(QFile::link(table, path));
        else if (name == "записка.pdf")
            QVERIFY(!WriteFile(path, "не PDF").isEmpty());
        else if (name == "канал.pdf")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (name == "папка.pdf")
            QVERIFY(QDir(here.path()).mkdir(name));
        const QStringList before = Entries(here.path());
        QFile original(table);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray tableBytes = original.readAll();

        const StationList list = ReadStations(QFile::encodeName(table).toStdString());
        const BundleReport report = WriteBatchBundle(list, {"станции.csv", Tolerances{}, when, Precision{}}, path);
        QCOMPARE(report.error, "Не удалось записать пакет ведомостей «" + path + "»: " + says + ".");
        QCOMPARE(Entries(here.path()), before);
        QFile after(table);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), tableBytes);
    }

    // A job of a folder batch, reached under a .pdf name, is not replaced.
    void jobOfTheBatchIsRefused()
    {
        QTemporaryDir here;
        QVERIFY(QDir(here.path()).mkdir("задания"));
        const QString job = WriteFile(here.filePath("задания/север.snesenie"),
                                      R"({"format": "snesenie-job", "version": 1, "fields": {}})");
        const QString path = here.filePath("север.pdf");
        QVERIFY(QFile::link(job, path));
        const StationList list = ReadStations(QFile::encodeName(here.filePath("задания")).toStdString());
        const BundleReport report = WriteBatchBundle(list, {"задания", Tolerances{}, when, Precision{}}, path);
        QVERIFY2(report.error.contains("»: это задание пакета «" + here.path()), qPrintable(report.error));
        QCOMPARE(report.computed + report.failed, 0);
        QFile still(job);
        QVERIFY(still.open(QIODevice::ReadOnly));
        QVERIFY(still.readAll().startsWith("{"));
    }

    // The headless bundle, as a script in an office runs it: no display, and
    // the exit status says how the stations went.
    void headlessBundle_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QStringList>("more");  // after --batch TABLE --pdf OUT
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("written");
        QTest::addColumn<QString>("says");
        QTest::newRow("all within") << StationTable({{"1"}, {"2"}}) << QStringList() << 0 << true << "";
        QTest::newRow("exceeded") << StationTable({{"1"}, kExceeded}) << QStringList() << 3 << true << "";
        // the run's own tolerance, stricter than the 0,4″ of the example's two (AP)
        QTest::newRow("tolerances") << StationTable({{"1"}}) << QStringList{"--tolerances", "directionSeconds=0,1"}
                                    << 3 << true << "";
        QTest::newRow("failing") << StationTable({{"1"}, kFailing, {"3"}}) << QStringList() << 1 << true
                                 << "snesenie: Станция «Сбой», строка 3, столбец 27 (Edd2s)";
        QTest::newRow("ragged table") << StationTable({{"1"}}) + "2;1\r\n" << QStringList() << 2 << false
                                      << "строка 3, столбец 3: в строке 2 ячейки, а в заголовке 27 ячеек.";
        QTest::newRow("comma separator") << StationTable({{"1"}}) << QStringList{"--separator", ","} << 2 << false
                                         << "неизвестный столбец";
        QTest::newRow("without --pdf") << StationTable({{"1"}}) << QStringList{"--no-pdf"} << 2 << false
                                       << "Параметр --batch задаётся вместе с --pdf";
        QTest::newRow("onto the table") << StationTable({{"1"}}) << QStringList{"--onto-table"} << 2 << false
                                        << "имя файла ведомости должно оканчиваться на .pdf";
        // under ulimit -f the program used to die of the signal, silently,
        // leaving its hidden temporary behind
        QTest::newRow("file size limit") << StationTable({{"1"}}) << QStringList{"--file-limit"} << 1 << false
                                         << "файл слишком велик";
    }

    void headlessBundle()
    {
        QFETCH(QByteArray, table);
        QFETCH(QStringList, more);
        QFETCH(int, status);
        QFETCH(bool, written);
        QFETCH(QString, says);
        QTemporaryDir here;
        const QString stations = WriteFile(here.filePath("станции.csv"), table);
        const QString out = here.filePath("пакет.pdf");
        QStringList args{"--batch", stations, "--pdf", out};
        if (more == QStringList{"--no-pdf"})
            args = QStringList{"--batch", stations};
        else if (more == QStringList{"--onto-table"})
            args = QStringList{"--batch", stations, "--pdf", stations};
        else if (more != QStringList{"--file-limit"})
            args += more;
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("XDG_CONFIG_HOME", here.filePath("config"));
        program.setProcessEnvironment(env);
        QString err;
        // In the sanitizer build LeakSanitizer's own tracer can die at the
        // program's exit (signal 11 in the tracer, while the toolkit's
        // threads wind down), and the exit status becomes 1. That says
        // nothing of the program: such a run is made again without the
        // leak check, to hold the program to its status and output. A leak
        // the checker finds is still reported, and still fails.
        // A limit the program inherits, far below the size of a bundle.
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        const rlimit unlimited = limit;
        if (more == QStringList{"--file-limit"})
            limit.rlim_cur = 4096;
        for (int run = 0; run < 2; ++run) {
            setrlimit(RLIMIT_FSIZE, &limit);
            program.start(SNESENIE_GUI, args);
            setrlimit(RLIMIT_FSIZE, &unlimited);
            QVERIFY(program.waitForFinished(60000));
            err = QString::fromUtf8(program.readAllStandardError());
            if (!err.contains("LeakSanitizer has encountered a fatal error"))
                break;
            QFile::remove(out);
            env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":detect_leaks=0");
            program.setProcessEnvironment(env);
        }
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == status, qPrintable(QString::number(program.exitCode()) + ": " + err));
        QVERIFY2(err.contains(says), qPrintable(err));
        QCOMPARE(QFile::exists(out), written);
        QCOMPARE(QDir(here.path()).entryList({"*.tmp"}, QDir::Files | QDir::Hidden), QStringList());
        if (written)
            QVERIFY(PageText(out, 1).contains("Сводка пакета станций"));
        QFile after(stations);
        QVERIFY(after.open(QIODevice::ReadOnly));
        QCOMPARE(after.readAll(), table);
    }

    // Файл → Экспорт пакета в PDF…: the stations, then the PDF's name
    // beside them; the sheet on the window is not touched.
    void exportFromTheMenu_data()
    {
        QTest::addColumn<bool>("table");  // else a folder of jobs
        QTest::addColumn<QString>("pdf");  // the name picked for the PDF
        QTest::addColumn<int>("icon");     // of the last message box
        QTest::addColumn<QString>("says");
        QTest::newRow("table") << true << "итог.pdf" << int(QMessageBox::Warning)
                               << "Вычислено станций: 2, не вычислено: 1, допуск превышен: 0.";
        QTest::newRow("name without .pdf") << true << "итог" << int(QMessageBox::Warning) << "итог.pdf";
        QTest::newRow("folder of jobs") << false << "задания.pdf" << int(QMessageBox::Information)
                                        << "Вычислено станций: 1, не вычислено: 0, допуск превышен: 0.";
        QTest::newRow("not a PDF there") << true << "записка.pdf" << int(QMessageBox::Critical)
                                         << "»: файл уже есть и это не PDF, он не будет заменён.";
    }

    void exportFromTheMenu()
    {
        QFETCH(bool, table);
        QFETCH(QString, pdf);
        QFETCH(int, icon);
        QFETCH(QString, says);
        QTemporaryDir here;
        const QString stations = table ? WriteFile(here.filePath("станции.csv"), StationTable({{"1"}, kFailing, {"3"}}))
                                       : here.filePath("задания");
        if (!table) {
            QVERIFY(QDir(here.path()).mkdir("задания"));
            QByteArray job = R"({"format": "snesenie-job", "version": 1, "fields": {)";
            for (const FieldInfo& f : Fields())
                if (f.kind == FieldKind::Input)
                    job += QStringLiteral("\"%1\": \"%2\", ")
                               .arg(QLatin1String(f.name.data(), qsizetype(f.name.size())),
                                    QString::fromUtf8(f.example.data(), qsizetype(f.example.size())))
                               .toUtf8();
            job.chop(2);
            QVERIFY(!WriteFile(here.filePath("задания/север.snesenie"), job + "}}").isEmpty());
        }
        QVERIFY(!WriteFile(here.filePath("записка.pdf"), "не PDF").isEmpty());
        UiFixture ui;
        const QString before = ui.Text("EXa");
        ui.watch.reply = table ? QMessageBox::Yes : QMessageBox::No;
        ui.watch.filesToPick = {stations, here.filePath(pdf)};
        ui.form1->BatchPdfAction->trigger();
        const QList<SeenModal> seen = ui.watch.Take();
        QCOMPARE(seen.size(), 4 + (pdf == "записка.pdf" ? 1 : 0));  // + "replace it?"
        QCOMPARE(seen[0].window, "QMessageBox");
        QCOMPARE(seen[1].window, table ? "BatchTableDialog" : "BatchFolderDialog");
        // The file dialog's own "replace it?" closes before the dialog does.
        const SeenModal& named = seen[seen.size() - 2];
        QCOMPARE(named.window, "BatchPdfFileDialog");
        QVERIFY2(named.text.startsWith(here.path() + "\n"), qPrintable(named.text));
        QCOMPARE(int(seen.last().icon), icon);
        QVERIFY2(seen.last().text.contains(says), qPrintable(seen.last().text));
        const QString written = here.filePath(pdf.endsWith(".pdf") ? pdf : pdf + ".pdf");
        if (icon == QMessageBox::Critical) {
            QFile kept(written);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QCOMPARE(kept.readAll(), QByteArray("не PDF"));
        } else {
            QCOMPARE(StatementStarts(written).size(), table ? 2 : 1);
        }
        QCOMPARE(ui.Text("EXa"), before);
        QVERIFY(!ui.form1->IsSheetChanged());
    }

    // With a batch listed beside the sheet, that batch is the one exported:
    // the stations are not asked for again.
    void exportOfTheListedBatch()
    {
        QTemporaryDir here;
        const QString stations = WriteFile(here.filePath("станции.csv"), StationTable({{"1"}, kFailing, {"3"}}));
        UiFixture ui;
        QVERIFY(ui.form1->OpenBatch(stations));
        ui.watch.Take();
        ui.watch.filesToPick = {here.filePath("станции.pdf")};
        ui.form1->BatchPdfAction->trigger();
        const QList<SeenModal> seen = ui.watch.Take();
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen[0].window, "BatchPdfFileDialog");
        QVERIFY2(seen[0].text.startsWith(here.path() + "\n"), qPrintable(seen[0].text));
        QVERIFY2(seen[1].text.contains("Вычислено станций: 2, не вычислено: 1"), qPrintable(seen[1].text));
        QCOMPARE(StatementStarts(here.filePath("станции.pdf")).size(), 2);
    }

    // A batch long enough for the dialog to show: closed (as Отмена or Esc
    // close it), it stops the bundle, the old PDF stays and the window says so.
    void cancelFromTheProgressDialog()
    {
        QTemporaryDir here;
        QList<QStringList> rows;
        for (int i = 1; i <= 150; ++i)
            rows << QStringList{QString::number(i)};
        const QString stations = WriteFile(here.filePath("станции.csv"), StationTable(rows));
        const QByteArray before = "%PDF-1.4 прежний пакет";
        const QString pdf = WriteFile(here.filePath("станции.pdf"), before);
        UiFixture ui;
        QVERIFY(ui.form1->OpenBatch(stations));
        ui.watch.Take();
        ui.watch.filesToPick = {pdf};
        ui.watch.reply = QMessageBox::Yes;  // the file dialog's "replace it?"
        ui.watch.cancelProgress = true;
        const QStringList entries = Entries(here.path());
        ui.form1->BatchPdfAction->trigger();
        const QList<SeenModal> seen = ui.watch.Take();
        QCOMPARE(seen.size(), 4);
        QCOMPARE(seen[1].window, "BatchPdfFileDialog");
        QCOMPARE(seen[2].window, "BatchProgressDialog");
        QCOMPARE(seen[3].icon, QMessageBox::Information);
        QCOMPARE(seen[3].text, "Пакет ведомостей не записан: запись прервана; файл «" + pdf + "» остался прежним.");
        QCOMPARE(Entries(here.path()), entries);
        QFile kept(pdf);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), before);
    }

    // Ctrl+C to the headless bundle: status 130, the old PDF as it was, no
    // temporary; it counted its stations on the way, as snesenie-cli asks.
    void interruptedHeadlessBundle()
    {
        QTemporaryDir here;
        QList<QStringList> rows;
        for (int i = 1; i <= 300; ++i)
            rows << QStringList{QString::number(i)};
        const QString stations = WriteFile(here.filePath("станции.csv"), StationTable(rows));
        const QByteArray before = "%PDF-1.4 прежний пакет";
        const QString pdf = WriteFile(here.filePath("пакет.pdf"), before);
        const QStringList entries = Entries(here.path());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            env.remove(name);
        env.insert("XDG_CONFIG_HOME", here.filePath("config"));
        env.insert("SNESENIE_PROGRESS", "lines");
        program.setProcessEnvironment(env);
        program.start(SNESENIE_GUI, {"--batch", stations, "--pdf", pdf});
        QByteArray err;
        // Stopped once a few statements are made.
        QVERIFY(QTest::qWaitFor(
            [&] {
                err += program.readAllStandardError();
                return QRegularExpression("progress [3-9]\\d* 300\n").match(QString::fromUtf8(err)).hasMatch();
            },
            60000));
        QCOMPARE(::kill(pid_t(program.processId()), SIGINT), 0);
        QVERIFY(program.waitForFinished(60000));
        err += program.readAllStandardError();
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == 130, qPrintable(err));
        QVERIFY2(err.endsWith("snesenie: Пакет ведомостей не записан: запись прервана; файл «" + pdf.toUtf8() +
                              "» остался прежним.\n"),
                 err.constData());
        QCOMPARE(Entries(here.path()), entries);
        QFile kept(pdf);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), before);
    }

    // A table that cannot be read is explained, and no PDF is asked for.
    void unreadableTableFromTheMenu()
    {
        QTemporaryDir here;
        UiFixture ui;
        ui.watch.reply = QMessageBox::Yes;
        ui.watch.filesToPick = {WriteFile(here.filePath("станции.csv"), "station;EXa;EXa\r\n"),
                                here.filePath("пакет.pdf")};
        ui.form1->BatchPdfAction->trigger();
        const QList<SeenModal> seen = ui.watch.Take();
        QCOMPARE(seen.size(), 3);
        QCOMPARE(seen.last().icon, QMessageBox::Critical);
        QVERIFY2(seen.last().text.contains("столбец «EXa» назван дважды"), qPrintable(seen.last().text));
        QVERIFY(Entries(here.path()) == QStringList{"станции.csv"});
    }
};

QTEST_MAIN(BatchBundleTest)
#include "BatchBundleTest.moc"
