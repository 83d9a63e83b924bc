// The program: the main window, then the help and scheme windows (hidden until
// asked for), and the event loop until the main window closes.

#include "PdfExport.h"
#include "Unit1.h"
#include "Unit2.h"
#include "Unit3.h"

#include <QApplication>
#include <QPainter>
#include <QPolygonF>

namespace {

// The program's 16 × 16 icon: a signal mark, the triangle with its centre
// point that stands for A on a survey plan.
QIcon ProgramIcon()
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1.2));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(14.5, 14), QPointF(1.5, 14)}));
    painter.setBrush(Qt::red);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(8, 9.5), 1.8, 1.8);
    return QIcon(pixmap);
}

} // namespace

int main(int argc, char** argv)
{
    // snesenie --pdf OUT.pdf [JOB]: the statement without a window, and
    // without a display to open one on.
    if (WantsPdfExport(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return RunPdfExport(argc, argv);
    }

    QApplication app(argc, argv);
    app.setWindowIcon(ProgramIcon());
    TForm1 Form1;
    TForm2 Form2;
    TForm3 Form3;
    Form1.SetHelpWindows(&Form2, &Form3);
    Form1.show();
    return app.exec();
}
