// The list of a batch's stations beside the sheet: a table or a folder of
// jobs opened from the Файл menu, each station's verdict, a chosen station
// put on the sheet, the question about unsaved changes before it, a batch
// that cannot be read, and a batch whose files are never written.

#include "BatchDocument.h"
#include "BatchList.h"
#include "FieldTable.h"
#include "JobFile.h"
#include "StationPanel.h"
#include "UiFixture.h"

#include <QAction>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QToolButton>

#include <sys/stat.h>

using namespace snesenie;

namespace {

const QString kCaption = "Снесение координат с вершины знака на землю.";

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

QStringList InputNames()
{
    QStringList names;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            names << Q(f.name);
    return names;
}

struct TestStation {
    QString name;
    QMap<QString, QString> changes;  ///< texts that differ from the example
    QString listed;                  ///< as the list reads it out: name and verdict
};

// The example sheet itself (its γ of АСР makes a weak intersection), a base
// mistyped by ten metres, and a stray quote in δ that stops page 2.
const QList<TestStation> kStations{
    {"Пункт 1", {}, "Пункт 1: предупреждение"},
    {"Пункт 2", {{"Eb1", "70,76"}}, "Пункт 2: допуск превышен"},
    {"Пункт 3", {{"Edd2s", "52,8\""}}, "Пункт 3: не вычислено"},
};

QString TextOf(const TestStation& station, const QString& field)
{
    if (station.changes.contains(field))
        return station.changes.value(field);
    return Q(FindField(field.toStdString())->example);
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A table as a spreadsheet in the Russian locale writes it (";", cells bare
// but for the one with a quote, CR LF), or in the other form (",", every cell
// quoted, since the decimal comma would split it).
void WriteTable(const QString& path, char separator)
{
    const bool quoted = separator == ',';
    const auto cell = [quoted](QString text) {
        return quoted || text.contains('"') ? "\"" + text.replace("\"", "\"\"") + "\"" : text;
    };
    QStringList lines{"station"};
    for (const QString& name : InputNames())
        lines[0] += separator + name;
    for (const TestStation& station : kStations) {
        QString line = cell(station.name);
        for (const QString& name : InputNames())
            line += separator + cell(TextOf(station, name));
        lines << line;
    }
    WriteFile(path, (lines.join(quoted ? "\n" : "\r\n") + (quoted ? "\n" : "\r\n")).toUtf8());
}

// The same stations as jobs, and one more whose file is no job at all.
void WriteJobFolder(const QString& folder)
{
    QDir().mkpath(folder);
    for (const TestStation& station : kStations) {
        job::Job job;
        for (const QString& name : InputNames())
            job.texts[name.toStdString()] = TextOf(station, name).toStdString();
        job::WriteJob(job, QFile::encodeName(folder + "/" + station.name + ".snesenie").toStdString());
    }
    WriteFile(folder + "/Пункт 4.snesenie", "{ не задание");
}

} // namespace

class BatchWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<UiFixture> ui;
    std::unique_ptr<QTemporaryDir> dir;

    QString Path(const QString& name) const { return dir->filePath(name); }
    QListView* List() const { return ui->form1->Stations->List(); }

    QStringList Listed() const
    {
        QStringList rows;
        for (int r = 0; r < List()->model()->rowCount(); ++r)
            rows << List()->model()->index(r, 0).data(Qt::AccessibleTextRole).toString();
        return rows;
    }

    QStringList Inputs() const
    {
        QStringList texts;
        for (const QString& name : InputNames())
            texts << ui->Text(qPrintable(name));
        return texts;
    }

    QStringList InputsOf(const TestStation& station) const
    {
        QStringList texts;
        for (const QString& name : InputNames())
            texts << TextOf(station, name);
        return texts;
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

    /// A station chosen as a user does it: the caret in the list, then a key
    /// or a click on its row; the window answers once the list is done.
    void Choose(int row, bool byMouse = false)
    {
        if (byMouse) {
            const QRect at = List()->visualRect(List()->model()->index(row, 0));
            QTest::mouseClick(List()->viewport(), Qt::LeftButton, {}, at.center());
        } else {
            List()->setFocus(Qt::OtherFocusReason);
            const int from = ui->form1->Stations->CurrentRow();
            for (int r = from; r < row; ++r)
                QTest::keyClick(List(), Qt::Key_Down);
            for (int r = from; r > row; --r)
                QTest::keyClick(List(), Qt::Key_Up);
        }
        QTest::qWait(20);
    }

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        ui = std::make_unique<UiFixture>();
        WriteTable(Path("stations.csv"), ';');
    }

    void cleanup() { QVERIFY2(EndUiTest(ui), "a modal window nobody expected was shown"); }

    void listsEveryStationWithItsVerdict_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("listed");
        const QStringList table{kStations[0].listed, kStations[1].listed, kStations[2].listed};
        QTest::newRow("table with ;") << "table ;" << table;
        QTest::newRow("table with , and quotes") << "table ," << table;
        QTest::newRow("folder of jobs") << "folder" << (QStringList(table) << "Пункт 4: не вычислено");
    }

