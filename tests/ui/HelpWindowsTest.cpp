// The help and scheme windows on their own: the help text exactly as the box
// must show it, a box the user cannot change, and a picture that fits its
// window whole; and the user's guide the Справка menu opens.

#include "GuideWindow.h"
#include "SchemeDrawing.h"
#include "UiFixture.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMap>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QScrollBar>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextTable>

namespace {

QStringList ShownLines(const QPlainTextEdit* box)
{
    QStringList lines;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

int DarkPixels(const QImage& picture, int fromX, int toX)
{
    int count = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = fromX; x < toX; ++x)
            count += qGray(picture.pixel(x, y)) < 128;
    return count;
}

// The help text line by line, as the box must show it: blanks at either end,
// hand-made hyphenation and the spelling of the text kept.
const QStringList kHelpLines = {
    QStringLiteral("       "),
    QStringLiteral("            Снесение (передача) координат с"),
    QStringLiteral("                  вершины знака на землю."),
    QStringLiteral(""),
    QStringLiteral("   Эта задача возникает в том случае, когда требу-"),
    QStringLiteral("ется произвести привязку полигонометрического"),
    QStringLiteral("(теодолитного) хода к пункту А существующей сети"),
    QStringLiteral("на который нельзя встать с инструментом ( напри-"),
    QStringLiteral("мер, пункт А - шпиль башни). Для выполнения при-"),
    QStringLiteral("вязки хода выбирают вблизи пункта А на земле "),
    QStringLiteral("пункт Р в таком месте, чтобы был виден пункт А и"),
    QStringLiteral("два удаленных исходных пункта В и С( один из них"),
    QStringLiteral("для контроля решения задачи)."),
    QStringLiteral("    Сущьность задачи заключается в передаче коор-"),
    QStringLiteral("динат с пункта А на пункт Р."),
    QStringLiteral("    Для решения этой задачи ( сконтролем) намеча-"),
    QStringLiteral("ют два базиса так, чтобы треугольники АРК и АРN"),
    QStringLiteral("были близки к равносторонним; измеряют эти бази-"),
    QStringLiteral("сы b и b` и шесть углов "),
    QStringLiteral("                         "),
};

} // namespace

class HelpWindowsTest : public QObject {
    Q_OBJECT

    // The windows as the program creates them, beside the main window.
    std::unique_ptr<UiFixture> ui;

private slots:
    void init() { ui = std::make_unique<UiFixture>(); }
    void cleanup() { QVERIFY2(EndUiTest(ui), "a modal window nobody expected was shown"); }
    void helpLinesAreTheText();
    void helpBoxShowsEachLineAsItIs();
    void helpTextCannotBeEdited();
    void helpTextSurvivesScrollingAndReopening();
    void schemeIsAFullDrawing();
    void schemeWindowHoldsTheWholePicture();
    void guideOpensBesideTheSheet();
    void guideLinksLeadToItsHeadings();
    void guideFileMenuTableIsTheMenu();
};

void HelpWindowsTest::helpLinesAreTheText()
{
    QCOMPARE(kHelpLines.size(), 20);
    QCOMPARE(kHelpLines.first().size(), 7);
    QCOMPARE(kHelpLines.last().size(), 25);
    const QStringList shown = ShownLines(ui->form2->RichEdit1);
    QCOMPARE(shown.size(), kHelpLines.size());
    for (int i = 0; i < kHelpLines.size(); ++i)
        QVERIFY2(shown.at(i) == kHelpLines.at(i), qPrintable(QString("line %1: «%2»").arg(i + 1).arg(shown.at(i))));
}

void HelpWindowsTest::helpBoxShowsEachLineAsItIs()
{
    TForm2& form = *ui->form2;
    QCOMPARE(form.windowTitle(), QStringLiteral("Помощь"));
    QCOMPARE(form.findChild<QPlainTextEdit*>("RichEdit1"), form.RichEdit1);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.RichEdit1->geometry(), form.rect());
    QVERIFY(form.RichEdit1->verticalScrollBar()->isVisible());
    QVERIFY(form.RichEdit1->horizontalScrollBar()->isVisible());
    // One row per line, none wrapped (that would lose the hand-made word
    // breaks), and the window wide enough that no line end is hidden.
    QCOMPARE(form.RichEdit1->document()->lineCount(), int(kHelpLines.size()));
    QCOMPARE(form.RichEdit1->horizontalScrollBar()->maximum(), 0);
}

