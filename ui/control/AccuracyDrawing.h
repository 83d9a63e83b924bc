#pragma once

// The accuracy of P drawn to scale: the positions page 3 printed (P1, P2
// and their mean), the rigorous P, the standard error ellipses of both
// variants and of the mean (1σ solid, 2σ dashed), the direction to A and a
// scale bar. One painting routine for the control page and the statement.

#include "Control.h"

#include <QTextObjectInterface>
#include <QWidget>

#include <optional>

class QPainter;

/// Paints the drawing of report's estimate into rect; grey throughout when
/// stale (the inputs changed since). Paints only the frame and a word when
/// there is no estimate.
void PaintAccuracy(QPainter& painter, const QRectF& rect, const snesenie::ControlReport* report, bool stale);

/// The drawing as an object of a document's text, painted by PaintAccuracy
/// on the page itself at the size it is printed: lines and letters, where a
/// picture of it was most of the bytes of a statement's PDF and costly to
/// draw, compress and embed a thousand times over. The statement makes it
/// from an image placeholder; the document's layout gets the handler when
/// it is given its paint device.
class AccuracyTextObject : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    static constexpr int kType = QTextFormat::UserObject + 1;

    /// format with the object that draws report in its place, width pixels
    /// of the document across and three quarters of that high, as a
    /// picture of 400 × 300 given that width was.
    static QTextCharFormat Format(QTextCharFormat format, const snesenie::ControlReport& report, qreal width);

    using QObject::QObject;
    QSizeF intrinsicSize(QTextDocument* document, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* document, int position,
                    const QTextFormat& format) override;
};

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
