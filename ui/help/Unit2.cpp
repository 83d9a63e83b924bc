#include "Unit2.h"

#include <QFont>
#include <QPalette>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextDocument>

#include <algorithm>
#include <QVBoxLayout>

QStringList TForm2::HelpLines()
{
    // The text is laid out by hand for a box about fifty characters wide: the
    // leading blanks centre the title, the hyphens break words at the right
    // edge, and the blank first and last lines frame it. None of that may be
    // trimmed or re-wrapped.
    return {
        QString(7, u' '),
        QStringLiteral("            Снесение (передача) координат с"),
        QStringLiteral("                  вершины знака на землю."),
        QString(),
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
        QString(25, u' '),
    };
}

TForm2::TForm2(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Помощь"));

    // MS Sans Serif 8, or Liberation Sans with the metrics of its time: only
    // a face that is there is named, so that no search for substitutes runs.
#ifdef Q_OS_WIN
    QFont font(QStringLiteral("MS Sans Serif"));
#else
    QFont font(QStringLiteral("Liberation Sans"));
#endif
    font.setPointSize(8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);

    RichEdit1 = new QPlainTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("Описание задачи"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setLineWrapMode(QPlainTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setPlainText(HelpLines().join(u'\n'));

    // The text sits on the light grey of the window frame rather than on the
    // white of an editable box, so it does not look like something to type in.
    QPalette palette = RichEdit1->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    RichEdit1->setPalette(palette);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(RichEdit1);

    // Sized to fit the text: the lines are broken by hand, so a face a little
    // wider than the original must widen the window, not hide line ends.
    const QFontMetrics metrics(RichEdit1->font());
    int widest = 0;
    for (const QString& line : HelpLines())
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int chrome = RichEdit1->verticalScrollBar()->sizeHint().width() + 2 * RichEdit1->frameWidth() +
                       2 * static_cast<int>(RichEdit1->document()->documentMargin()) + metrics.averageCharWidth();
    resize(std::max(277, widest + chrome), 363);
    move(417, 167);
}
