// The program's icon: the theme's where the package installed one under the
// application id, else the pictures built into the program.

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
        const QList<QSize> expected{{16, 16}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
        QCOMPARE(icon.availableSizes(), expected);
        for (const QSize& size : expected)
            QCOMPARE(icon.pixmap(size).size(), size);
    }

    void ThemeIconWhenInstalled()
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
        QCOMPARE(ProgramIcon().name(), QString(snesenie::kAppId));
    }
};

QTEST_MAIN(ProgramIconTest)
#include "ProgramIconTest.moc"
