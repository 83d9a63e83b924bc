// The sheet as a document: jobs saved and opened from the window, the title,
// the recent list, and the question before changed inputs are thrown away,
// for every way the window can be closed.

#include "FailingCalls.h"
#include "FieldTable.h"
#include "JobActions.h"
#include "JobFile.h"
#include "Settings.h"
#include "StaleMarks.h"
#include "UiFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWindow>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

using namespace snesenie;

namespace {

const QString kCaption = "Снесение координат с вершины знака на землю.";

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QStringList Names(bool inputsOnly)
{
    QStringList names;
    for (const FieldInfo& f : Fields())
        if (!inputsOnly || f.kind == FieldKind::Input)
            names << Q(f.name);
    return names;
}

// Texts a half-finished sheet may hold: none of them has to be a number.
QStringList OddTexts()
{
    const QStringList odd{"Пункт №17", "  3700,05  ", "45.1", "", "1e999", "-0", "«кавычки» и \"прямые\"",
                          "C:\\обратная", "📐 угол", "ё"};
    QStringList texts;
    for (int i = 0; i < 26; ++i)
        texts << odd.at(i % odd.size());
    texts[25] = QString(job::kMaxTextLength, u'ж');
    return texts;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Every carried value and flag, to see a refused file left them alone.
QList<double> Carried(const CalcState& s)
{
    return {s.Xa, s.Ya, s.DirAB, s.DirAC, s.DistAB, s.DistAC, s.D1, s.D2, s.DirAP1, s.DirAP2,
            double(s.Page1Done), double(s.Page2Done)};
}

} // namespace

class JobTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFixture> ui;
    std::unique_ptr<QTemporaryDir> jobs;

    QString JobPath(const QString& name) const { return jobs->filePath(name); }

    QStringList Texts(bool inputsOnly) const
    {
        QStringList texts;
        for (const QString& name : Names(inputsOnly))
            texts << ui->Text(qPrintable(name));
        return texts;
    }

    void SetInputs(const QStringList& texts) const
    {
        const QStringList names = Names(true);
        for (int i = 0; i < names.size(); ++i)
            ui->Edit(qPrintable(names.at(i)))->setText(texts.at(i));
    }

    SeenModal TakeOne()
    {
        const QList<SeenModal> seen = ui->watch.Take();
        if (seen.size() != 1) {
            for (const SeenModal& m : seen)
                qWarning() << "modal window:" << m.window << m.title << m.text;
            return {QString("%1 modal windows").arg(seen.size()), QMessageBox::NoIcon, {}, {}, {}};
        }
        return seen.front();
    }

    // What a page-1 run leaves behind, so that a fresh start can be told apart.
    void Compute() const { ui->Click(ui->form1->BitBtn1); }

