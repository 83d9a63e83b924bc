#pragma once

#include <QMargins>
#include <QRect>

/// Where a window opens: its client rectangle `wanted` where the window,
/// with its frame, lies inside the available area of the screen; otherwise
/// moved into it and, when larger, shrunk to it. A screen at scale 2 offers
/// 1366×768 pixels as 683×384, smaller than the sheet, which then scrolls.
QRect FitToScreen(const QRect& wanted, const QRect& available, const QMargins& frame);

#include <QObject>
#include <QPoint>

class QScrollArea;
class QTabWidget;

/// Keeps the tabs of a tab widget that a scroll area holds at the top-left of
/// the view, over the page, however the page is scrolled: on a screen too
/// small for the sheet, the pages can still be seen and clicked.
class TabsInView : public QObject {
public:
    TabsInView(QScrollArea& scroll, QTabWidget& tabs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    QScrollArea& scroll_;
    QTabWidget& tabs_;
    QPoint base_;  ///< where the tab widget itself puts its tabs
    bool placing_ = false;
};
