// ui/control — the Контроль page and what judges a sheet: the page with its
// table of checks and the accuracy estimate (ControlPage), the drawing of
// the estimate (AccuracyDrawing, here), the tolerances and precision dialog
// (ToleranceDialog), and the window's side of them (Unit1Control: page 3's
// verdict, Допуски…, and the statement's menu actions).

#include "AccuracyDrawing.h"

#include <QAbstractTextDocumentLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTextDocument>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr double kMargin = 28;  // pixels left round the figure for the labels

// The drawing's own size, in the pixels it is painted in: the control page's.
constexpr QSizeF kDrawingSize(400, 300);

constexpr int kReportProperty = QTextFormat::UserProperty + 1;
constexpr int kWidthProperty = QTextFormat::UserProperty + 2;

using SharedReport = std::shared_ptr<const snesenie::ControlReport>;

// Pixels per inch of a document's lengths: those of the screen, as the text
// layout takes them.
qreal DocumentDpi()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 96;
}

// A bar of 1, 2 or 5 times a power of ten millimetres, about a quarter of the
// width: in centimetres from 10 mm on.
std::pair<double, QString> ScaleBar(double pixelsPerMetre, double width)
{
    const double wanted = width / 4 / pixelsPerMetre * 1000;  // millimetres
    const double power = std::pow(10.0, std::floor(std::log10(wanted)));
    double mm = power;
    for (double m : {2.0, 5.0})
        if (m * power <= wanted)
            mm = m * power;
    // A decimal comma for a bar under a millimetre: 0,5 мм.
    const QString text = mm >= 10 ? QString::number(mm / 10, 'g', 6).replace(u'.', u',') + QStringLiteral("\u00A0см")
                                  : QString::number(mm, 'g', 6).replace(u'.', u',') + QStringLiteral("\u00A0мм");
    return {mm / 1000, text};
}

} // namespace

