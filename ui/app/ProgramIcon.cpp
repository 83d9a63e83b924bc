#include "ProgramIcon.h"

#include "Version.h"

QIcon ProgramIcon()
{
    QIcon builtIn;
    for (int size : {16, 32, 48, 64, 128, 256})
        builtIn.addFile(QString(":/snesenie/%1.png").arg(size), QSize(size, size));
    // A theme may draw its own version of the icon under the same name.
    return QIcon::fromTheme(QString::fromUtf8(snesenie::kAppId), builtIn);
}
