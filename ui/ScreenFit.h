#pragma once

#include <QMargins>
#include <QRect>

/// Where a window opens: its client rectangle `wanted` where the window,
/// with its frame, lies inside the available area of the screen; otherwise
/// moved into it and, when larger, shrunk to it. A screen at scale 2 offers
/// 1366×768 pixels as 683×384, smaller than the sheet, which then scrolls.
QRect FitToScreen(const QRect& wanted, const QRect& available, const QMargins& frame);
