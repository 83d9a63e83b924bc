#include "SheetLook.h"

#include "FieldTable.h"

#include <QColor>
#include <QLineEdit>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <array>
#include <string_view>

namespace sheet {
namespace {

} // namespace

void PaintPage(QWidget* page)
{
    QPalette p = page->palette();
    p.setColor(QPalette::Window, p.color(QPalette::Button));
    page->setPalette(p);
    page->setAutoFillBackground(true);
}

void StyleEdit(QLineEdit* edit, const snesenie::FieldInfo& f)
{
    QPalette p = edit->palette();
    // Results are not to be typed into: they sit on the window colour, the
    // boxes that take the given data on the white of an ordinary edit box.
    if (f.kind == snesenie::FieldKind::Output)
        p.setColor(QPalette::Base, p.color(QPalette::Window));
    // The given data are red; so is the final result, the mean Xp and Yp.
    if (f.role == snesenie::FieldRole::Input || f.role == snesenie::FieldRole::Final)
        p.setColor(QPalette::Text, Qt::red);
    edit->setPalette(p);

    // The grave accents of 82°7`51`` are one-pixel dots in the 8-point sheet
    // face; at 9 points DejaVu Sans draws them as strokes, and the widest
    // angle, -359°-59`-59,9``, still fits the box.
    if (f.form == snesenie::FieldForm::Angle) {
        QFont font = edit->font();
        font.setFamilies({"DejaVu Sans", "Liberation Sans"});
        font.setPointSize(9);
        edit->setFont(font);
    }
}

QColor StaleTextColour() { return QColor(0x80, 0x80, 0x80); }

} // namespace sheet
