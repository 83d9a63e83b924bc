#include "ProgramIcon.h"

#include <QImageReader>
#include <QPixmap>

namespace {

// A built-in picture read as the PNG it is. Left free to guess, the reader
// first loads every image plugin (GIF, ICO, JPEG and the JPEG library) to
// let each look at the bytes, and only then takes the PNG reader built into
// the toolkit: a good part of the window's start, for nothing.
QPixmap Png(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

} // namespace

QIcon ProgramIcon()
{
    QIcon builtIn;
    for (int size : {16, 32, 48, 64})
        builtIn.addPixmap(Png(QString(":/snesenie/%1.png").arg(size)));
    return builtIn;
}

QIcon ButtonPicture(const char* name)
{
    QIcon picture;
    for (int size : {16, 32})
        picture.addPixmap(Png(QString(":/snesenie/buttons/%1-%2.png").arg(QLatin1StringView(name)).arg(size)));
    return picture;
}
