#include "ProgramIcon.h"

#include <QApplication>
#include <QImageReader>
#include <QPixmap>
#include <QProxyStyle>
#include <QWidget>


namespace {

// A built-in picture read as the PNG it is. Left free to guess, the reader
// first loads every image plugin (GIF, ICO, JPEG and the JPEG library) to
// let each look at the bytes, and only then takes the PNG reader built into
// the toolkit: a good part of the window's start, for nothing.
QPixmap Png(const QString& path)
{
    QImageReader reader(path, "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

// The toolkit's style, but for the arrows a menu bar or tool bar shows when
// it runs out of room: the same pictures, read as the PNGs they are. Every
// menu bar makes its arrow when it is made, so the style's own reading of
// them would load the image plugins at every start.
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
        const QString path = QStringLiteral(":/qt-project.org/styles/commonstyle/images/%1-%2.png");
        static constexpr int kAcross[] = {8, 16, 32}, kDown[] = {5, 10, 20};
        for (int size : which == SP_ToolBarHorizontalExtensionButton ? kAcross : kDown)
            if (const QPixmap arrow = Png(path.arg(QLatin1StringView(name)).arg(size)); !arrow.isNull())
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
        builtIn.addPixmap(Png(QString(":/snesenie/%1.png").arg(size)));
    return builtIn;
}

QIcon ButtonPicture(const char* name)
{
    QIcon picture;
    for (int size : {16, 32})
        picture.addPixmap(Png(QString(":/snesenie/buttons/%1-%2.png").arg(QLatin1StringView(name)).arg(size)));
    return picture;
}
