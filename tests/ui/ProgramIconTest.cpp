// The program's icon and the buttons' pictures: always those built into the
// program, never looked up in the desktop theme, whose search would slow the
// start.

#include "ProgramIcon.h"
#include "Version.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QTemporaryDir>
#include <QTest>

class ProgramIconTest : public QObject {
    Q_OBJECT

private slots:
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
        for (const QSize& size : expected)
            QCOMPARE(icon.pixmap(size).size(), size);
        for (const char* name : {"help", "cancel", "retry"}) {
            const QIcon picture = ButtonPicture(name);
            QCOMPARE(picture.availableSizes(), (QList<QSize>{{16, 16}, {32, 32}}));
            QVERIFY2(!picture.pixmap(16).isNull(), name);
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
        QVERIFY(QFile::copy(":/snesenie/16.png", theme + "/16x16/apps/" + snesenie::kAppId + ".png"));
        QIcon::setThemeSearchPaths({themes.path()});
        QIcon::setThemeName("hicolor");
        QCOMPARE(ProgramIcon().name(), QString());
        QCOMPARE(ProgramIcon().availableSizes().size(), 4);
    }
};

QTEST_MAIN(ProgramIconTest)
#include "ProgramIconTest.moc"
