// Real screenshots of the program's windows for the README and the user's
// guide: run on an X display (Xvfb will do); it clicks through the example
// sheet as a user would and saves what the X server shows, not an offscreen
// rendering.

#include "AccuracyDrawing.h"
#include "BatchBundle.h"
#include "BatchList.h"
#include "ControlPage.h"
#include "StationPanel.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QListView>

#include <cstdio>

namespace {

bool Shoot(QWidget& window, const QString& path, const QRect& also = {})
{
    QTest::qWait(400);  // let the server draw everything first
    const QRect frame = window.frameGeometry().united(also);
    const QPixmap shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
    return shot.save(path);
}

// A part of a window: the rectangle round the widgets given, on the screen.
bool ShootPart(QWidget& window, const QList<QWidget*>& parts, const QString& path)
{
    QTest::qWait(400);
    QRect area;
    for (QWidget* part : parts)
        area = area.united(QRect(part->mapToGlobal(QPoint(0, 0)), part->size()));
    const QPixmap shot = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
    return shot.save(path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The recent jobs shown in the Файл menu are made up here, in settings of
    // this run only, never the user's own.
    QTemporaryDir settings, jobs(QDir::tempPath() + "/Задания-XXXXXX");
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs"));
    TForm1 Form1(settings.filePath("snesenie.conf").toStdString());
    TForm2 Form2;
    TForm3 Form3;
    Form1.SetHelpWindows(&Form2, &Form3);
    Form1.MakePage(2);
    Form1.MakePage(3);
    Form1.show();
    if (!QTest::qWaitForWindowExposed(&Form1))
        return 1;

    bool ok = true;
    // The window on a small screen at a large scale: it opens inside the
    // screen and the sheet scrolls, here to the caret in the δ seconds of АСР.
    if (argc > 2 && QString::fromLocal8Bit(argv[2]) == "scale-2") {
        Form1.PC1->setCurrentWidget(Form1.TS2);
        QTest::qWait(200);
        Form1.findChild<QLineEdit*>("Edd2s")->setFocus(Qt::TabFocusReason);
        return Shoot(Form1, out.filePath("scale-2.png")) ? 0 : 1;
    }

    Form1.BitBtn1->click();
    ok &= Shoot(Form1, out.filePath("page1.png"));
    Form1.PC1->setCurrentWidget(Form1.TS2);
    Form1.BitBtn3->click();
    ok &= Shoot(Form1, out.filePath("page2.png"));
    Form1.PC1->setCurrentWidget(Form1.TS3);
    Form1.Button1->click();
    ok &= Shoot(Form1, out.filePath("main-window.png"));
    Form1.PC1->setCurrentWidget(Form1.TS4);
    ok &= Shoot(Form1, out.filePath("control-page.png"));
    // The accuracy of P under the checks: the estimate and its drawing to scale.
    Form1.TS4->findChild<QScrollArea*>()->ensureWidgetVisible(Form1.TS4->Drawing(), 0, 0);
    ok &= ShootPart(Form1, {Form1.TS4->AccuracySummary(), Form1.TS4->Drawing()}, out.filePath("accuracy.png"));
    Form1.TS4->findChild<QScrollArea*>()->ensureWidgetVisible(Form1.TS4->Summary(), 0, 0);

    // A base retyped after the sheet was computed: pages 2 and 3 go grey
    // until they are computed again, and a result says why when pointed at.
    Form1.PC1->setCurrentWidget(Form1.TS2);
    auto* base = Form1.findChild<QLineEdit*>("Eb1");
    base->setText("60,67");
    base->setCursorPosition(base->text().size());
    auto* mean = Form1.findChild<QLineEdit*>("d");
    QTest::qWait(100);
    QToolTip::showText(mean->mapToGlobal(QPoint(mean->width() - 8, 0)), mean->toolTip(), mean);
    ok &= Shoot(Form1, out.filePath("stale-results.png"));
    QToolTip::hideText();

    // The statement after Xa was changed and only page 1 computed again:
    // pages 2 and 3 grey and marked, the control not applied.
    Form1.PC1->setCurrentWidget(Form1.TS1);
    Form1.findChild<QLineEdit*>("EXa")->setText("6327,50");
    Form1.BitBtn1->click();
    const QString pdf = jobs.filePath("statement-stale.pdf");
    ok &= Form1.ExportStatementPdf(pdf).isEmpty() &&
          QProcess::execute("pdftoppm", {"-png", "-r", "90", "-singlefile", pdf,
                                          out.filePath("statement-stale")}) == 0;
    Form1.findChild<QLineEdit*>("EXa")->setText("6327,46");
    Form1.findChild<QLineEdit*>("Eb1")->setText("60,76");

    // The summary page of the example batch beside the pictures, with its
    // failed and its exceeded station marked.
    try {
        const snesenie::batch::StationList stations =
            snesenie::batch::ReadStations(QFile::encodeName(out.filePath("stations.csv")).toStdString());
        const QString bundle = jobs.filePath("stations.pdf");
        ok &= WriteBatchBundle(stations, {"stations.csv", Form1.Sheet().CurrentTolerances(), QDateTime::currentDateTime(),
                                         Form1.Sheet().CurrentPrecision()},
                               bundle)
                  .error.isEmpty() &&
              QProcess::execute("pdftoppm", {"-png", "-r", "90", "-f", "1", "-l", "1", "-singlefile", bundle,
                                             out.filePath("batch-summary")}) == 0;
    } catch (const snesenie::batch::BatchError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        ok = false;
    }

    // Page 2 just turned to, its first box selected so that typing replaces
    // it, and 75 minutes typed and left: the box is marked and says why.
    Form1.PC1->setCurrentWidget(Form1.TS3);
    Form1.PC1->setCurrentWidget(Form1.TS2);
    auto* minutes = Form1.findChild<QLineEdit*>("Ebb11m");
    minutes->setText("75");
    emit minutes->editingFinished();
    QTest::qWait(100);
    QToolTip::showText(minutes->mapToGlobal(QPoint(minutes->width() / 2, minutes->height())), minutes->toolTip(),
                       minutes);
    ok &= Shoot(Form1, out.filePath("input-warning.png"));
    QToolTip::hideText();
    minutes->setText("52");

    // Shown without blocking, so that they can be photographed.
    Form2.show();
    ok &= QTest::qWaitForWindowExposed(&Form2) && Shoot(Form2, out.filePath("help-window.png"));
    Form2.hide();
    Form3.show();
    ok &= QTest::qWaitForWindowExposed(&Form3) && Shoot(Form3, out.filePath("scheme-window.png"));
    Form3.hide();

    // Файл open over a saved job, with Недавние unfolded.
    for (const char* name : {"Пункт 16.snesenie", "Башня, вариант 2.snesenie", "Пункт 17.snesenie"})
        ok &= Form1.SaveJobTo(jobs.filePath(QString::fromUtf8(name)));
    Form1.PC1->setCurrentWidget(Form1.TS1);
    Form1.activateWindow();
    QTest::qWait(200);
    Form1.MenuBar->setActiveAction(Form1.FileMenu->menuAction());
    QTest::qWait(200);
    Form1.FileMenu->setActiveAction(Form1.RecentMenu->menuAction());
    QTest::qWait(400);
    ok &= Form1.RecentMenu->isVisible() &&
          Shoot(Form1, out.filePath("file-menu.png"), Form1.RecentMenu->geometry().united(Form1.FileMenu->geometry()));
    Form1.RecentMenu->hide();
    Form1.FileMenu->hide();
    Form1.MenuBar->setActiveAction(nullptr);

    // The example table of stations listed beside the sheet, its third
    // station (a base mistyped by ten metres) chosen and computed.
    ok &= Form1.OpenBatch(out.filePath("stations.csv"));
    QTest::qWait(200);
    QListView* list = Form1.Stations->List();
    list->setCurrentIndex(list->model()->index(2, 0));
    QTest::qWait(200);
    Form1.PC1->setCurrentWidget(Form1.TS3);
    list->setFocus();
    ok &= Shoot(Form1, out.filePath("batch-window.png"));

    // A season's thousand stations going into the bundle: the dialog counts
    // them over the window, which goes on painting, and Отмена stops them.
    QFile example(out.filePath("stations.csv"));
    ok &= example.open(QIODevice::ReadOnly);
    const QList<QByteArray> lines = example.readAll().split('\n');
    QByteArray season = lines.value(0).trimmed() + "\r\n";
    const QByteArray first = lines.value(1).trimmed();
    for (int i = 1; i <= 1000; ++i)
        season += "Пункт " + QByteArray::number(i) + first.mid(first.indexOf(';')) + "\r\n";
    QFile table(jobs.filePath("сезон.csv"));
    ok &= table.open(QIODevice::WriteOnly) && table.write(season) == season.size();
    table.close();
    bool shot = false;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            files->selectFile(jobs.filePath("сезон.pdf"));
            static_cast<QDialog*>(files)->accept();
        } else if (auto* progress = qobject_cast<QProgressDialog*>(modal); progress != nullptr && !shot &&
                                                                           progress->value() >= 311) {
            shot = true;
            // The count the guide's caption names: two threads paint the
            // stations, and the timer finds the dialog a station or two on.
            progress->setLabelText(QStringLiteral("Станция 312 из 1000"));
            progress->setValue(311);
            ok &= Shoot(Form1, out.filePath("batch-progress.png"), progress->frameGeometry());
            progress->cancel();
        } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->accept();
        }
    });
    answer.start(20);
    Form1.Batches().ExportBatchPdf(
        snesenie::batch::ReadStations(QFile::encodeName(table.fileName()).toStdString()), table.fileName());
    ok &= shot;
    return ok ? 0 : 1;
}
