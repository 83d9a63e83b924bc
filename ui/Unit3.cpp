#include "Unit3.h"

#include "SchemeDrawing.h"

#include <QLabel>
#include <QPixmap>

TForm3::TForm3(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Схема"));

    const QPixmap picture = QPixmap::fromImage(snesenie::DrawScheme());

    // The picture keeps its own size at the top-left corner: enlarging the
    // window only adds margin, shrinking it crops, and there is never a
    // scroll bar.
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAccessibleName(QStringLiteral("Схема снесения координат"));
    Image1->setPixmap(picture);
    Image1->setGeometry(QRect(QPoint(0, 0), picture.size()));

    resize(picture.size());
    move(229, 150);
}