    void listsEveryStationWithItsVerdict()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, listed);
        QString path = Path("stations.csv");
        if (kind == "table ,")
            WriteTable(path, ',');
        if (kind == "folder")
            WriteJobFolder(path = Path("задания"));
        const QStringList before = Inputs();
        const int width = ui->form1->width();

        ui->watch.fileToPick = path;
        (kind == "folder" ? ui->form1->OpenJobFolderAction : ui->form1->OpenBatchAction)->trigger();
        const SeenModal dialog = TakeOne();
        QCOMPARE(dialog.window, kind == "folder" ? QString("JobFolderDialog") : QString("BatchFileDialog"));

        QVERIFY(ui->form1->Stations->isVisible());
        QCOMPARE(Listed(), listed);
        // On this small screen the name is shortened; where the window has
        // room for the whole list, it is shown whole.
        QCOMPARE(ui->form1->Stations->Heading()->text(), QString("&Пакет …"));
        QCOMPARE(ui->form1->Stations->Heading()->toolTip(), "«" + QFileInfo(path).absoluteFilePath() + "»");
        ui->form1->resize(ui->form1->NaturalSize());
        QCOMPARE(ui->form1->Stations->width(), StationPanel::kWidth);
        QCOMPARE(ui->form1->Stations->Heading()->text(), "&Пакет «" + QFileInfo(path).fileName() + "»");
        // The marks of the control page: the colour goes with the word.
        const QModelIndex exceeded = List()->model()->index(1, 0), failed = List()->model()->index(2, 0);
        QCOMPARE(exceeded.data(Qt::ToolTipRole).toString(), QString("Контроль: допуск превышен — d, (AP), P."));
        const QString failure = failed.data(Qt::ToolTipRole).toString();
        QVERIFY2(failure.contains("В поле «δ, секунды, вариант АСР» не число: «52,8\"»."), qPrintable(failure));
        if (kind != "folder")
            QVERIFY2(failure.startsWith("строка 4, столбец 27 (Edd2s): "), qPrintable(failure));
        else
            QVERIFY2(List()->model()->index(3, 0).data(Qt::ToolTipRole).toString().contains("Пункт 4.snesenie"),
                     qPrintable(List()->model()->index(3, 0).data(Qt::ToolTipRole).toString()));

        // The sheet is not touched until a station is chosen; the caret waits in the list.
        QCOMPARE(Inputs(), before);
        QVERIFY(ui->Text("EAB").isEmpty());
        QCOMPARE(ui->form1->windowTitle(), kCaption);
        QVERIFY(!ui->form1->IsSheetChanged());
        QCOMPARE(ui->form1->Stations->CurrentRow(), -1);
        QVERIFY(ui->Reactivate());
        QCOMPARE(QApplication::focusWidget(), List());
        QVERIFY2(ui->form1->width() > width, "the window grows by the list");
    }

    // The list judges as the sheet does: by the tolerances kept in the
    // settings, not by the defaults.
    void judgedByTheStoredTolerances()
    {
        const QString settings = Path("snesenie.conf");
        WriteFile(settings, "[control]\ndirectionSeconds=0,1\n");
        QVERIFY(EndUiTest(ui));
        ui = std::make_unique<UiFixture>(settings);
        QVERIFY(ui->form1->OpenBatch(Path("stations.csv")));
        QCOMPARE(Listed().front(), QString("Пункт 1: допуск превышен"));
        Choose(0);
        QCOMPARE(ui->form1->ControlVerdict->text(), List()->model()->index(0, 0).data(Qt::ToolTipRole).toString());
    }

    void choosingPutsTheStationOnTheSheet()
    {
        QVERIFY(ui->form1->OpenBatch(Path("stations.csv")));
        ui->ShowPage(ui->form1->TS3);
        Choose(0);
        Choose(1);
        QCOMPARE(ui->form1->Stations->CurrentRow(), 1);
        QCOMPARE(Inputs(), InputsOf(kStations[1]));
        // Computed as the batch computed it, by the same tolerances.
        const batch::BatchDocument batch(QFile::encodeName(Path("stations.csv")).toStdString(),
                                         ui->form1->Sheet().CurrentTolerances(), ui->form1->Sheet().CurrentPrecision());
        QCOMPARE(ui->Text("Xp"), Q(batch.ResultAt(1).point[4]));
        QCOMPARE(ui->Text("Yp"), Q(batch.ResultAt(1).point[5]));
        QCOMPARE(ui->form1->ControlVerdict->text(), List()->model()->index(1, 0).data(Qt::ToolTipRole).toString());
        QCOMPARE(ui->form1->PC1->currentWidget(), ui->form1->TS1);
        // Named with its batch; no job yet, and nothing changed since it came.
        QCOMPARE(ui->form1->windowTitle(), "Пункт 2 (пакет stations.csv)[*] — " + kCaption);
        QVERIFY(!ui->form1->isWindowModified());
        QVERIFY(ui->form1->JobPath().isEmpty());
        QCOMPARE(ui->form1->StatementJobName(), QString("Пункт 2 (пакет stations.csv)"));
        // The next station is a key away; Enter on this one goes on to the
        // sheet, and Alt+П back to the list.
        QCOMPARE(QApplication::focusWidget(), List());
        QTest::keyClick(List(), Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), ui->Edit("EXc"));
        for (auto action : {QTest::Press, QTest::Release})
            QTest::sendKeyEvent(action, ui->Edit("EXc"), Qt::Key(u'П'), QString(QChar(u'п')), Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), List());
        QCOMPARE(ui->Text("EXc"), TextOf(kStations[1], "EXc"));

        // A station that stops goes on the sheet all the same. Browsed to, it
        // takes nothing from the list: the stop is said on the line under
        // the sheet and on its row (it used to pop a box and send the caret
        // to page 2); Enter on it shows the box and the box to retype.
        const QString stop = "В поле «δ, секунды, вариант АСР» не число: «52,8\"».";
        Choose(2);
        QTest::qWait(50);
        QVERIFY(ui->watch.Take().isEmpty());
        QCOMPARE(QApplication::focusWidget(), List());
        auto* line = ui->form1->findChild<QLabel*>("MessageLine");
        QVERIFY(line != nullptr);
        QCOMPARE(line->text(), stop);
        QCOMPARE(Listed()[2], QString("Пункт 3: не вычислено"));
        QVERIFY(List()->model()->index(2, 0).data(Qt::ToolTipRole).toString().contains(stop));
        QCOMPARE(Inputs(), InputsOf(kStations[2]));
        QVERIFY(!ui->Text("EAB").isEmpty());
        QVERIFY(ui->Text("Edd1").isEmpty());
        QVERIFY(!ui->form1->Control().Report().has_value());
        QCOMPARE(ui->form1->windowTitle(), "Пункт 3 (пакет stations.csv)[*] — " + kCaption);
        QTest::keyClick(List(), Qt::Key_Return);
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.text, stop);
        QTRY_COMPARE(QApplication::focusWidget(), ui->Edit("Edd2s"));

        // Put right on the sheet and computed, the row follows the sheet.
        ui->Edit("Edd2s")->setText("52,8");
        QTest::keyClick(ui->Edit("Edd2s"), Qt::Key_F9);
        QCOMPARE(Listed()[2], QString("Пункт 3: предупреждение"));
        QCOMPARE(List()->model()->index(2, 0).data(Qt::ToolTipRole).toString(), ui->form1->ControlVerdict->text());
        QCOMPARE(Listed()[1], kStations[1].listed);
    }

    // A station saved as a job is still the one on the sheet: the list kept
    // it no longer, and the next key in the list went from the first station.
    // The list without the window: the sheet is only what it asks of it.
    void batchListStandAlone()
    {
        QWidget window;
        Settings settings(QFile::encodeName(Path("snesenie.conf")).toStdString());
        bool mayGo = false;
        QList<job::Job> taken;
        QList<QWidget*> computed;
        BatchList list(window, settings,
                       {"Снесение координат", [&settings] { return settings.GetTolerances(); },
                        [&settings] { return settings.GetPrecision(); }, [] { return QString(); },
                        [&mayGo] { return mayGo; }, [&taken](const job::Job& job) { taken << job; },
                        [&computed](QWidget* focus) { computed << focus; }});
        QSignalSpy failed(&list, &BatchList::Failed);
        QSignalSpy shown(&list, &BatchList::PanelShown);
        const QString table = Path("stations.csv");

        QVERIFY(!list.OpenBatch(Path("нет.csv")));
        QCOMPARE(failed.size(), 1);
        QVERIFY(shown.isEmpty());
        QVERIFY(list.OpenBatch(table));
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.takeFirst().at(0).toBool(), true);
        QCOMPARE(list.Panel->List()->model()->rowCount(), int(kStations.size()));
        QVERIFY(!list.WriteProblem(table).isEmpty());
        QVERIFY(list.WriteProblem(Path("станция.snesenie")).isEmpty());

        // Changes the user keeps leave the sheet, and the list, as they were.
        list.Panel->SetCurrentRow(1);
        emit list.Panel->StationChosen(1);
        QVERIFY(taken.isEmpty());
        QCOMPARE(list.ShownStationRow(), -1);
        QCOMPARE(list.Panel->CurrentRow(), -1);
        mayGo = true;
        emit list.Panel->StationChosen(1);
        QCOMPARE(taken.size(), 1);
        QCOMPARE(taken.front().texts.at("Eb1"), std::string("70,76"));
        QCOMPARE(computed.size(), 1);
        QCOMPARE(list.ShownStationRow(), 1);
        QCOMPARE(list.StationName(), QString("Пункт 2 (пакет stations.csv)"));
        QVERIFY(!list.StationJob().isEmpty());

        // Closed, the list still knows the station the sheet holds and keeps
        // its table from being written over, until the sheet lets it go.
        emit list.Panel->CloseRequested();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.takeFirst().at(0).toBool(), false);
        QCOMPARE(list.ShownStationRow(), -1);
        QVERIFY(!list.WriteProblem(table).isEmpty());
        list.ForgetStation();
        QVERIFY(list.StationName().isEmpty());
        QVERIFY(list.WriteProblem(table).isEmpty());
        QCOMPARE(failed.size(), 1);
    }

    void savedStationKeepsItsRow()
    {
        QVERIFY(ui->form1->OpenBatch(Path("stations.csv")));
        Choose(1);
        QVERIFY(ui->form1->SaveJobTo(Path("Пункт 2 исправленный.snesenie")));
        QCOMPARE(ui->form1->Stations->CurrentRow(), 1);
        QCOMPARE(ui->form1->windowTitle(), "Пункт 2 исправленный.snesenie[*] — " + kCaption);
        ui->Edit("EXc")->setFocus();
        for (auto action : {QTest::Press, QTest::Release})
            QTest::sendKeyEvent(action, ui->Edit("EXc"), Qt::Key(u'П'), QString(QChar(u'п')), Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), List());
        QTest::keyClick(List(), Qt::Key_Down);
        QTest::qWait(20);
        QCOMPARE(ui->form1->Stations->CurrentRow(), 2);
        QCOMPARE(Inputs(), InputsOf(kStations[2]));
    }

    void questionBeforeChangesAreLost_data()
    {
        QTest::addColumn<QMessageBox::StandardButton>("reply");
        QTest::addColumn<bool>("byMouse");
        QTest::newRow("Отмена, by key") << QMessageBox::Cancel << false;
        QTest::newRow("Отмена, by click") << QMessageBox::Cancel << true;
        QTest::newRow("Не сохранять, by click") << QMessageBox::Discard << true;
        QTest::newRow("Сохранить, by key") << QMessageBox::Save << false;
    }

    void questionBeforeChangesAreLost()
    {
        QFETCH(QMessageBox::StandardButton, reply);
        QFETCH(bool, byMouse);
        QVERIFY(ui->form1->OpenBatch(Path("stations.csv")));
        Choose(0);
        ui->Edit("EXa")->setText("6327,50");
        QVERIFY(ui->form1->isWindowModified());
        QStringList edited = Inputs();

        ui->watch.reply = reply;
        ui->watch.fileToPick = Path("исправленный.snesenie");
        Choose(1, byMouse);
        QList<SeenModal> seen = ui->watch.Take();
        QVERIFY(!seen.isEmpty());
        QCOMPARE(seen.takeFirst().text, QString("Сохранить изменения в задании?"));
        if (reply == QMessageBox::Cancel) {
            QVERIFY(seen.isEmpty());
            QCOMPARE(Inputs(), edited);
            QCOMPARE(ui->form1->Stations->CurrentRow(), 0);
            const QModelIndexList selected = List()->selectionModel()->selectedIndexes();
            QCOMPARE(selected.size(), 1);
            QCOMPARE(selected.front().row(), 0);
            QCOMPARE(ui->form1->windowTitle(), "Пункт 1 (пакет stations.csv)[*] — " + kCaption);
            QVERIFY(ui->form1->isWindowModified());
            return;
        }
        if (reply == QMessageBox::Save) {
            // A station's job is offered beside its batch, under its name.
            QCOMPARE(seen.size(), 1);
            QCOMPARE(seen.front().window, QString("JobFileDialog"));
            QCOMPARE(seen.front().file, Path("Пункт 1.snesenie"));
            QCOMPARE(Q(job::ReadJob(QFile::encodeName(Path("исправленный.snesenie")).toStdString()).texts.at("EXa")),
                     QString("6327,50"));
        } else {
            QVERIFY(seen.isEmpty());
        }
        QCOMPARE(Inputs(), InputsOf(kStations[1]));
        QCOMPARE(ui->form1->Stations->CurrentRow(), 1);
        QCOMPARE(ui->form1->windowTitle(), "Пункт 2 (пакет stations.csv)[*] — " + kCaption);
        QVERIFY(!ui->form1->isWindowModified());
    }

    void batchThatCannotBeReadChangesNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("says");
        QByteArray header = "station";
        for (const QString& name : InputNames())
            header += ";" + name.toUtf8();
        // said in Russian whatever the locale: the system's own words were English
        QTest::newRow("no such file") << "нет.csv" << QByteArray() << "/нет.csv»: нет такого файла или папки.";
        QTest::newRow("unknown column") << "bad.csv" << QByteArray(header).replace("EXa", "EXd") + "\n" << "«EXd»";
        QTest::newRow("ragged row") << "bad.csv" << header + "\nПункт 1;1;2\n" << "строка 2";
        QTest::newRow("binary") << "bad.csv" << QByteArray("station;\x7f" "ELF\0\0\1", 15) << "нулевой байт";
        QTest::newRow("folder with no job") << "пусто" << QByteArray() << "в ней нет заданий";
        QTest::newRow("FIFO") << "fifo.csv" << QByteArray() << "FIFO";
    }

    void batchThatCannotBeReadChangesNothing()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(QString, says);
        const QString path = Path(name);
        if (name == "пусто")
            QVERIFY(QDir().mkpath(path));
        else if (name == "fifo.csv")
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (!content.isEmpty())
            WriteFile(path, content);

        QVERIFY(ui->form1->OpenBatch(Path("stations.csv")));
        Choose(1);
        ui->ShowPage(ui->form1->TS3);
        const QStringList inputs = Inputs();
        const QString xp = ui->Text("Xp"), title = ui->form1->windowTitle();
        const QStringList listed = Listed();
        const QString heading = ui->form1->Stations->Heading()->toolTip();

        QVERIFY(!ui->form1->OpenBatch(path));
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.startsWith("Не удалось прочитать "), qPrintable(box.text));
        QVERIFY2(box.text.contains(says), qPrintable(box.text));
        QCOMPARE(Listed(), listed);
        QCOMPARE(ui->form1->Stations->CurrentRow(), 1);
        QCOMPARE(ui->form1->Stations->Heading()->toolTip(), heading);
        QCOMPARE(Inputs(), inputs);
        QCOMPARE(ui->Text("Xp"), xp);
        QCOMPARE(ui->form1->windowTitle(), title);
        QCOMPARE(ui->form1->PC1->currentWidget(), ui->form1->TS3);
    }

    // A cell longer than a box holds would be cut short on the sheet, which
    // would then show another number than the list judged.
    void stationTooLongForABoxStaysOffTheSheet()
    {
        QByteArray table = "station;EXc";
        QByteArray row = "Длинный;" + QByteArray(job::kMaxTextLength + 1, '7');
        for (const QString& name : InputNames()) {
            if (name != "EXc") {
                table += ";" + name.toUtf8();
                row += ";" + TextOf(kStations[0], name).toUtf8();
            }
        }
        WriteFile(Path("длинный.csv"), table + "\n" + row + "\n");
        QVERIFY(ui->form1->OpenBatch(Path("длинный.csv")));
        const QStringList before = Inputs();
        Choose(0);
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.startsWith("Станцию «Длинный» нельзя перенести на лист: в поле «") &&
                     box.text.endsWith("» текст длиннее 32767 знаков."),
                 qPrintable(box.text));
        QCOMPARE(Inputs(), before);
        QCOMPARE(ui->form1->Stations->CurrentRow(), -1);
        QCOMPARE(ui->form1->windowTitle(), kCaption);
    }

    void batchFilesAreNeverWritten_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("target");
        QTest::newRow("the station's own job") << true << "задания/Пункт 1.snesenie";
        QTest::newRow("the table") << false << "stations.csv";
        QTest::newRow("a link to the table") << false << "ссылка.snesenie";
    }

    void batchFilesAreNeverWritten()
    {
        QFETCH(bool, folder);
        QFETCH(QString, target);
        if (folder)
            WriteJobFolder(Path("задания"));
        QVERIFY(QFile::link(Path("stations.csv"), Path("ссылка.snesenie")));
        QVERIFY(ui->form1->OpenBatch(Path(folder ? "задания" : "stations.csv")));
        Choose(0);
        const QByteArray bytes = Bytes(Path(target));

        // Offered beside the batch: beside the folder, not in it.
        ui->form1->SaveAction->trigger();
        const SeenModal dialog = TakeOne();
        QCOMPARE(dialog.file, Path("Пункт 1.snesenie"));

        QVERIFY(!ui->form1->SaveJobTo(Path(target)));
        const SeenModal box = TakeOne();
        QCOMPARE(box.icon, QMessageBox::Critical);
        QVERIFY2(box.text.contains("пакет не перезаписывается"), qPrintable(box.text));
        QCOMPARE(Bytes(Path(target)), bytes);
        QVERIFY(QFileInfo(Path("ссылка.snesenie")).isSymLink());
        // Still the station, unsaved.
        QVERIFY(ui->form1->JobPath().isEmpty());
        QCOMPARE(ui->form1->windowTitle(), "Пункт 1 (пакет " + QString(folder ? "задания" : "stations.csv") +
                                               ")[*] — " + kCaption);
    }

    // «Открыть &пакет…» shared its key with «&Печать…»: the key then only
    // moved between the two.
    void fileMenuAccessKeysAreDistinct()
    {
        QMap<QString, QString> taken;
        for (const QAction* action : ui->form1->FileMenu->actions()) {
            const QString text = action->text();
            const qsizetype at = text.indexOf(QRegularExpression("&[^&]"));
            if (action->isSeparator() || at < 0)
                continue;
            const QString key = text.mid(at + 1, 1).toLower();
            QVERIFY2(!taken.contains(key), qPrintable(text + " and " + taken.value(key)));
            taken[key] = text;
        }
        QVERIFY(taken.size() >= 10);
    }

    void closingTheListGivesItsRoomBack()
    {
        const int width = ui->form1->width();
        QVERIFY(ui->form1->OpenBatch(Path("stations.csv")));
        Choose(1);
        // Esc in the list is not the sheet's Выход.
        QTest::keyClick(List(), Qt::Key_Escape);
        QVERIFY(ui->form1->isVisible());

        QTest::mouseClick(ui->form1->Stations->CloseButton(), Qt::LeftButton);
        QVERIFY(ui->form1->Stations->isHidden());
        QCOMPARE(ui->form1->width(), width);
        // The sheet keeps the station, still named with its batch.
        QCOMPARE(Inputs(), InputsOf(kStations[1]));
        QCOMPARE(ui->form1->windowTitle(), "Пункт 2 (пакет stations.csv)[*] — " + kCaption);
    }
};

QTEST_MAIN(BatchWindowTest)
#include "BatchWindowTest.moc"
