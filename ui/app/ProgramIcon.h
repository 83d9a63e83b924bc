#pragma once

#include <QIcon>

/// The program's icon: the pictures built into the program (the same drawing
/// the package installs for the desktop), at 16 to 64 px. The desktop
/// theme is not asked: it would only find the same pictures, and the look-up
/// (the theme's index, its folders, the image plugins) is a good part of the
/// window's start.
QIcon ProgramIcon();

/// A picture of the program's own for a button, built in at 16 and 32 px:
/// "help", "cancel" or "retry". The style's standard icons would ask the
/// desktop theme first, at start.
QIcon ButtonPicture(const char* name);

/// Puts a copy of the toolkit's style in place that takes the menu bar's
/// overflow arrows from the pictures built into the program: the style's own
/// reading of its PNGs would load every image plugin at start. Nothing else
/// of the style changes.
void UseBuiltInArrows();
