// ui/help — the two windows that explain the task and know nothing of the
// calculation: the description (TForm2, Unit2) and the scheme of points,
// bases and angles (TForm3, Unit3), whose drawing (here) the statement
// borrows as well. Both are made when first asked for.

#include "SchemeDrawing.h"

#include <QFont>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>

#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace snesenie {
namespace {

constexpr int PictureWidth = 600;
constexpr int PictureHeight = 400;

// The construction as seen from above, not to scale: B and C lie far off in
// the field and are pulled in to the edges of the picture; the dashes on PB
// and PC stand for the part of those lines left out.
constexpr QPointF C(30, 66);
constexpr QPointF A(312, 66);
constexpr QPointF B(570, 66);
constexpr QPointF P(312, 360);
constexpr QPointF LeftEnd(226, 200);   // far end of the base b′
constexpr QPointF RightEnd(396, 204);  // far end of the base b

/// Direction from one point to another in degrees, counter-clockwise from the
/// positive x axis as the picture shows it (its y axis points down).
double Direction(QPointF from, QPointF to)
{
    return std::atan2(from.y() - to.y(), to.x() - from.x()) * 180 / std::numbers::pi;
}

QPointF Polar(QPointF origin, double degrees, double distance)
{
    const double radians = degrees * std::numbers::pi / 180;
    return origin + QPointF(std::cos(radians), -std::sin(radians)) * distance;
}

/// The point `share` of the way from `from` to `to`, moved `offset` pixels
/// square to the line, to the left as one walks along it.
QPointF Beside(QPointF from, QPointF to, double share, double offset)
{
    const QLineF line(from, to);
    const QPointF left = QPointF(line.dy(), -line.dx()) / line.length();
    return line.pointAt(share) + left * offset;
}

/// Signed turn from direction `from` to direction `to`, within (-180, 180].
double Turn(double from, double to)
{
    double turn = std::fmod(to - from, 360.0);
    if (turn > 180)
        turn -= 360;
    else if (turn <= -180)
        turn += 360;
    return turn;
}

/// A letter with an optional index below and an optional prime above, as the
/// angles are written on a computation sheet: β₁′ has both stacked after β.
struct Label {
    QString letter;
    QString index;
    bool prime = false;
    bool italic = true;
};

/// One angle of the scheme: an arc at `vertex` from the side towards `from`
/// to the side towards `to`, and its label. The label sits at `labelShare` of
/// the way across the angle, `labelDistance` from the vertex.
struct MarkedAngle {
    Label label;
    QPointF vertex;
    QPointF from;
    QPointF to;
    double radius;
    double labelShare;
    double labelDistance;
};

// At P the arcs nest: β1 close in, δ further out. The δ letters go past the
// base, into the wedge where their arc runs on alone to the sight line, so
// that neither can be read as the angle between PA and the base. At A the
// same: γ close in, φ (between AP and AB or AC) further out with its letter
// past the line to the base end.
const std::array<MarkedAngle, 12>& MarkedAngles()
{
    static const std::array<MarkedAngle, 12> angles{{
        {{QStringLiteral("γ"), {}, true}, A, P, LeftEnd, 38, 0.5, 54},
        {{QStringLiteral("γ"), {}, false}, A, P, RightEnd, 38, 0.5, 54},
        {{QStringLiteral("β"), QStringLiteral("2"), true}, LeftEnd, P, A, 26, 0.5, 42},
        {{QStringLiteral("β"), QStringLiteral("2"), false}, RightEnd, A, P, 26, 0.5, 42},
        {{QStringLiteral("β"), QStringLiteral("1"), true}, P, A, LeftEnd, 42, 0.5, 62},
        {{QStringLiteral("β"), QStringLiteral("1"), false}, P, A, RightEnd, 42, 0.5, 62},
        {{QStringLiteral("δ"), {}, true}, P, A, C, 96, 0.82, 112},
        {{QStringLiteral("δ"), {}, false}, P, A, B, 96, 0.85, 112},
        {{QStringLiteral("φ"), {}, true}, A, P, C, 62, 0.72, 78},
        {{QStringLiteral("φ"), {}, false}, A, P, B, 62, 0.72, 78},
        {{QStringLiteral("ψ"), {}, true}, C, A, P, 48, 0.5, 64},
        {{QStringLiteral("ψ"), {}, false}, B, A, P, 48, 0.5, 64},
    }};
    return angles;
}

QFont LetterFont(bool italic, double pixelSize)
{
    QFont font(QStringLiteral("Liberation Serif"));
    font.setStyleHint(QFont::Serif);
    font.setPixelSize(static_cast<int>(pixelSize));
    font.setItalic(italic);
    return font;
}

/// The outline of a label, centred on the origin by its ink, so that the
/// label's middle lands exactly where it is placed whatever its letters.
QPainterPath LabelPath(const Label& label, double pixelSize = 18)
{
    const QFont letterFont = LetterFont(label.italic, pixelSize);
    const QFont indexFont = LetterFont(false, pixelSize * 0.68);
    QPainterPath path;
    path.addText(0, 0, letterFont, label.letter);
    // The index and the prime start where the letter's ink ends, not at its
    // advance: an italic letter leans into the space after it.
    const double after = path.boundingRect().right() + pixelSize * 0.06;
    if (!label.index.isEmpty())
        path.addText(after, pixelSize * 0.22, indexFont, label.index);
    if (label.prime)
        path.addText(after, 0, LetterFont(false, pixelSize), QStringLiteral("′"));
    return path.translated(-path.boundingRect().center());
}

QPointF LabelCentre(const MarkedAngle& angle)
{
    const double from = Direction(angle.vertex, angle.from);
    const double turn = Turn(from, Direction(angle.vertex, angle.to));
    return Polar(angle.vertex, from + turn * angle.labelShare, angle.labelDistance);
}

void DrawArc(QPainter& painter, const MarkedAngle& angle)
{
    const double from = Direction(angle.vertex, angle.from);
    const double turn = Turn(from, Direction(angle.vertex, angle.to));
    const QRectF box(angle.vertex - QPointF(angle.radius, angle.radius),
                     QSizeF(2 * angle.radius, 2 * angle.radius));
    painter.drawArc(box, qRound(from * 16), qRound(turn * 16));
}

/// Two close parallel lines: the sides of the network whose lengths are known.
void DrawDoubleLine(QPainter& painter, QPointF from, QPointF to)
{
    const QLineF line(from, to);
    const QPointF offset = QPointF(-line.dy(), line.dx()) / line.length() * 2;
    painter.drawLine(QLineF(from + offset, to + offset));
    painter.drawLine(QLineF(from - offset, to - offset));
}

/// A sighting line from the ground point to a distant signal: solid near P,
/// dashed for the last part of its length.
void DrawSightLine(QPainter& painter, QPointF from, QPointF to, double solidShare)
{
    const QPointF breakPoint = from + (to - from) * solidShare;
    painter.drawLine(QLineF(from, breakPoint));
    QPen dashed = painter.pen();
    dashed.setDashPattern({5, 4});
    painter.save();
    painter.setPen(dashed);
    painter.drawLine(QLineF(breakPoint, to));
    painter.restore();
}

/// The signal over a network point: a small triangle with the point in it.
void DrawSignal(QPainter& painter, QPointF point)
{
    constexpr double side = 17;
    const double height = side * std::sqrt(3.0) / 2;
    const QPolygonF triangle{{
        point + QPointF(0, -height * 2 / 3),
        point + QPointF(side / 2, height / 3),
        point + QPointF(-side / 2, height / 3),
    }};
    painter.save();
    painter.setBrush(Qt::white);
    painter.drawPolygon(triangle);
    painter.setBrush(Qt::black);
    painter.drawEllipse(point, 1.6, 1.6);
    painter.restore();
}

/// A point marked on the ground: P and the ends of the bases.
void DrawGroundPoint(QPainter& painter, QPointF point, double radius)
{
    painter.save();
    painter.setBrush(Qt::white);
    painter.drawEllipse(point, radius, radius);
    painter.setBrush(Qt::black);
    painter.drawEllipse(point, 1.4, 1.4);
    painter.restore();
}

/// Every line, arc and mark of the scheme, without the letters.
void DrawFigure(QPainter& painter)
{
    const QPen thin(Qt::black, 1.0, Qt::SolidLine, Qt::FlatCap);
    const QPen base(Qt::black, 1.6, Qt::SolidLine, Qt::RoundCap);

    painter.setPen(thin);
    DrawSightLine(painter, P, C, 0.45);
    DrawSightLine(painter, P, B, 0.45);
    painter.drawLine(QLineF(P, A));
    painter.drawLine(QLineF(LeftEnd, A));
    painter.drawLine(QLineF(RightEnd, A));
    DrawDoubleLine(painter, C, A);
    DrawDoubleLine(painter, A, B);

    painter.setPen(base);
    painter.drawLine(QLineF(P, LeftEnd));
    painter.drawLine(QLineF(P, RightEnd));

    painter.setPen(thin);
    for (const MarkedAngle& angle : MarkedAngles())
        DrawArc(painter, angle);

    for (QPointF signal : {C, A, B})
        DrawSignal(painter, signal);
    DrawGroundPoint(painter, P, 4);
    DrawGroundPoint(painter, LeftEnd, 3);
    DrawGroundPoint(painter, RightEnd, 3);
}

/// A label where it goes in the picture, with its letter size.
struct PlacedLabel {
    Label label;
    QPointF centre;
    double pixelSize = 18;
};

/// Every letter of the scheme: the points, the two sides, the two bases and
/// the angles.
std::vector<PlacedLabel> LabelPlacements()
{
    const auto point = [](const QString& letter, QPointF at) {
        return PlacedLabel{{letter, {}, false, false}, at, 20};
    };
    std::vector<PlacedLabel> placements{
        point(QStringLiteral("C"), C + QPointF(0, -24)),
        point(QStringLiteral("A"), A + QPointF(0, -24)),
        point(QStringLiteral("B"), B + QPointF(0, -24)),
        point(QStringLiteral("P"), P + QPointF(0, 24)),
        {{QStringLiteral("S"), {}, true}, (C + A) / 2 + QPointF(0, -16)},
        {{QStringLiteral("S"), {}, false}, (A + B) / 2 + QPointF(0, -16)},
        // The base letters sit outside the quadrilateral, above the arcs of
        // the angles at P.
        {{QStringLiteral("b"), {}, true}, Beside(P, LeftEnd, 0.78, 13)},
        {{QStringLiteral("b"), {}, false}, Beside(P, RightEnd, 0.78, -11)},
    };
    for (const MarkedAngle& angle : MarkedAngles())
        placements.push_back({angle.label, LabelCentre(angle)});
    return placements;
}

void DrawLabels(QPainter& painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    for (const PlacedLabel& placed : LabelPlacements())
        painter.drawPath(LabelPath(placed.label, placed.pixelSize).translated(placed.centre));
}

} // namespace

QImage DrawScheme(qreal scale)
{
    QImage picture(qRound(PictureWidth * scale), qRound(PictureHeight * scale), QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // Whole coordinates land on pixel centres, so the one-pixel lines that run
    // straight across or down (PA, the double lines) come out sharp, not as
    // two grey rows.
    painter.translate(0.5, 0.5);
    painter.scale(scale, scale);
    DrawFigure(painter);
    DrawLabels(painter);
    return picture;
}

} // namespace snesenie
