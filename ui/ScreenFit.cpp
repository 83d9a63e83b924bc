#include "ScreenFit.h"

#include <algorithm>

QRect FitToScreen(const QRect& wanted, const QRect& available, const QMargins& frame)
{
    const QRect room = available.marginsRemoved(frame);
    if (room.isEmpty())
        return wanted;
    QRect fitted = wanted;
    fitted.setWidth(std::min(wanted.width(), room.width()));
    fitted.setHeight(std::min(wanted.height(), room.height()));
    // The left and top edges move only as far as the window needs.
    fitted.moveLeft(std::clamp(wanted.left(), room.left(), room.right() + 1 - fitted.width()));
    fitted.moveTop(std::clamp(wanted.top(), room.top(), room.bottom() + 1 - fitted.height()));
    return fitted;
}
