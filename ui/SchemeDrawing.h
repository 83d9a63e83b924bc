#pragma once

#include <QImage>

namespace snesenie {

/// The scheme of the task as a 600 × 400 picture, black on white: the signals
/// C, A, B along the top, the ground point P below A, the two bases from P and
/// every angle the surveyor measures or the sheet computes, with its letter.
/// Drawn afresh on each call; needs a QGuiApplication for the fonts.
QImage DrawScheme();

} // namespace snesenie
