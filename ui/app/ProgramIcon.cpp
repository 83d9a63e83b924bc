#include "ProgramIcon.h"

QIcon ProgramIcon()
{
    QIcon builtIn;
    for (int size : {16, 32, 48, 64, 128, 256})
        builtIn.addFile(QString(":/snesenie/%1.png").arg(size), QSize(size, size));
    return builtIn;
}

QIcon ButtonPicture(const char* name)
{
    QIcon picture;
    for (int size : {16, 32})
        picture.addFile(QString(":/snesenie/buttons/%1-%2.png").arg(QLatin1StringView(name)).arg(size), QSize(size, size));
    return picture;
}
