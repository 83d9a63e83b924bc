#include "ScreenFit.h"

#include <QEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>

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

TabsInView::TabsInView(QScrollArea& scroll, QTabWidget& tabs) : QObject(&tabs), scroll_(scroll), tabs_(tabs)
{
    base_ = tabs.tabBar()->pos();
    // Drawn over the top of the page it covers, not through it.
    tabs.tabBar()->setAutoFillBackground(true);
    tabs.tabBar()->installEventFilter(this);
    connect(scroll.verticalScrollBar(), &QScrollBar::valueChanged, this, &TabsInView::Place);
    connect(scroll.horizontalScrollBar(), &QScrollBar::valueChanged, this, &TabsInView::Place);
}

// The tab widget lays its tabs out again now and then (a resize, a page
// turned): wherever it puts them is the place they keep in the view.
bool TabsInView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == tabs_.tabBar() && event->type() == QEvent::Move && !placing_) {
        base_ = tabs_.tabBar()->pos();
        Place();
    }
    return false;
}

void TabsInView::Place()
{
    QTabBar* bar = tabs_.tabBar();
    const QPoint at = base_ + QPoint(scroll_.horizontalScrollBar()->value(), scroll_.verticalScrollBar()->value());
    if (bar->pos() != at) {
        placing_ = true;
        bar->move(at);
        placing_ = false;
    }
    bar->raise();
}