void PaintAccuracy(QPainter& painter, const QRectF& rect, const snesenie::ControlReport* report, bool stale)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect, Qt::white);
    painter.setPen(QPen(QColor(0xa0, 0xa0, 0xa0), 1));
    painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    if (report == nullptr || report->accuracy.none) {
        painter.setPen(QColor(0x80, 0x80, 0x80));
        painter.drawText(rect, Qt::AlignCenter,
                         report == nullptr ? QStringLiteral("Нет контроля: нечего рисовать")
                                           : QStringLiteral("Оценки точности нет"));
        painter.restore();
        return;
    }
    const snesenie::AccuracyEstimate& a = report->accuracy;
    const snesenie::PrintedPoint& printed = report->printed;
    const double x0 = a.mean.xp, y0 = a.mean.yp;  // the rigorous P in the middle

    // Extent, in metres from the rigorous P: the 2σ ellipses and every point.
    double reach = 0;
    for (const snesenie::PointAccuracy* p : {&a.variant[0], &a.variant[1], &a.mean})
        reach = std::max(reach, std::hypot(p->xp - x0, p->yp - y0) + 2 * p->ellipse.a);
    const double points[3][2] = {{printed.xp[0], printed.yp[0]}, {printed.xp[1], printed.yp[1]},
                                 {printed.xMean, printed.yMean}};
    for (const auto& p : points)
        reach = std::max(reach, std::hypot(p[0] - x0, p[1] - y0));
    reach = std::max(reach, 0.001);
    const QRectF area = rect.adjusted(kMargin, kMargin + 14, -kMargin, -kMargin - 10);
    const double k = std::min(area.width(), area.height()) / 2 / reach;  // pixels per metre
    const QPointF centre = area.center();
    // X is north, up the page; Y east, to the right.
    auto at = [&](double x, double y) { return QPointF(centre.x() + (y - y0) * k, centre.y() - (x - x0) * k); };

    const QColor grey(0x90, 0x90, 0x90);
    const QColor colours[3] = {stale ? grey : QColor(0x1f, 0x5f, 0xbf), stale ? grey : QColor(0x2f, 0x8f, 0x2f),
                               stale ? grey : QColor(0xb0, 0x20, 0x20)};
    const QColor ink = stale ? grey : Qt::black;

    auto ellipse = [&](const snesenie::PointAccuracy& p, const QColor& colour) {
        for (int sigma : {1, 2}) {
            painter.save();
            painter.translate(at(p.xp, p.yp));
            // The direction angle turns from north toward east, clockwise on the page.
            painter.rotate(p.ellipse.direction - 90);
            painter.setPen(QPen(colour, sigma == 1 ? 1.6 : 1.0, sigma == 1 ? Qt::SolidLine : Qt::DashLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(QPointF(0, 0), sigma * p.ellipse.a * k, std::max(sigma * p.ellipse.b * k, 0.5));
            painter.restore();
        }
    };
    ellipse(a.variant[0], colours[0]);
    ellipse(a.variant[1], colours[1]);
    ellipse(a.mean, colours[2]);

    // The direction to A, from the rigorous P to the edge of the figure.
    const double toA = std::hypot(a.xa - x0, a.ya - y0);
    if (toA > 0) {
        const QPointF unit((a.ya - y0) / toA, -(a.xa - x0) / toA);
        const QPointF end = centre + unit * (std::min(area.width(), area.height()) / 2);
        painter.setPen(QPen(ink, 1, Qt::DotLine));
        painter.drawLine(centre, end);
        painter.setPen(ink);
        painter.drawText(QRectF(end.x() - 30, end.y() - 18, 60, 16), Qt::AlignCenter, QStringLiteral("на A"));
    }

    // The points: printed as crosses, the rigorous P as a filled dot.
    const QString names[3] = {QStringLiteral("P1"), QStringLiteral("P2"), QStringLiteral("Pср")};
    for (int i = 0; i < 3; ++i) {
        const QPointF p = at(points[i][0], points[i][1]);
        painter.setPen(QPen(i < 2 ? colours[i] : ink, 1.4));
        painter.drawLine(p + QPointF(-4, -4), p + QPointF(4, 4));
        painter.drawLine(p + QPointF(-4, 4), p + QPointF(4, -4));
        painter.drawText(p + QPointF(6, -6 + 12 * i), names[i]);
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(colours[2]);
    painter.drawEllipse(centre, 3, 3);
    painter.setPen(colours[2]);
    painter.drawText(centre + QPointF(6, 14), QStringLiteral("P строгое"));

    // The scale bar and the key, under the figure.
    const auto [barMetres, barText] = ScaleBar(k, area.width());
    const double y = rect.bottom() - 14;
    const double x = rect.left() + 10;
    painter.setPen(QPen(ink, 1.4));
    painter.drawLine(QPointF(x, y), QPointF(x + barMetres * k, y));
    painter.drawLine(QPointF(x, y - 4), QPointF(x, y + 4));
    painter.drawLine(QPointF(x + barMetres * k, y - 4), QPointF(x + barMetres * k, y + 4));
    painter.drawText(QPointF(x + barMetres * k + 6, y + 4), barText);
    // The key across the top, each variant in its colour.
    QPointF key(rect.left() + 8, rect.top() + 16);
    painter.setPen(ink);
    const QString lead = stale ? QStringLiteral("не пересчитано после изменения исходных данных; ")
                               : QStringLiteral("эллипсы 1σ — линия, 2σ — штрихи: ");
    painter.drawText(key, lead);
    key.rx() += painter.fontMetrics().horizontalAdvance(lead);
    const QString variants[3] = {QStringLiteral("АВР  "), QStringLiteral("АСР  "), QStringLiteral("среднее")};
    for (int i = 0; i < 3; ++i) {
        painter.setPen(colours[i]);
        painter.drawText(key, variants[i]);
        key.rx() += painter.fontMetrics().horizontalAdvance(variants[i]);
    }
    painter.restore();
}

QTextCharFormat AccuracyTextObject::Format(QTextCharFormat format, const snesenie::ControlReport& report, qreal width)
{
    format.setObjectType(kType);
    format.clearProperty(QTextFormat::ImageName);
    format.clearProperty(QTextFormat::ImageWidth);
    format.clearProperty(QTextFormat::ImageHeight);
    // Shared, not copied: the format is copied with every copy of the
    // document, and the drawing only reads it.
    format.setProperty(kReportProperty, QVariant::fromValue(std::make_shared<const snesenie::ControlReport>(report)));
    format.setProperty(kWidthProperty, width);
    return format;
}

QSizeF AccuracyTextObject::intrinsicSize(QTextDocument* document, int, const QTextFormat& format)
{
    // As the text layout sized the picture this replaces: its lengths scaled
    // from the screen's pixels to the device's, and rounded to whole device
    // pixels, so that the text beside it lies where it lay.
    const qreal width = format.doubleProperty(kWidthProperty);
    const QPaintDevice* device = document->documentLayout()->paintDevice();
    const qreal scale = device != nullptr ? device->logicalDpiY() / DocumentDpi() : 1;
    return QSizeF(qRound(width * scale), qRound(width * kDrawingSize.height() / kDrawingSize.width() * scale));
}

void AccuracyTextObject::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                                    const QTextFormat& format)
{
    const SharedReport report = format.property(kReportProperty).value<SharedReport>();
    if (report == nullptr)
        return;
    painter->save();
    painter->translate(rect.topLeft());
    painter->scale(rect.width() / kDrawingSize.width(), rect.height() / kDrawingSize.height());
    // The program's face at the size it has in the drawing's own pixels on
    // the control page, whatever the resolution of the paper.
    QFont font = QGuiApplication::font();
    if (font.pointSizeF() > 0 && painter->device() != nullptr)
        font.setPointSizeF(font.pointSizeF() * DocumentDpi() / painter->device()->logicalDpiY());
    painter->setFont(font);
    PaintAccuracy(*painter, QRectF(QPointF(0, 0), kDrawingSize), report.get(), false);
    painter->restore();
}

AccuracyDrawing::AccuracyDrawing(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AccuracyDrawing"));
    setAccessibleName(QStringLiteral("Чертёж оценки точности"));
    setMinimumHeight(300);
}

void AccuracyDrawing::Show(const std::optional<snesenie::ControlReport>& report, bool stale)
{
    report_ = report;
    stale_ = report.has_value() && stale;
    update();
}

void AccuracyDrawing::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintAccuracy(painter, QRectF(rect()), report_ ? &*report_ : nullptr, stale_);
}