    void VerifyFreshStart(const QStringList& inputs)
    {
        QCOMPARE(Texts(true), inputs);
        for (const FieldInfo& f : Fields())
            if (f.kind == FieldKind::Output)
                QVERIFY2(ui->Text(f.name.data()).isEmpty(), f.name.data());
        QCOMPARE(Carried(ui->form1->State()), Carried(CalcState{}));
        QCOMPARE(ui->form1->PC1->currentWidget(), ui->form1->TS1);
        QVERIFY(!ui->form1->IsSheetChanged());
    }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        // A signal would end the test where a full disk only fails a write.
        std::signal(SIGXFSZ, SIG_IGN);
    }

    void init()
    {
        jobs = std::make_unique<QTemporaryDir>();
        ui = std::make_unique<UiFixture>();
    }

    void cleanup() { QVERIFY2(EndUiTest(ui), "a modal window nobody expected was shown"); }

    void windowToFileToWindowKeepsEveryText()
    {
        const QStringList example = Texts(true);
        SetInputs(OddTexts());
        QVERIFY(ui->form1->SaveJobTo(JobPath("Пункт 17.snesenie")));
        QCOMPARE(ui->form1->windowTitle(), "Пункт 17.snesenie[*] — " + kCaption);
        QVERIFY(!ui->form1->isWindowModified());

        ui->form1->NewAction->trigger();  // saved, so no question
        VerifyFreshStart(example);
        QCOMPARE(ui->form1->windowTitle(), kCaption);

        Compute();
        ui->ShowPage(ui->form1->TS3);
        QVERIFY(ui->form1->OpenJob(JobPath("Пункт 17.snesenie")));
        VerifyFreshStart(OddTexts());
        QCOMPARE(ui->form1->windowTitle(), "Пункт 17.snesenie[*] — " + kCaption);
    }

    // A sheet opened or started afresh must not show the control, the stale
    // marks or the statement name of the sheet before it.
    void freshSheetDropsTheControlAndTheMarks()
    {
        QVERIFY(ui->form1->SaveJobTo(JobPath("станция 5.snesenie")));
        for (QPushButton* ok : {ui->form1->BitBtn1, ui->form1->BitBtn3, ui->form1->Button1})
            ui->Click(ok);
        QVERIFY(ui->form1->Control().Report().has_value());
        QCOMPARE(ui->form1->StatementJobName(), QString("станция 5"));
        ui->Edit("Eb1")->setText("60,67");  // pages 2 and 3 now stale
        QCOMPARE(ui->Edit("Xp")->toolTip(), StaleMarks::StaleTip());

        for (const char* how : {"open", "new"}) {
            ui->watch.reply = QMessageBox::Discard;
            if (std::string_view(how) == "open") {
                QVERIFY(ui->form1->OpenJob(JobPath("станция 5.snesenie")));
            } else {
                ui->form1->NewAction->trigger();
                QCOMPARE(ui->form1->StatementJobName(), QString());
            }
            ui->watch.Take();
            QVERIFY2(!ui->form1->Control().Report().has_value(), how);
            QCOMPARE(ui->form1->ControlVerdict->text(), QString::fromUtf8(snesenie::kControlNotComputed));
            for (const char* name : {"Ey1", "d", "Xp"})
                QVERIFY2(ui->Edit(name)->toolTip().isEmpty(), name);
            // Computed again from the start, the sheet and its control come back.
            for (QPushButton* ok : {ui->form1->BitBtn1, ui->form1->BitBtn3, ui->form1->Button1})
                ui->Click(ok);
            QVERIFY(ui->form1->Control().Report().has_value());
            ui->Edit("Eb1")->setText("60,67");
        }
    }

    void commandLineToWindowAndBack()
    {
        const QString cli = SNESENIE_CLI, path = JobPath("из скрипта.snesenie");
        QStringList args{"--press="};
        const QStringList names = Names(true);
        for (int i = 0; i < names.size(); ++i)
            args << names.at(i) + "=" + OddTexts().at(i);
        QProcess run;
        run.start(cli, args << "--save-job" << path);
        QVERIFY(run.waitForFinished());
        QCOMPARE(run.exitCode(), 0);
        QVERIFY(ui->form1->OpenJob(path));
        QCOMPARE(Texts(true), OddTexts());

        ui->Edit("EXc")->setText("из окна");
        QVERIFY(ui->form1->SaveJobTo(path));
        run.start(cli, {"--press=", "--job", path});
        QVERIFY(run.waitForFinished());
        const QStringList printed = QString::fromUtf8(run.readAllStandardOutput()).split('\n');
        QCOMPARE(printed.first(), QString("EXc=из окна"));
        for (int i = 1; i < names.size(); ++i)
            QVERIFY2(printed.contains(names.at(i) + "=" + OddTexts().at(i)), qPrintable(names.at(i)));
    }

    void refusedFileChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("content");  // null: no such file
        QTest::addColumn<QString>("says");
        const QByteArray head = R"({"format": "snesenie-job", "version": 1, "fields": {)";
        QTest::newRow("missing") << QByteArray() << "нет такого файла или папки";
        // a FIFO used to freeze the window until someone wrote to it
        QTest::newRow("fifo") << QByteArray("FIFO") << "это именованный канал (FIFO), а не обычный файл";
        QTest::newRow("duplicate") << head + R"("EXc": "1", "EXc": "2"}})" << "имя «EXc» задано дважды (строка 1, столбец 65)";
        QTest::newRow("notJson") << QByteArray("EXc=1") << "это не JSON";
        QTest::newRow("notAJob") << QByteArray(R"({"fields": {}})") << "не задание";
        QTest::newRow("newer") << QByteArray(R"({"format": "snesenie-job", "version": 2})") << "более новой";
        QTest::newRow("tooLarge") << head + "}}" + QByteArray(job::kMaxFileBytes, ' ') << "больше 4\u00A0МиБ";
        QTest::newRow("unknownField") << head + R"("EXq": "1"}})" << "неизвестное поле «EXq»";
        QTest::newRow("notText") << head + R"("EXc": 1}})" << "не текст";
        QTest::newRow("control") << head + R"("EXc": "1\r"}})" << "управляющие символы";
        QTest::newRow("tooLong") << head + "\"EXc\": \"" + QByteArray(32768, '1') + "\"}}" << "длиннее";
    }

    void refusedFileChangesNothing()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        QVERIFY(ui->form1->SaveJobTo(JobPath("current.snesenie")));
        Compute();
        ui->Edit("EXa")->setText("6327,50");
        ui->ShowPage(ui->form1->TS2);
        const QStringList texts = Texts(false);
        const QList<double> carried = Carried(ui->form1->State());
        const QString title = ui->form1->windowTitle();

        const QString path = JobPath("bad.snesenie");
        if (content == "FIFO") {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (!content.isNull()) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        }
        QVERIFY(!ui->form1->OpenJob(path));
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.startsWith("Не удалось открыть задание «" + path + "»: "), qPrintable(box.text));
        QVERIFY2(box.text.contains(says), qPrintable(box.text));

        QCOMPARE(Texts(false), texts);
        QCOMPARE(Carried(ui->form1->State()), carried);
        QCOMPARE(ui->form1->PC1->currentWidget(), ui->form1->TS2);
        QCOMPARE(ui->form1->windowTitle(), title);
        QCOMPARE(ui->form1->JobPath(), JobPath("current.snesenie"));
        QVERIFY(ui->form1->isWindowModified());
    }

    // a full disk used to take the last good copy of the job with it
    void failedSaveKeepsTheOldFileAndTheChanges()
    {
        const QString path = JobPath("job.snesenie");
        QVERIFY(ui->form1->SaveJobTo(path));
        const QByteArray before = Bytes(path);
        ui->Edit("EXa")->setText("6327,50");

        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit tight = old;
        tight.rlim_cur = 100;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
        ui->form1->SaveAction->trigger();
        setrlimit(RLIMIT_FSIZE, &old);

        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.startsWith("Не удалось сохранить задание «" + path + "»: "), qPrintable(box.text));
        QCOMPARE(Bytes(path), before);
        QVERIFY(ui->form1->isWindowModified());
        QCOMPARE(ui->Text("EXa"), QString("6327,50"));
    }

    // a save whose rename failed used to be taken for done, nothing saved
    void failedRenameIsAFailedSave()
    {
        const QString path = JobPath("job.snesenie");
        QVERIFY(ui->form1->SaveJobTo(path));
        const QByteArray before = Bytes(path);
        ui->Edit("EXa")->setText("6327,50");
        FailCall("rename", EXDEV);
        ui->form1->SaveAction->trigger();
        FailCall(nullptr, 0);
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.text, "Не удалось сохранить задание «" + path + "»: файлы на разных файловых системах.");
        QCOMPARE(Bytes(path), before);
        QVERIFY(ui->form1->isWindowModified());
        QCOMPARE(QDir(QFileInfo(path).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // a job with a second name (a hard link) used to be split from it
    // without a word; it is said once, and the next save is silent
    void secondNameOfAJobIsSaidOnce()
    {
        const QString path = JobPath("job.snesenie"), other = JobPath("другое имя.snesenie");
        QVERIFY(ui->form1->SaveJobTo(path));
        QCOMPARE(link(QFile::encodeName(path).constData(), QFile::encodeName(other).constData()), 0);
        ui->Edit("EXa")->setText("6327,50");
        QVERIFY(ui->form1->SaveJobTo(path));
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Information);
        QVERIFY2(box.text.contains("другие имена (жёсткие ссылки: 1)"), qPrintable(box.text));
        QVERIFY(!Bytes(other).contains("6327,50"));
        QVERIFY(!ui->form1->isWindowModified());
        ui->Edit("EXa")->setText("6327,51");
        QVERIFY(ui->form1->SaveJobTo(path));
    }

    // A tab inside a text could be kept in a box but never read back from a
    // job: the save is refused, naming the box as the window labels it and
    // the invisible character, and the box is shown.
    void textNoJobMayHoldIsPointedAt()
    {
        ui->Edit("Eb1")->setText("60\t76");
        QVERIFY(!ui->form1->SaveJobTo(JobPath("job.snesenie")));
        QCOMPARE(TakeOne().text, "Не удалось сохранить задание «" + JobPath("job.snesenie") +
                                     "»: в поле «b, вариант АВР» текст содержит невидимый управляющий символ "
                                     "(табуляция, знак 3).");
        QVERIFY(!QFile::exists(JobPath("job.snesenie")));
        QCOMPARE(ui->form1->PC1->currentWidget(), ui->form1->TS2);
        QTRY_COMPARE(ui->form1->focusWidget(), ui->Edit("Eb1"));
    }

    // a spreadsheet cell pasted with its line break computed but could not be saved
    void pastedCellIsSaved()
    {
        const QString path = JobPath("job.snesenie");
        ui->Edit("EXc")->setText("3700,05\r\n");
        Compute();
        QCOMPARE(ui->Text("EXcXa"), QString("-2627,41"));
        QVERIFY(ui->form1->SaveJobTo(path));
        QCOMPARE(job::ReadJob(QFile::encodeName(path).toStdString()).texts.at("EXc"), "3700,05");
        // The box keeps what was pasted; the title is that of a saved job, and
        // stays so while only the line break comes or goes.
        QCOMPARE(ui->Text("EXc"), QString("3700,05\r\n"));
        QCOMPARE(ui->form1->windowTitle(), "job.snesenie[*] — " + kCaption);
        QVERIFY(!ui->form1->isWindowModified());
        ui->Edit("EXc")->setText("3700,05");
        QVERIFY(!ui->form1->isWindowModified());
        ui->Edit("EXc")->setText("3700,06\n");
        QVERIFY(ui->form1->isWindowModified());
        ui->Edit("EXc")->setText("\t3700,05");
        QVERIFY(!ui->form1->isWindowModified());
        ui->form1->NewAction->trigger();  // nothing to save: no question asked
    }

    // Saving onto a FIFO used to replace it with a job.
    void saveRefusesWhatIsNotAFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("says");
        QTest::newRow("fifo") << "канал" << "это именованный канал (FIFO), а не обычный файл.";
        QTest::newRow("folder") << "папка" << "это папка, а не файл.";
    }

    void saveRefusesWhatIsNotAFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, says);
        QVERIFY(ui->form1->SaveJobTo(JobPath("current.snesenie")));
        ui->Edit("EXa")->setText("6327,50");
        const QString path = JobPath(name);
        if (name == "папка")
            QVERIFY(QDir(jobs->path()).mkdir(name));
        else
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const auto Type = [&path] { return std::filesystem::status(QFile::encodeName(path).toStdString()).type(); };
        const std::filesystem::file_type before = Type();

        QVERIFY(!ui->form1->SaveJobTo(path));
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.text, "Не удалось сохранить задание «" + path + "»: " + says);
        QVERIFY(Type() == before);
        QCOMPARE(QDir(jobs->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 2);
        QCOMPARE(ui->form1->JobPath(), JobPath("current.snesenie"));
        QVERIFY(ui->form1->isWindowModified());
    }

    void titleMarksChangesSinceTheLastSave()
    {
        // An edited sheet never saved used to keep the bare title, as if saved.
        QCOMPARE(ui->form1->windowTitle(), kCaption);
        QVERIFY(!ui->form1->isWindowModified());
        ui->Edit("EXa")->setText("6327,50");
        QVERIFY(ui->form1->IsSheetChanged());
        QCOMPARE(ui->form1->windowTitle(), "Без имени[*] — " + kCaption);
        QVERIFY(ui->form1->isWindowModified());
        ui->Edit("EXa")->setText("6327,46");  // the example again: nothing to save
        QCOMPARE(ui->form1->windowTitle(), kCaption);
        ui->Edit("EXa")->setText("6327,50");
        QVERIFY(ui->form1->SaveJobTo(JobPath("job.snesenie")));
        QVERIFY(!ui->form1->isWindowModified());
        ui->Edit("EXa")->setText("6327,5");
        QVERIFY(ui->form1->isWindowModified());
        ui->Edit("EXa")->setText("6327,50");  // typed back: nothing to save
        QVERIFY(!ui->form1->isWindowModified());
        ui->Click(ui->form1->Button3);
        QVERIFY(ui->form1->isWindowModified());
    }

    // The open job without the window: the texts, the sheet and the batch are
    // only what it asks of them.
    void jobActionsStandAlone()
    {
        QWidget window;
        Settings settings(QFile::encodeName(jobs->filePath("snesenie.conf")).toStdString());
        job::Job texts = job::ExampleJob();
        QList<job::Job> started;
        QString station;
        const QString batchFile = JobPath("пакет.snesenie");
        JobActions actions(window, settings,
                           {"Снесение координат", [&texts] { return texts; },
                            [&started](const job::Job& job) { started << job; },
                            [&batchFile](const QString& path) {
                                return path == batchFile ? QString("файл пакета") : QString();
                            },
                            [&station] { return station; }, [] { return QString(); }});
        QSignalSpy failed(&actions, &JobActions::Failed);
        actions.UpdateTitle();
        QCOMPARE(window.windowTitle(), kCaption);
        QVERIFY(!actions.IsChanged());

        texts.texts["EXa"] = "6327,50";
        actions.UpdateTitle();
        QVERIFY(actions.IsChanged());
        QCOMPARE(window.windowTitle(), "Без имени[*] — " + kCaption);
        QVERIFY(window.isWindowModified());

        // A file of the batch the sheet came from is never written over.
        QVERIFY(!actions.SaveJobTo(batchFile));
        QVERIFY(!QFile::exists(batchFile));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.takeFirst().at(1).toString(), QString("файл пакета"));
        QVERIFY(actions.IsChanged());

        const QString path = JobPath("станция.snesenie");
        QVERIFY(actions.SaveJobTo(path));
        QCOMPARE(actions.JobPath(), path);
        QVERIFY(!actions.IsChanged());
        QCOMPARE(window.windowTitle(), "станция.snesenie[*] — " + kCaption);
        QVERIFY(!window.isWindowModified());
        QVERIFY(failed.isEmpty());

        // Создать starts the sheet from the example and leaves no file open;
        // a station then put on it is named in the title until saved.
        actions.New->trigger();
        QCOMPARE(started.size(), 1);
        QCOMPARE(started.front().texts, job::ExampleJob().texts);
        QVERIFY(actions.JobPath().isEmpty());
        texts = job::ExampleJob();
        texts.texts.at("EYa") = "4709,07";
        station = "П-7 (пакет сезон)";
        actions.Adopt();
        QVERIFY(!actions.IsChanged());
        QCOMPARE(window.windowTitle(), station + "[*] — " + kCaption);

        // A file that cannot be read is said and starts nothing.
        QVERIFY(!actions.OpenJob(JobPath("нет.snesenie")));
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.front().at(0).value<QMessageBox::Icon>(), QMessageBox::Critical);
        QCOMPARE(started.size(), 1);
        QVERIFY(actions.OpenJob(path));
        QCOMPARE(started.size(), 2);
        QCOMPARE(started.back().texts.at("EXa"), std::string("6327,50"));
        QCOMPARE(actions.JobPath(), path);
    }

    void closeAsksBeforeChangesAreLost_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("answer");
        for (const char* way : {"BitBtn2", "BitBtn4", "Button2", "Esc", "closeBox", "Ctrl+Q"})
            for (const char* answer : {"untouched", "cancel", "discard", "save"})
                QTest::newRow(qPrintable(QString("%1 %2").arg(way, answer))) << QString(way) << QString(answer);
    }

    void closeAsksBeforeChangesAreLost()
    {
        QFETCH(QString, way);
        QFETCH(QString, answer);
        const QString path = JobPath("job.snesenie");
        QVERIFY(ui->form1->SaveJobTo(path));
        const QByteArray before = Bytes(path);
        if (answer != "untouched")
            ui->Edit("EXa")->setText("6327,50");
        ui->watch.reply = answer == "save"      ? QMessageBox::Save
                          : answer == "discard" ? QMessageBox::Discard
                                                : QMessageBox::Cancel;
        if (way == "Esc") {
            ui->ShowPage(ui->form1->TS1);
            QTest::keyClick(ui->Edit("EXa"), Qt::Key_Escape);
        } else if (way == "closeBox") {
            ui->form1->windowHandle()->close();
        } else if (way == "Ctrl+Q") {
            QTest::keyClick(ui->form1.get(), Qt::Key_Q, Qt::ControlModifier);
        } else {
            ui->Click(ui->form1->findChild<QPushButton*>(way));
        }

        if (answer == "untouched") {
            QVERIFY(ui->watch.Take().isEmpty());
            QVERIFY(!ui->form1->isVisible());
            return;
        }
        const SeenModal box = TakeOne();
        QCOMPARE(box.text, QString("Сохранить изменения в задании?"));
        QCOMPARE(box.title, TForm1::Title());
        QCOMPARE(ui->form1->isVisible(), answer == "cancel");
        QCOMPARE(ui->Text("EXa"), QString("6327,50"));
        if (answer == "save")
            QCOMPARE(job::ReadJob(QFile::encodeName(path).toStdString()).texts.at("EXa"), "6327,50");
        else
            QCOMPARE(Bytes(path), before);
    }

    // With no job yet, Сохранить asks where; cancelling that keeps the window.
    void saveOnCloseAsksWhereFirstTime()
    {
        QVERIFY(ui->form1->SaveJobTo(JobPath("earlier.snesenie")));  // remembers the folder
        ui->form1->NewAction->trigger();
        ui->Edit("EXa")->setText("6327,50");
        ui->watch.reply = QMessageBox::Save;

        ui->Click(ui->form1->BitBtn2);
        QList<SeenModal> seen = ui->watch.Take();
        QCOMPARE(seen.size(), 2);
        QCOMPARE(seen.at(1).window, QString("JobFileDialog"));
        QCOMPARE(seen.at(1).text, jobs->path() + "\nЗадания (*.snesenie)");
        QVERIFY(ui->form1->isVisible());

        ui->watch.fileToPick = JobPath("новое");
        ui->Click(ui->form1->BitBtn2);
        QCOMPARE(ui->watch.Take().size(), 2);
        QVERIFY(!ui->form1->isVisible());
        QCOMPARE(job::ReadJob(QFile::encodeName(JobPath("новое.snesenie")).toStdString()).texts.at("EXa"),
                 "6327,50");
    }

    void newSheetAsksFirst()
    {
        const QStringList example = Texts(true);
        Compute();
        ui->Edit("EXa")->setText("6327,50");
        ui->form1->NewAction->trigger();  // Отмена
        QCOMPARE(TakeOne().text, QString("Сохранить изменения в задании?"));
        QCOMPARE(ui->Text("EXa"), QString("6327,50"));
        ui->watch.reply = QMessageBox::Discard;
        ui->form1->NewAction->trigger();
        QCOMPARE(TakeOne().text, QString("Сохранить изменения в задании?"));
        VerifyFreshStart(example);
    }

    void openAsksWhereInTheLastFolder()
    {
        QVERIFY(ui->form1->SaveJobTo(JobPath("a.snesenie")));
        ui->form1->NewAction->trigger();
        ui->watch.fileToPick = JobPath("a.snesenie");
        ui->form1->OpenAction->trigger();
        const SeenModal dialog = TakeOne();
        QCOMPARE(dialog.title, QString("Открыть"));
        QCOMPARE(dialog.text, jobs->path() + "\nЗадания (*.snesenie)");
        QCOMPARE(ui->form1->JobPath(), JobPath("a.snesenie"));
    }

    void recentListKeepsTheLastEight()
    {
        for (int i = 0; i < 10; ++i)
            QVERIFY(ui->form1->SaveJobTo(JobPath(QString("%1.snesenie").arg(i))));
        QVERIFY(ui->form1->SaveJobTo(JobPath("5.snesenie")));
        QStringList shown;
        for (QAction* action : ui->form1->RecentMenu->actions())
            shown << action->text().section('/', -1);
        QCOMPARE(shown, QStringList({"5.snesenie", "9.snesenie", "8.snesenie", "7.snesenie", "6.snesenie",
                                     "4.snesenie", "3.snesenie", "2.snesenie"}));

        // A job that is gone is said to be gone and leaves the list.
        QVERIFY(QFile::remove(JobPath("9.snesenie")));
        ui->form1->RecentMenu->actions().at(1)->trigger();
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Warning);
        QVERIFY2(box.text.contains(JobPath("9.snesenie")) && box.text.contains("убрано"), qPrintable(box.text));
        QCOMPARE(ui->form1->JobPath(), JobPath("5.snesenie"));
        QCOMPARE(ui->form1->RecentMenu->actions().size(), 7);

        ui->form1->RecentMenu->actions().at(1)->trigger();
        QCOMPARE(ui->form1->JobPath(), JobPath("8.snesenie"));
    }

    // A recent entry with a line break or U+202E used to reach the menu raw;
    // a FIFO among them used to freeze the window.
    void recentMenuShowsOnlyPlausiblePathsEscaped()
    {
        const QString fifo = JobPath("канал.snesenie");
        QCOMPARE(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        const QString bidi = JobPath("\u202Eenisens.fdp");
        snesenie::Settings stored(ui->settingsFile.toStdString());
        stored.SetRecentJobs({fifo.toStdString(), "/tmp/a\nb.snesenie", bidi.toStdString(), "relative.snesenie",
                              "/" + std::string(5000, 'a')});
        QVERIFY(stored.Save().empty());
        ui->form1->FileMenu->aboutToShow();
        QStringList shown;
        for (QAction* action : ui->form1->RecentMenu->actions())
            shown << action->text();
        QCOMPARE(shown, QStringList({"&1 " + fifo, "&2 " + QString(bidi).replace(QChar(0x202E), "\\u202E")}));

        ui->form1->RecentMenu->actions().at(0)->trigger();
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains("это именованный канал (FIFO), а не обычный файл"), qPrintable(box.text));
    }

    void inputBoxesHoldWhatAJobHolds()
    {
        for (const QString& name : Names(true))
            QCOMPARE(ui->Edit(qPrintable(name))->maxLength(), job::kMaxTextLength);
    }
};

QTEST_MAIN(JobTest)
#include "JobTest.moc"
