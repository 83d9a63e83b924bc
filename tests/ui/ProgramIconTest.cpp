// The program's icon and the buttons' pictures: always those built into the
// program, never looked up in the desktop theme, whose search would slow the
// start.

#include "ProgramIcon.h"
#include "Version.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QStyle>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class ProgramIconTest : public QObject {
    Q_OBJECT

private slots:
    // The menu bar's overflow arrows are the style's own pictures, read
    // without the image plugins (which would load at every start). First,
    // so that nothing before has loaded them.
    void ArrowsAsTheStyleDrawsThem()
    {
        const QString name = QApplication::style()->name();
        const QStyle::StandardPixmap arrows[] = {QStyle::SP_ToolBarHorizontalExtensionButton,
                                                 QStyle::SP_ToolBarVerticalExtensionButton};
        UseBuiltInArrows();
        QList<QIcon> built;
        for (QStyle::StandardPixmap which : arrows)
            built << QApplication::style()->standardIcon(which);
#ifdef Q_OS_LINUX
        QFile maps("/proc/self/maps");
        QVERIFY(maps.open(QIODevice::ReadOnly));
        QVERIFY2(!maps.readAll().contains("/imageformats/"), "an image plugin was loaded");
#endif
        const std::unique_ptr<QStyle> own(QStyleFactory::create(name));
        QVERIFY(own);
        for (int i = 0; i < 2; ++i) {
            const QIcon expected = own->standardIcon(arrows[i]);
            QVERIFY(!built[i].isNull());
            QCOMPARE(built[i].availableSizes(), expected.availableSizes());
            for (const QSize& size : expected.availableSizes())
                QCOMPARE(built[i].pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32),
                         expected.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32));
        }
    }

    void cleanup()
    {
        QIcon::setThemeSearchPaths({});
        QIcon::setThemeName({});
    }

    // Run from the build tree nothing is installed: every size is built in.
    void BuiltInWithoutTheme()
    {
        QTemporaryDir empty;
        QIcon::setThemeSearchPaths({empty.path()});
        QIcon::setThemeName("hicolor");
        const QIcon icon = ProgramIcon();
        QCOMPARE(icon.name(), QString());
        const QList<QSize> expected{{16, 16}, {32, 32}, {48, 48}, {64, 64}};
        QCOMPARE(icon.availableSizes(), expected);
        // Pixel for pixel the pictures they were built from.
        const auto same = [](const QIcon& built, int size, const QString& png) {
            return built.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied) ==
                   QImage(png).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        };
        for (const QSize& size : expected)
            QVERIFY(same(icon, size.width(), QString(SNESENIE_ICON_DIR "/%1.png").arg(size.width())));
        for (const char* name : {"help", "cancel", "retry"}) {
            const QIcon picture = ButtonPicture(name);
            QCOMPARE(picture.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
            for (int size : {16, 32})
                QVERIFY2(same(picture, size, QString(SNESENIE_BUTTON_DIR "/%1-%2.png").arg(name).arg(size)), name);
        }
    }

    // A theme that has the icon under the application id is not asked.
    void BuiltInEvenWhereThemeHasIt()
    {
        QTemporaryDir themes;
        const QString theme = themes.path() + "/hicolor";
        QVERIFY(QDir().mkpath(theme + "/16x16/apps"));
        QFile index(theme + "/index.theme");
        QVERIFY(index.open(QIODevice::WriteOnly));
        index.write("[Icon Theme]\nName=Hicolor\nDirectories=16x16/apps\n\n[16x16/apps]\nSize=16\nType=Fixed\n");
        index.close();
        QVERIFY(ProgramIcon().pixmap(16).save(theme + "/16x16/apps/" + snesenie::kAppId + ".png"));
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName("hicolor");
        QCOMPARE(ProgramIcon().name(), QString());
        QCOMPARE(ProgramIcon().availableSizes().size(), 4);
    }
};

QTEST_MAIN(ProgramIconTest)
#include "ProgramIconTest.moc"
