#include "ProgramIcon.h"

#include "BuiltInPictures.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QProxyStyle>
#include <QWidget>

namespace {

// A picture built into the program, by name; null if there is none. Kept as
// pixels, not as PNG: decoding one at start would bring in the PNG library
// and its inflater, a third of a megabyte of the window's memory.
QPixmap Picture(const QString& name)
{
    for (const BuiltInPicture& picture : BuiltInPictures())
        if (name == QLatin1StringView(picture.name))
            return QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(picture.pixels), picture.width,
                                             picture.height, picture.width * 4, QImage::Format_ARGB32_Premultiplied));
    return {};
}

// The toolkit's style, but for the arrows a menu bar or tool bar shows when
// it runs out of room: the same pictures, built in. Every menu bar makes its
// arrow when it is made, and the style's own reading of them loaded every
// image plugin (GIF, ICO, JPEG and the JPEG library) to guess their kind.
class BuiltInArrowsStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        const char* name = which == SP_ToolBarHorizontalExtensionButton ? "toolbar-ext-h"
                           : which == SP_ToolBarVerticalExtensionButton ? "toolbar-ext-v"
                                                                        : nullptr;
        if (name == nullptr || (widget != nullptr && widget->isRightToLeft()))
            return QProxyStyle::standardIcon(which, option, widget);
        QIcon arrows;
        static constexpr int kAcross[] = {8, 16, 32}, kDown[] = {5, 10, 20};
        for (int size : which == SP_ToolBarHorizontalExtensionButton ? kAcross : kDown)
            if (const QPixmap arrow = Picture(QStringLiteral("%1-%2").arg(QLatin1StringView(name)).arg(size));
                !arrow.isNull())
                arrows.addPixmap(arrow);
        return arrows.isNull() ? QProxyStyle::standardIcon(which, option, widget) : arrows;
    }
};

} // namespace

void UseBuiltInArrows()
{
    // A new copy of the style in use, by its name: the proxy owns its base,
    // and the application deletes the style it replaces.
    QApplication::setStyle(new BuiltInArrowsStyle(QApplication::style()->name()));
}

QIcon ProgramIcon()
{
    QIcon builtIn;
    for (int size : {16, 32, 48, 64})
        builtIn.addPixmap(Picture(QStringLiteral("icon-%1").arg(size)));
    return builtIn;
}

QIcon ButtonPicture(const char* name)
{
    QIcon picture;
    for (int size : {16, 32})
        picture.addPixmap(Picture(QStringLiteral("%1-%2").arg(QLatin1StringView(name)).arg(size)));
    return picture;
}
