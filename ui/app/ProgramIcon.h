#pragma once

#include <QIcon>

/// The program's icon: the desktop theme's icon of the application id where
/// the package installed one, else the pictures built into the program (the
/// same drawing at 16 to 256 px).
QIcon ProgramIcon();