void HelpWindowsTest::helpTextCannotBeEdited()
{
    TForm2& form = *ui->form2;
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.RichEdit1->setFocus();
    QApplication::clipboard()->setText(QStringLiteral("вставка"));

    QTest::keyClick(form.RichEdit1, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(form.RichEdit1, "abc 123");
    QTest::keyClick(form.RichEdit1, Qt::Key_Return);
    QTest::keyClick(form.RichEdit1, Qt::Key_Backspace);
    QTest::keyClick(form.RichEdit1, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(form.RichEdit1, Qt::Key_Delete);
    QTest::keyClick(form.RichEdit1, Qt::Key_V, Qt::ControlModifier);

    QCOMPARE(ShownLines(form.RichEdit1), kHelpLines);
    QVERIFY(!form.RichEdit1->document()->isModified());
}

void HelpWindowsTest::helpTextSurvivesScrollingAndReopening()
{
    TForm2& form = *ui->form2;
    for (int round = 0; round < 3; ++round) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QScrollBar* down = form.RichEdit1->verticalScrollBar();
        QScrollBar* across = form.RichEdit1->horizontalScrollBar();
        down->setValue(down->maximum());
        across->setValue(across->maximum());
        QVERIFY(form.close());
        QVERIFY(form.isHidden());
        QCOMPARE(ShownLines(form.RichEdit1), kHelpLines);
    }
}

void HelpWindowsTest::schemeIsAFullDrawing()
{
    const QImage picture = snesenie::DrawScheme();
    QCOMPARE(picture.size(), QSize(600, 400));
    QCOMPARE(picture.pixel(0, 399), qRgb(255, 255, 255));

    // Something drawn in each third: C and ψ′ at the left, A, P and the
    // bases in the middle, B and ψ at the right. A few hundred dark pixels
    // each, but far from a filled-in picture.
    const int left = DarkPixels(picture, 0, 200);
    const int middle = DarkPixels(picture, 200, 400);
    const int right = DarkPixels(picture, 400, 600);
    QVERIFY2(left > 400 && middle > 1000 && right > 400,
             qPrintable(QStringLiteral("%1 / %2 / %3").arg(left).arg(middle).arg(right)));
    QVERIFY(left + middle + right < 600 * 400 / 10);
}

void HelpWindowsTest::schemeWindowHoldsTheWholePicture()
{
    TForm3& form = *ui->form3;
    QCOMPARE(form.windowTitle(), QStringLiteral("Схема"));
    QCOMPARE(form.findChild<QLabel*>("Image1"), form.Image1);
    QVERIFY(form.findChildren<QAbstractScrollArea*>().isEmpty());

    for (int round = 0; round < 2; ++round) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.Image1->pixmap().size(), QSize(600, 400));
        QCOMPARE(form.Image1->geometry(), QRect(0, 0, 600, 400));
        QVERIFY(form.rect().contains(form.Image1->geometry()));
        QVERIFY(form.close());
        QVERIFY(form.isHidden());
    }
}

