#pragma once

// The one fixture of the window tests: the three windows as the program
// creates them, and a watchdog that catches every modal window (message
// boxes, the help and scheme windows), notes what it showed and closes it.
// A test takes the ones it expects; any left over fail the test.

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <QPrintPreviewWidget>
#include <QProgressDialog>

#include <memory>

struct SeenModal {
    QString window;  ///< objectName of a dialog, "QMessageBox" for a message box
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;  ///< a file dialog's folder and name filter, one line each
    QString file;  ///< the file a file dialog offered before anything was picked
};

class ModalWatch : public QObject {
public:
    ModalWatch() { qApp->installEventFilter(this); }
    ~ModalWatch() override { qApp->removeEventFilter(this); }

    QList<SeenModal> Take() { return std::exchange(seen_, {}); }

    /// Waits until at least count modal windows have been seen.
    bool WaitFor(int count) { return QTest::qWaitFor([&] { return seen_.size() >= count; }, 3000); }

    /// The answer to a message box that has no OK button (Сохранить / Не
    /// сохранять / Отмена); it is noted like any other.
    QMessageBox::StandardButton reply = QMessageBox::Cancel;
    /// The file a file dialog picks; empty: the dialog is cancelled.
    QString fileToPick;
    /// The files the next file dialogs pick, one each, before fileToPick.
    QStringList filesToPick;
    /// Whether a progress dialog is noted and cancelled like any other. It
    /// shows only when the work takes half a second, which a slow build
    /// (sanitizers, an emulator) reaches where a fast one does not, so it is
    /// let be unless a test is about it.
    bool cancelProgress = false;

protected:
    // Every modal dialog is closed from a queued call once it shows: posted
    // calls run inside its own event loop, even one entered from a timer
    // (as an access key's delayed click is), where timers would not fire.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        auto* dialog = qobject_cast<QDialog*>(object);
        if (!cancelProgress && qobject_cast<QProgressDialog*>(object) != nullptr)
            return false;
        if (event->type() == QEvent::Show && dialog != nullptr && dialog->isModal())
            QMetaObject::invokeMethod(this, [this, dialog] { Close(dialog); }, Qt::QueuedConnection);
        return false;
    }

private:
    void Close(QDialog* dialog)
    {
        SeenModal seen;
        seen.title = dialog->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(dialog)) {
            seen.window = "QMessageBox";
            seen.icon = box->icon();
            seen.text = box->text();
            QAbstractButton* answer = box->button(QMessageBox::Ok);
            if (answer == nullptr)
                answer = box->button(reply);
            if (answer != nullptr)
                answer->click();
            else
                box->reject();
        } else if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            seen.window = dialog->objectName();
            seen.text = files->directory().absolutePath() + "\n" + files->selectedNameFilter();
            seen.file = files->selectedFiles().value(0);
            const QString pick = filesToPick.isEmpty() ? fileToPick : filesToPick.takeFirst();
            if (pick.isEmpty()) {
                files->reject();
            } else {
                files->selectFile(pick);
                dialog->accept();  // QFileDialog::accept, which checks the name
            }
        } else {
            seen.window = dialog->objectName();
            // A print preview: how it is zoomed, as the user first sees it.
            if (auto* view = dialog->findChild<QPrintPreviewWidget*>())
                seen.text = view->zoomMode() == QPrintPreviewWidget::FitToWidth ? "FitToWidth" : "other zoom";
            dialog->reject();
        }
        seen_.append(seen);
    }

    QList<SeenModal> seen_;
};

class UiFixture {
public:
    /// The windows, with settings of this test alone: a fresh file in a
    /// scratch folder, or the one given (written by the test beforehand).
    explicit UiFixture(const QString& settings = {})
    {
        // File dialogs look at a test place, never the user's own.
        QStandardPaths::setTestModeEnabled(true);
        settingsFile = settings.isEmpty() ? settingsDir.filePath("snesenie.conf") : settings;
        form1 = std::make_unique<TForm1>(settingsFile.toStdString());
        // Pages 2 and 3 are made on first need; the tests reach their boxes
        // and buttons directly, as if each had been turned to once.
        form1->MakePage(2);
        form1->MakePage(3);
        form2 = std::make_unique<TForm2>();
        form3 = std::make_unique<TForm3>();
        form1->SetHelpWindows(form2.get(), form3.get());
        form1->show();
        form1->activateWindow();
        if (!QTest::qWaitForWindowActive(form1.get()))
            qWarning("the main window did not become active; focus checks may fail");
    }

    /// Makes the main window active again after a modal window closed: a
    /// window manager does that, the offscreen platform does not, and keys
    /// only reach an active window.
    bool Reactivate() const
    {
        form1->activateWindow();
        return QTest::qWaitForWindowActive(form1.get());
    }

    QLineEdit* Edit(const char* name) const { return form1->findChild<QLineEdit*>(name); }
    QString Text(const char* name) const { return Edit(name)->text(); }

    /// Turns to the button's page, as a user would, and clicks it.
    void Click(QPushButton* button) const
    {
        form1->PC1->setCurrentWidget(button->parentWidget());
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void ShowPage(QWidget* page) const { form1->PC1->setCurrentWidget(page); }

    QTemporaryDir settingsDir;
    QString settingsFile;  ///< where the window keeps its settings
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TForm3> form3;
    ModalWatch watch;
};

/// Ends a test's fixture: warns of every modal window no check took, closes
/// the windows, and says whether there were none. From cleanup():
/// QVERIFY2(EndUiTest(ui), "a modal window nobody expected was shown").
inline bool EndUiTest(std::unique_ptr<UiFixture>& ui)
{
    const QList<SeenModal> left = ui->watch.Take();
    for (const SeenModal& m : left)
        qWarning() << "unexpected modal window:" << m.window << m.title << m.text;
    ui.reset();
    return left.isEmpty();
}
