// Real screenshots of the program's windows for the README: run on an X
// display (Xvfb will do); it clicks through the example sheet as a user would
// and saves what the X server shows, not an offscreen rendering.

#include "ControlPage.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

namespace {

bool Shoot(QWidget& window, const QString& path)
{
    QTest::qWait(400);  // let the server draw everything first
    const QRect frame = window.frameGeometry();
    const QPixmap shot = window.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    std::printf("%s %dx%d\n", qPrintable(path), shot.width(), shot.height());
    return shot.save(path);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs"));
    TForm1 Form1;
    TForm2 Form2;
    TForm3 Form3;
    Form1.SetHelpWindows(&Form2, &Form3);
    Form1.show();
    if (!QTest::qWaitForWindowExposed(&Form1))
        return 1;

    bool ok = true;
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

    // Shown without blocking, so that they can be photographed.
    Form2.show();
    ok &= QTest::qWaitForWindowExposed(&Form2) && Shoot(Form2, out.filePath("help-window.png"));
    Form2.hide();
    Form3.show();
    ok &= QTest::qWaitForWindowExposed(&Form3) && Shoot(Form3, out.filePath("scheme-window.png"));
    return ok ? 0 : 1;
}
