#include "Unit3.h"

#include "SchemeDrawing.h"

#include <QLabel>
#include <QPixmap>
#include <QScreen>

#include <algorithm>

namespace {

// The picture's own size; a window of this size shows it whole.
constexpr QSize kPicture(600, 400);

} // namespace

TForm3::TForm3(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Схема"));

    // The picture sits at the top-left corner: enlarging the window only
    // adds margin, and there is never a scroll bar.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Схема снесения координат"));
    Fit(kPicture);
    move(229, 150);
}

void TForm3::Fit(QSize size)
{
    const QSize shown = kPicture.scaled(size, Qt::KeepAspectRatio);
    // Drawn anew at the size shown and at the screen's own pixels: the
    // letters stay sharp, not a shrunken copy of the full picture.
    const qreal ratio = devicePixelRatioF();
    QImage picture = snesenie::DrawScheme(ratio * shown.width() / kPicture.width());
    picture.setDevicePixelRatio(ratio);
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->setGeometry(QRect(QPoint(0, 0), shown));
    resize(shown);
}

// At scale 2 a 1366 × 768 screen offers 683 × 384: the whole scheme, P at
// its foot included, is drawn smaller, in a window that stays on the screen.
void TForm3::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = this->screen(); screen != nullptr) {
        // Room for a usual title bar and border round the window.
        const QRect room = screen->availableGeometry().marginsRemoved(QMargins(4, 32, 4, 4));
        Fit(QSize(std::min(kPicture.width(), room.width()), std::min(kPicture.height(), room.height())));
        move(std::clamp(x(), room.left(), std::max(room.left(), room.right() + 1 - width())),
             std::clamp(y(), room.top(), std::max(room.top(), room.bottom() + 1 - height())));
    }
    QDialog::showEvent(event);
}