// Справка → Руководство пользователя (F1): the guide as written, its tables
// as tables, without its pictures, in one window that leaves the sheet usable.
void HelpWindowsTest::guideOpensBesideTheSheet()
{
    auto* action = ui->form1->findChild<QAction*>("GuideAction");
    QVERIFY(action != nullptr);
    QCOMPARE(action->text(), QStringLiteral("&Руководство пользователя"));
    QCOMPARE(action->shortcut(), QKeySequence(QKeySequence::HelpContents));
    QVERIFY(ui->form1->findChild<GuideWindow*>() == nullptr);  // made on first need
    action->trigger();
    auto* window = ui->form1->findChild<GuideWindow*>();
    QVERIFY(window != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(!window->isModal());
    QCOMPARE(window->windowTitle(), QStringLiteral("Руководство пользователя"));

    const QTextDocument* document = window->Browser->document();
    const QString text = document->toPlainText();
    for (const char* heading : {"Окно", "Задания", "Контроль и ведомость", "Оценка точности", "Командная строка",
                                "Пакет станций", "Быстродействие"})
        QVERIFY2(text.contains(QString::fromUtf8(heading)), heading);
    QVERIFY2(!text.contains("png") && !text.contains("!["), "a picture the window cannot show");
    QSet<QTextTable*> tables;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        if (QTextTable* table = QTextCursor(block).currentTable())
            tables.insert(table);
    QVERIFY2(tables.size() >= 4, qPrintable(QString("%1 tables").arg(tables.size())));  // Файл, допуски, точность, цифры

    // The sheet stays at hand, and the menu shows the same window again.
    window->close();
    action->trigger();
    QCOMPARE(ui->form1->findChildren<GuideWindow*>().size(), 1);
    QVERIFY(window->isVisible());
    window->close();
}

// The contents and every «см.» of the guide lead somewhere: the Markdown
// reader names no headings, so a link whose heading was renamed, or left
// without its anchor, would do nothing when clicked.
void HelpWindowsTest::guideLinksLeadToItsHeadings()
{
    GuideWindow window;
    QTextDocument* document = window.Browser->document();
    QStringList links, anchors;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.anchorHref().isEmpty())
                links << format.anchorHref();
            anchors << format.anchorNames();
        }
    QVERIFY2(links.size() >= 7, qPrintable(links.join(' ')));
    for (const QString& link : links) {
        QVERIFY2(link.startsWith('#'), qPrintable(link + " leads out of the guide"));
        QVERIFY2(anchors.contains(QUrl(link).fragment(QUrl::FullyDecoded)), qPrintable(link + " leads nowhere"));
    }
    QCOMPARE(GuideWindow::HeadingAnchor(QStringLiteral("Сводка ведомостей пакета (PDF)")),
             QStringLiteral("сводка-ведомостей-пакета-pdf"));

    // A link followed scrolls to its heading: the last section is far down.
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QScrollBar* bar = window.Browser->verticalScrollBar();
    QCOMPARE(bar->value(), 0);
    window.FollowLink(QUrl(links.last()));
    QVERIFY2(bar->value() > bar->maximum() / 2, qPrintable(QString("%1 of %2").arg(bar->value()).arg(bar->maximum())));
    window.FollowLink(QUrl(links.first()));
    QVERIFY(bar->value() < bar->maximum() / 2);
}

// The guide's table of the Файл menu names every item of the menu with the
// keys the menu gives it ("—" or nothing: none), so a key moved in the code
// or an item added leaves the guide wrong no longer unnoticed.
void HelpWindowsTest::guideFileMenuTableIsTheMenu()
{
    QMap<QString, QString> keys;
    const QStringList lines = GuideWindow::Text().split('\n');
    const qsizetype header = lines.indexOf(QStringLiteral("| Пункт | Клавиши | Что делает |"));
    QVERIFY(header >= 0);
    for (qsizetype i = header + 2; i < lines.size() && lines.at(i).startsWith('|'); ++i) {
        const QStringList cells = lines.at(i).split('|');
        QVERIFY2(cells.size() == 5, qPrintable(lines.at(i)));
        const QStringList items = cells.at(1).trimmed().split(QStringLiteral(", "));
        QStringList itemKeys = cells.at(2).trimmed().split(QStringLiteral(", "));
        if (itemKeys == QStringList{QString()})
            itemKeys = QStringList(items.size(), QString());
        QVERIFY2(items.size() == itemKeys.size(), qPrintable(lines.at(i)));
        for (qsizetype k = 0; k < items.size(); ++k)
            keys.insert(items.at(k), itemKeys.at(k) == u"—" ? QString() : itemKeys.at(k));
    }
    int items = 0;
    for (const QAction* action : ui->form1->FileMenu->actions()) {
        if (action->isSeparator())
            continue;
        ++items;
        const QString name = action->text().remove('&');
        QVERIFY2(keys.contains(name), qPrintable(name + " is not in the guide's table"));
        QCOMPARE(keys.value(name), action->shortcut().toString(QKeySequence::PortableText));
    }
    QCOMPARE(items, keys.size());
}

QTEST_MAIN(HelpWindowsTest)
#include "HelpWindowsTest.moc"
