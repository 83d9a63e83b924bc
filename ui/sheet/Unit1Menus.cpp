// The main window's menu bar: Файл and Справка. The pages' own buttons stay
// as they are; the menus offer the same actions with the usual shortcuts.

#include "Unit1.h"

#include "Version.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>

void TForm1::BuildMenus()
{
    MenuBar = new QMenuBar(this);
    MenuBar->setObjectName("MenuBar");

    FileMenu = MenuBar->addMenu("&Файл");
    FileMenu->setObjectName("FileMenu");
    // Empty sections fold away: the menu collapses neighbouring separators.
    FileJobsEnd = FileMenu->addSeparator();
    FileStatementEnd = FileMenu->addSeparator();
    ExitAction = FileMenu->addAction("В&ыход", QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);
    ExitAction->setObjectName("ExitAction");
    ExitAction->setMenuRole(QAction::QuitRole);

    CalcMenu = MenuBar->addMenu("&Вычисления");
    CalcMenu->setObjectName("CalcMenu");
    ComputeAllAction = CalcMenu->addAction("Вычислить &всё", QKeySequence(Qt::Key_F9), this, &TForm1::ComputeAll);
    ComputeAllAction->setObjectName("ComputeAllAction");
    CalcMenu->addSeparator();
    NextPageAction = CalcMenu->addAction("&Следующая страница", QKeySequence(Qt::CTRL | Qt::Key_PageDown), this,
                                         [this] { TurnPage(1); });
    NextPageAction->setObjectName("NextPageAction");
    PreviousPageAction = CalcMenu->addAction("&Предыдущая страница", QKeySequence(Qt::CTRL | Qt::Key_PageUp), this,
                                             [this] { TurnPage(-1); });
    PreviousPageAction->setObjectName("PreviousPageAction");

    HelpMenu = MenuBar->addMenu("&Справка");
    HelpMenu->setObjectName("HelpMenu");
    HelpAction = HelpMenu->addAction("По&мощь", this, &TForm1::BitBtn5Click);
    HelpAction->setObjectName("HelpAction");
    SchemeAction = HelpMenu->addAction("&Схема", this, &TForm1::BitBtn6Click);
    SchemeAction->setObjectName("SchemeAction");
    HelpMenu->addSeparator();
    AboutAction = HelpMenu->addAction("О &программе", this, &TForm1::ShowAbout);
    AboutAction->setObjectName("AboutAction");
    AboutAction->setMenuRole(QAction::AboutRole);
}

void TForm1::ShowAbout()
{
    const QString text =
        QString("<p><b>snesenie %1</b></p>"
                "<p>Снесение координат с вершины знака на землю: координаты пункта P на земле "
                "по координатам недоступного пункта A (вершины знака), двум удалённым пунктам "
                "B и C и измеренным базисам и углам, в двух вариантах с контролем.</p>"
                "<p>Лицензия: GNU General Public License версии 3 или более поздней "
                "(%2). Программа распространяется без каких-либо гарантий.</p>")
            .arg(QString::fromUtf8(snesenie::kVersion), QString::fromUtf8(snesenie::kLicence));
    QMessageBox box(QMessageBox::Information, "О программе", text, QMessageBox::Ok, this);
    box.setObjectName("AboutBox");
    box.setTextFormat(Qt::RichText);
    box.exec();
}
