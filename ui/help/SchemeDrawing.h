#pragma once

#include <QImage>

namespace snesenie {

/// The scheme of the task as a 600 × 400 picture, black on white: the signals
/// C, A, B along the top, the ground point P below A, the two bases from P and
/// every angle the surveyor measures or the sheet computes, with its letter.
/// Drawn afresh on each call, scale times as many pixels each way (lines and
/// letters drawn at that size, not enlarged); needs a QGuiApplication for the
/// fonts.
QImage DrawScheme(qreal scale = 1);

/// The scale of the scheme on paper: a statement prints it 210 pixels of 96
/// dpi wide, so twice 600 pixels give it some 550 dpi, sharp in print and in
/// a preview zoomed in.
inline constexpr qreal kPrintSchemeScale = 2;

} // namespace snesenie
