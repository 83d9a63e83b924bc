// The control in the window: the fourth page, page 3's verdict line, the
// presses that drop the control, the tolerances dialog and settings, and the
// statement actions of the File menu.

#include "AccuracyDrawing.h"
#include "ControlPage.h"
#include "StaleMarks.h"
#include "ToleranceDialog.h"
#include "Settings.h"
#include "UiFixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QFile>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QFileInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextDocument>

class ControlPageTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<UiFixture> ui;
    QTemporaryDir jobs;

    void RunAllPages() const
    {
        ui->Click(ui->form1->BitBtn1);
        ui->Click(ui->form1->BitBtn3);
        ui->Click(ui->form1->Button1);
    }

    QString Verdict() const { return ui->form1->ControlVerdict->text(); }
    QString StatementText() const { return ui->form1->BuildStatementDocument()->toPlainText(); }
    QTableWidget* Table() const { return ui->form1->TS4->Table(); }

    QStringList Row(int row) const
    {
        QStringList texts;
        for (int c = 0; c < Table()->columnCount(); ++c)
            texts << Table()->item(row, c)->text();
        return texts;
    }

private slots:
    void initTestCase()
    {
        // Settings go to a scratch place, never to the user's own.
        QStandardPaths::setTestModeEnabled(true);
    }

    void init() { ui = std::make_unique<UiFixture>(); }

    void cleanup() { QVERIFY2(EndUiTest(ui), "a modal window nobody expected was shown"); }

    void fourthPageAfterTheThree()
    {
        QCOMPARE(ui->form1->PC1->count(), 4);
        QCOMPARE(ui->form1->PC1->indexOf(ui->form1->TS4), 3);
        QCOMPARE(ui->form1->PC1->tabText(3), QString("Контроль"));
        QCOMPARE(ui->form1->PC1->currentWidget(), ui->form1->TS1);
        // Made when first needed, not with the window: the start stays quick.
        QVERIFY(ui->form1->TS4->findChild<QTableWidget*>() == nullptr);
        ui->ShowPage(ui->form1->TS4);
        QVERIFY(ui->form1->TS4->findChild<QTableWidget*>() != nullptr);
        QCOMPARE(Table()->rowCount(), 0);
        QVERIFY(!ui->form1->TS4->Drawing()->Drawn());
        QCOMPARE(Verdict(), QString("Контроль не выполнен: вычислите все три страницы."));
    }

    void exampleSheetIsControlledWhenPageThreeCompletes()
    {
        ui->Click(ui->form1->BitBtn1);
        ui->Click(ui->form1->BitBtn3);
        QCOMPARE(Table()->rowCount(), 0);
        ui->Click(ui->form1->Button1);
        QCOMPARE(Verdict(), QString("Контроль: допуски соблюдены; слабая засечка: γ АСР."));
        QCOMPARE(ui->form1->TS4->Summary()->text(), Verdict());
        QCOMPARE(Table()->rowCount(), 7);
        QCOMPARE(Row(0), QStringList({"Расхождение d (АВР − АСР)", "0\u00A0м", "1:2000", "допуск соблюдён"}));
        QCOMPARE(Row(1), QStringList({"Расхождение (AP) (АВР − АСР)", "-0,4``", "60``", "допуск соблюдён"}));
        QCOMPARE(Row(4), QStringList({"Форма базисного треугольника, вариант АСР (γ)", "26°37`28,1`` (слабая засечка)", "30°–150°",
                                      "предупреждение"}));
        // Marked by colour as well as by word, and the colours differ.
        const QTableWidgetItem* ok = Table()->item(0, 3);
        const QTableWidgetItem* warning = Table()->item(4, 3);
        QCOMPARE(ok->foreground().color(), VerdictColor(snesenie::Verdict::Ok));
        QCOMPARE(warning->foreground().color(), VerdictColor(snesenie::Verdict::Warning));
        QVERIFY(ok->background().color() != warning->background().color());
        QCOMPARE(ui->form1->ControlVerdict->palette().color(QPalette::WindowText),
                 VerdictColor(snesenie::Verdict::Warning));

        // Every text reads whole on the page: the rigorous point was cut off,
        // the rest of it only in a tooltip. Wrapped, a row is as high as its
        // texts ask; unwrapped, a text has to fit its column.
        ui->ShowPage(ui->form1->TS4);
        QCoreApplication::processEvents();
        for (int r = 0; r < Table()->rowCount(); ++r) {
            for (int c = 0; c < Table()->columnCount(); ++c) {
                const QTableWidgetItem* item = Table()->item(r, c);
                const QFontMetrics metrics(item->font().resolve(Table()->font()));
                const int room = Table()->columnWidth(c) - 2;  // less the cell's margins
                const bool whole =
                    Table()->wordWrap()
                        ? metrics.boundingRect(QRect(0, 0, room, 10000), Qt::TextWordWrap, item->text()).height() <=
                              Table()->rowHeight(r)
                        : metrics.horizontalAdvance(item->text()) <= room;
                QVERIFY2(whole, qPrintable(item->text()));
            }
        }

        // The accuracy of P under the checks, drawn, and on the statement in a report's words.
        const QString accuracy = ui->form1->TS4->AccuracySummary()->text();
        QVERIFY2(accuracy.contains("<b>Mt = m<sub>P</sub> = 0,0079\u00A0м</b>") && accuracy.contains("углы 5``"),
                 qPrintable(accuracy));
        QVERIFY(ui->form1->TS4->Drawing()->Drawn() && !ui->form1->TS4->Drawing()->Stale());
        QVERIFY2(Row(2)[1].endsWith("ожидаемое m_Δ = 0,016 м"), qPrintable(Row(2)[1]));
        QVERIFY2(StatementText().contains("Средняя квадратическая погрешность положения точки P: Mt = √(mx² + my²) "
                                          "= 0,008 м"),
                 qPrintable(StatementText()));
    }

    void pressesThatDropTheControl_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("typed");  // NAME=TEXT typed before the press, or empty
        QTest::addColumn<int>("modals");
        QTest::newRow("page 1 again") << "BitBtn1" << "" << 0;
        QTest::newRow("page 2 again") << "BitBtn3" << "" << 0;
        QTest::newRow("page 1 fails") << "BitBtn1" << "EXa=x" << 1;
        QTest::newRow("page 2 fails") << "BitBtn3" << "Eb2=" << 1;
        QTest::newRow("page 1 cleared") << "Button3" << "" << 0;
        QTest::newRow("page 2 cleared") << "Button4" << "" << 0;
        // page 3 used to compute from the carried values of before the edit, and the control passed them
        QTest::newRow("page 3 after Xa edited") << "Button1" << "EXa=6327,49" << 1;
        QTest::newRow("page 3 after b edited") << "Button1" << "Eb1=70,77" << 1;
    }

    void pressesThatDropTheControl()
    {
        QFETCH(QString, button);
        QFETCH(QString, typed);
        QFETCH(int, modals);
        RunAllPages();
        QCOMPARE(Table()->rowCount(), 7);
        if (!typed.isEmpty())
            ui->Edit(qPrintable(typed.section('=', 0, 0)))->setText(typed.section('=', 1));
        ui->Click(ui->form1->findChild<QPushButton*>(button));
        QCOMPARE(ui->watch.Take().size(), modals);
        QCOMPARE(Table()->rowCount(), 0);
        QCOMPARE(Verdict(), QString("Контроль не выполнен: вычислите все три страницы."));
    }

    // Page 3 after page 1 was cleared is refused with the page to compute
    // again named, and the caret goes to that page's OK.
    void pageThreeAfterAClearSendsBackToPageOne()
    {
        RunAllPages();
        ui->Click(ui->form1->Button3);
        ui->Click(ui->form1->Button1);
        const QList<SeenModal> seen = ui->watch.Take();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.front().text,
                 QString("Страница 1 очищена после вычисления: введите исходные данные и нажмите ОК на странице 1."));
        QCOMPARE(Table()->rowCount(), 0);
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(ui->form1->BitBtn1));
    }

    // An input edited after page 3, with no page run again: the grey marks,
    // page 3's verdict, the Контроль page and the statement all tell the same.
    // The statement used to print Xa = 6327,49 beside the results of 6327,46
    // under "допуски соблюдены".
    void editedInputDropsTheControl_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("how");      // keys, paste or set
        QTest::addColumn<QString>("missing");  // the pages the statement names; empty: the control holds
        QTest::newRow("Xa typed") << "EXa" << "6327,49" << "keys" << "1, 2 и 3";
        QTest::newRow("base pasted") << "Eb1" << "60,77" << "paste" << "2 и 3";
        QTest::newRow("δ set") << "Edd2s" << "52,9" << "set" << "2 и 3";
        QTest::newRow("Xa set to its own text") << "EXa" << "6327,46" << "set" << "";
    }

    void editedInputDropsTheControl()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, how);
        QFETCH(QString, missing);
        const QString holding = "Контроль: допуски соблюдены; слабая засечка: γ АСР.";
        const QString notComputed = "Контроль не выполнен: вычислите все три страницы.";
        RunAllPages();
        QLineEdit* edit = ui->Edit(qPrintable(field));
        ui->ShowPage(edit->parentWidget());
        if (how == "set") {
            edit->setText(text);
        } else {
            edit->setFocus();
            edit->selectAll();
            if (how == "keys") {
                QTest::keyClicks(edit, text);
            } else {
                QApplication::clipboard()->setText(text);
                QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
            }
        }
        QCOMPARE(edit->text(), text);
        ui->ShowPage(ui->form1->TS4);
        const QString statement = StatementText();
        QVERIFY2(statement.contains(text), qPrintable(statement));
        if (missing.isEmpty()) {
            QCOMPARE(ui->Edit("Xp")->toolTip(), QString());
            QCOMPARE(Verdict(), holding);
            QCOMPARE(Table()->rowCount(), 7);
            QVERIFY2(!statement.contains("Не вычислены") && statement.contains(holding), qPrintable(statement));
            return;
        }
        QCOMPARE(ui->Edit("Xp")->toolTip(), StaleMarks::StaleTip());
        QCOMPARE(Verdict(), notComputed);
        QCOMPARE(ui->form1->ControlVerdict->palette().color(QPalette::WindowText),
                 ui->form1->TS3->palette().color(QPalette::WindowText));
        QCOMPARE(ui->form1->TS4->Summary()->text(), notComputed);
        QCOMPARE(Table()->rowCount(), 0);
        // The drawing of the last control stays, grey, while page 3 shows results of other data.
        QVERIFY(ui->form1->TS4->Drawing()->Drawn() && ui->form1->TS4->Drawing()->Stale());
        QVERIFY2(!statement.contains("Оценка точности"), qPrintable(statement));
        QVERIFY2(statement.contains("Не вычислены по текущим данным: страницы " + missing + "."), qPrintable(statement));
        // page 3 still shows its results, so the statement says they are not those of these data
        QVERIFY2(statement.contains("Контроль неприменим") && !statement.contains("допуски соблюдены"),
                 qPrintable(statement));

        // The pages run again from the edited one on: all current and controlled.
        if (missing.startsWith('1'))
            ui->Click(ui->form1->BitBtn1);
        ui->Click(ui->form1->BitBtn3);
        ui->Click(ui->form1->Button1);
        QCOMPARE(Table()->rowCount(), 7);
        QCOMPARE(ui->form1->TS4->Summary()->text(), Verdict());
        QVERIFY(Verdict().startsWith("Контроль: допуск"));
        QVERIFY2(!StatementText().contains("Не вычислены"), qPrintable(StatementText()));
    }

    void tolerancesFromTheSettings()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("snesenie.conf");
        snesenie::Settings store(file.toStdString());
        snesenie::Tolerances mine;
        mine.directionSeconds = 0.3;
        mine.gammaMin = 20;
        store.SetTolerances(mine);
        QCOMPARE(QString::fromStdString(store.Save()), QString());
        ui = std::make_unique<UiFixture>(file);
        RunAllPages();
        QCOMPARE(Row(1), QStringList({"Расхождение (AP) (АВР − АСР)", "-0,4``", "0,3``", "допуск превышен"}));
        QCOMPARE(Row(4).at(3), QString("допуск соблюдён"));
        QCOMPARE(Verdict(), QString("Контроль: допуск превышен — (AP)."));
        QCOMPARE(ui->form1->ControlVerdict->palette().color(QPalette::WindowText),
                 VerdictColor(snesenie::Verdict::Exceeded));
    }

    // One out-of-range value used to throw away every stored tolerance, in
    // silence: now it alone falls back, and the window says so once.
    void badStoredToleranceFallsBackAloneAndIsSaid()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath("snesenie.conf");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("[control]\ndirectionSeconds=0,3\ngammaMax=200\npositionMetres=0,01\n");
        out.close();
        ui = std::make_unique<UiFixture>(file);
        QVERIFY(ui->watch.WaitFor(1));
        const QList<SeenModal> seen = ui->watch.Take();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.front().icon, QMessageBox::Warning);
        QVERIFY2(seen.front().text.contains("«gammaMax» = «200»") && seen.front().text.contains("150"),
                 qPrintable(seen.front().text));
        const snesenie::Tolerances used = ui->form1->Sheet().CurrentTolerances();
        QCOMPARE(used.directionSeconds, 0.3);
        QCOMPARE(used.positionMetres, 0.01);
        QCOMPARE(used.gammaMax, 150.0);
        RunAllPages();
        QCOMPARE(Row(1).at(3), QString("допуск превышен"));
        // Said once: the Файл menu reads the file again, and says nothing.
        ui->form1->FileMenu->popup(ui->form1->mapToGlobal(QPoint(0, 0)));
        ui->form1->FileMenu->hide();
        QTest::qWait(50);
        QCOMPARE(ui->watch.Take().size(), 0);
    }

    void toleranceDialogTakesOnlyUsableValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("problem");  // empty: accepted
        QTest::newRow("ratio") << "distanceRatio" << "1500" << "";
        QTest::newRow("metres with comma") << "positionMetres" << "0,1" << "";
        QTest::newRow("zero") << "positionMetres" << "0" << "допустимо от 0,001 до 1, так как";
        QTest::newRow("negative") << "directionSeconds" << "-5" << "допустимо от 0,1 до 600";
        QTest::newRow("words") << "directionSeconds" << "шестьдесят" << "введите число от 0,1 до 600";
        QTest::newRow("empty") << "gammaMax" << "" << "введите число";
        QTest::newRow("ratio below 100") << "distanceRatio" << "0,5" << "допустимо от 100 до 100000";
        QTest::newRow("absurdly large") << "positionMetres" << "1e308" << "допустимо от 0,001 до 1";
        QTest::newRow("γ crossed") << "gammaMin" << "160" << "допустимо от 5 до 60";
        QTest::newRow("γ flat") << "gammaMax" << "180" << "допустимо от 120 до 175";
        QTest::newRow("bounds") << "gammaMax" << "120" << "";
        // The precision of the measurements in the same dialog, checked the same way.
        QTest::newRow("angle error") << "angleSeconds" << "2,5" << "";
        QTest::newRow("angle error of 0") << "angleSeconds" << "0" << "допустимо от 0,5 до 120";
        QTest::newRow("no relative base error") << "baseRatio" << "0" << "";
        QTest::newRow("base ratio 1:100") << "baseRatio" << "100" << "допустимо 0 или от 500 до 100000";
        QTest::newRow("Mt not judged") << "accuracyMetres" << "0" << "";
    }

    void toleranceDialogTakesOnlyUsableValues()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, problem);
        ToleranceDialog dialog{snesenie::Tolerances{}};
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        // The first box starts selected: «2000» + 50 made «200050».
        QLineEdit* first = dialog.Edit(snesenie::ToleranceFields().front().key);
        QTRY_COMPARE(dialog.focusWidget(), static_cast<QWidget*>(first));
        QCOMPARE(first->selectedText(), first->text());
        // Every button has an access key, and an Alt chord that is none
        // types nothing: Alt+П used to type «п».
        for (const QPushButton* button : dialog.findChildren<QPushButton*>())
            QVERIFY2(button->text().contains(QRegularExpression("&[^&]")), qPrintable(button->text()));
        for (auto action : {QTest::Press, QTest::Release})
            QTest::sendKeyEvent(action, first, Qt::Key(u'Х'), QString(QChar(u'х')), Qt::AltModifier);
        QCOMPARE(first->text(), QString("2000"));
        QList<int> heights;
        for (const QLabel* label : dialog.findChildren<QLabel*>(QRegularExpression("Range$")))
            heights << label->height();
        // Each range stands under its box, with its reason, before anything is typed.
        auto* range = dialog.findChild<QLabel*>(field + "Range");
        QVERIFY(range != nullptr);
        QVERIFY2(range->text().startsWith("допустимо ") && range->text().contains(": "),
                 qPrintable(range->text()));
        dialog.Edit(qPrintable(field))->setText(text);
        dialog.accept();
        if (problem.isEmpty()) {
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QVERIFY(!dialog.Problem->isVisible());
            return;
        }
        QVERIFY(dialog.isVisible());
        QVERIFY(dialog.Problem->isVisible());
        QVERIFY2(dialog.Problem->text().contains(problem), qPrintable(dialog.Problem->text()));
        // The ranges keep their lines: they used to shrink to make room for
        // the message, clipped.
        QCoreApplication::processEvents();
        const QList<QLabel*> ranges = dialog.findChildren<QLabel*>(QRegularExpression("Range$"));
        for (qsizetype i = 0; i < ranges.size(); ++i)
            QVERIFY2(ranges[i]->height() >= heights.value(i) &&
                         ranges[i]->height() >= ranges[i]->heightForWidth(ranges[i]->width()),
                     qPrintable(ranges[i]->text()));
        QCOMPARE(dialog.Result().directionSeconds, 60.0);  // nothing taken
        QTRY_COMPARE(dialog.focusWidget(), dialog.Edit(qPrintable(field)));
        // "По умолчанию" puts the typical values back.
        dialog.findChild<QPushButton*>("DefaultsButton")->click();
        QVERIFY(!dialog.Problem->isVisible());
        dialog.accept();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void statementActionsInTheFileMenu()
    {
        QList<QAction*> actions = ui->form1->FileMenu->actions();
        const qsizetype end = actions.indexOf(ui->form1->FileStatementEnd);
        QVERIFY(end >= 5);
        QCOMPARE(actions.mid(end - 5, 5),
                 QList<QAction*>({ui->form1->PrintAction, ui->form1->PreviewAction, ui->form1->PdfAction,
                                  ui->form1->BatchPdfAction, ui->form1->TolerancesAction}));
        QCOMPARE(ui->form1->PrintAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
        QCOMPARE(ui->form1->PdfAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    }

    // Each opens its own dialog; dismissed, nothing on the sheet changes.
    void statementActionsOpenTheirDialogs_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("dialog");
        QTest::newRow("print") << "PrintAction" << "PrintDialog";
        QTest::newRow("preview") << "PreviewAction" << "PrintPreviewDialog";
        QTest::newRow("pdf") << "PdfAction" << "PdfFileDialog";
        QTest::newRow("tolerances") << "TolerancesAction" << "ToleranceDialog";
    }

    void statementActionsOpenTheirDialogs()
    {
        QFETCH(QString, action);
        QFETCH(QString, dialog);
        QVERIFY(ui->form1->SaveJobTo(jobs.filePath("пункт 9.snesenie")));
        RunAllPages();
        ui->form1->findChild<QAction*>(action)->trigger();
        const QList<SeenModal> seen = ui->watch.Take();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.front().window, dialog);
        QCOMPARE(ui->Text("Xp"), QString("6234,85"));
        QCOMPARE(Table()->rowCount(), 7);
        // the preview used to open at 38 %, where no number can be read
        if (dialog == "PrintPreviewDialog")
            QCOMPARE(seen.front().text, QString("FitToWidth"));
        // and the PDF was suggested in the home folder, not beside the job
        if (dialog == "PdfFileDialog")
            QCOMPARE(seen.front().text.section('\n', 0, 0), QFileInfo(jobs.path()).absoluteFilePath());
    }

    void shortcutsReachTheActions()
    {
        QTest::keyClick(ui->form1.get(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(ui->watch.WaitFor(1));
        QCOMPARE(ui->watch.Take().front().window, QString("PrintDialog"));
        QVERIFY(ui->Reactivate());
        // also from inside a box, where a line edit might keep Ctrl+E for itself
        ui->Edit("EXc")->setFocus();
        QTest::keyClick(ui->Edit("EXc"), Qt::Key_E, Qt::ControlModifier);
        QVERIFY(ui->watch.WaitFor(1));
        QCOMPARE(ui->watch.Take().front().window, QString("PdfFileDialog"));
    }

    void tolerancesButtonOnTheControlPage()
    {
        ui->ShowPage(ui->form1->TS4);
        QTest::mouseClick(ui->form1->TS4->TolerancesButton(), Qt::LeftButton);
        const QList<SeenModal> seen = ui->watch.Take();
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.front().window, QString("ToleranceDialog"));
    }
};

QTEST_MAIN(ControlPageTest)
#include "ControlPageTest.moc"
