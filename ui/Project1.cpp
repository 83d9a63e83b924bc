// The program: the main window, then the help and scheme windows (hidden until
// asked for), and the event loop until the main window closes.

#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TForm1 Form1;
    TForm2 Form2;
    TForm3 Form3;
    Form1.SetHelpWindows(&Form2, &Form3);
    Form1.show();
    return app.exec();
}
