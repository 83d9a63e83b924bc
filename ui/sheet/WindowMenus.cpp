// The main window's menu bar: Файл, Вычисления and Справка. The pages' own
// buttons stay as they are; the menus offer the same actions with the usual
// shortcuts, and the window wires them to what it does.

#include "WindowMenus.h"

#include "GuideWindow.h"
#include "Version.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QWidget>

WindowMenus::WindowMenus(QWidget& window) : QObject(&window), window_(window)
{
    Bar = new QMenuBar(&window);
    Bar->setObjectName("MenuBar");

    File = Bar->addMenu("&Файл");
    File->setObjectName("FileMenu");
    // Empty sections fold away: the menu collapses neighbouring separators.
    JobsEnd = File->addSeparator();
    StatementEnd = File->addSeparator();
    Exit = File->addAction("В&ыход", QKeySequence(Qt::CTRL | Qt::Key_Q), this, &WindowMenus::ExitRequested);
    Exit->setObjectName("ExitAction");
    Exit->setMenuRole(QAction::QuitRole);

    Calc = Bar->addMenu("&Вычисления");
    Calc->setObjectName("CalcMenu");
    ComputeAll = Calc->addAction("Вычислить &всё", QKeySequence(Qt::Key_F9), this, &WindowMenus::ComputeAllRequested);
    ComputeAll->setObjectName("ComputeAllAction");
    Calc->addSeparator();
    NextPage = Calc->addAction("&Следующая страница", QKeySequence(Qt::CTRL | Qt::Key_PageDown), this,
                               [this] { emit PageTurnRequested(1); });
    NextPage->setObjectName("NextPageAction");
    PreviousPage = Calc->addAction("&Предыдущая страница", QKeySequence(Qt::CTRL | Qt::Key_PageUp), this,
                                   [this] { emit PageTurnRequested(-1); });
    PreviousPage->setObjectName("PreviousPageAction");

    Help = Bar->addMenu("&Справка");
    Help->setObjectName("HelpMenu");
    // The guide is a window of its own, made on first need, beside the sheet.
    Guide = Help->addAction("&Руководство пользователя", QKeySequence::HelpContents, this,
                            [this] { GuideWindow::Show(&window_); });
    Guide->setObjectName("GuideAction");
    HelpText = Help->addAction("По&мощь", this, &WindowMenus::HelpRequested);
    HelpText->setObjectName("HelpAction");
    Scheme = Help->addAction("&Схема", this, &WindowMenus::SchemeRequested);
    Scheme->setObjectName("SchemeAction");
    Help->addSeparator();
    About = Help->addAction("О &программе", this, &WindowMenus::ShowAbout);
    About->setObjectName("AboutAction");
    About->setMenuRole(QAction::AboutRole);
}

void WindowMenus::AddToJobs(const QList<QAction*>& actions)
{
    for (QAction* action : actions) {
        if (action == nullptr)
            File->insertSeparator(JobsEnd);
        else
            File->insertAction(JobsEnd, action);
    }
}

void WindowMenus::AddToJobs(QMenu* menu) { File->insertMenu(JobsEnd, menu); }

void WindowMenus::AddToStatement(const QList<QAction*>& actions) { File->insertActions(StatementEnd, actions); }

void WindowMenus::ShowAbout()
{
    const QString text =
        QString("<p><b>snesenie %1</b></p>"
                "<p>Снесение координат с вершины знака на землю: координаты пункта P на земле "
                "по координатам недоступного пункта A (вершины знака), двум удалённым пунктам "
                "B и C и измеренным базисам и углам, в двух вариантах с контролем.</p>"
                "<p>Лицензия: GNU General Public License версии 3 или более поздней "
                "(%2). Программа распространяется без каких-либо гарантий.</p>")
            .arg(QString::fromUtf8(snesenie::kVersion), QString::fromUtf8(snesenie::kLicence));
    QMessageBox box(QMessageBox::Information, "О программе", text, QMessageBox::Ok, &window_);
    box.setObjectName("AboutBox");
    box.setTextFormat(Qt::RichText);
    box.exec();
}
