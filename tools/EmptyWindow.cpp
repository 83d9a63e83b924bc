// The yardstick of scripts/startup-bench: an empty Qt Widgets window of a
// given size, started the same way as the program, so that the time and
// memory the toolkit itself needs can be told apart from the program's own.

#include <QApplication>
#include <QWidget>

#include <cstdlib>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int width = argc > 2 ? std::atoi(argv[1]) : 709;
    const int height = argc > 2 ? std::atoi(argv[2]) : 510;
    QWidget window;
    window.setWindowTitle(QStringLiteral("empty"));
    window.resize(width, height);
    window.show();
    return app.exec();
}
