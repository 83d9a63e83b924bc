#pragma once

// The accuracy of P drawn to scale: the positions page 3 printed (P1, P2
// and their mean), the rigorous P, the standard error ellipses of both
// variants and of the mean (1σ solid, 2σ dashed), the direction to A and a
// scale bar. One painting routine for the control page and the statement.

#include "Control.h"

#include <QImage>
#include <QWidget>

#include <optional>

class QPainter;

/// Paints the drawing of report's estimate into rect; grey throughout when
/// stale (the inputs changed since). Paints only the frame and a word when
/// there is no estimate.
void PaintAccuracy(QPainter& painter, const QRectF& rect, const snesenie::ControlReport* report, bool stale);

/// The drawing as a picture of the size given, for a document.
QImage DrawAccuracy(const snesenie::ControlReport& report, QSize size);

/// The drawing on the control page: it follows the control, drawn while
/// there is one, grey while the last one no longer holds, empty without.
class AccuracyDrawing : public QWidget {
    Q_OBJECT

public:
    explicit AccuracyDrawing(QWidget* parent = nullptr);

    /// The control to draw; stale draws it grey. Empty: nothing to draw.
    void Show(const std::optional<snesenie::ControlReport>& report, bool stale);
    bool Stale() const { return stale_; }
    bool Drawn() const { return report_.has_value(); }

    QSize sizeHint() const override { return {420, 300}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<snesenie::ControlReport> report_;
    bool stale_ = false;
};
