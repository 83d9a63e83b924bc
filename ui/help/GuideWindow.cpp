#include "GuideWindow.h"

#include <QDesktopServices>
#include <QFile>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

GuideWindow::GuideWindow(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("GuideWindow"));
    setWindowTitle(QStringLiteral("Руководство пользователя"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Browser = new QTextBrowser(this);
    Browser->setObjectName(QStringLiteral("GuideText"));
    Browser->setAccessibleName(QStringLiteral("Руководство пользователя"));
    Browser->setOpenLinks(false);
    connect(Browser, &QTextBrowser::anchorClicked, this, &GuideWindow::FollowLink);

    Browser->setMarkdown(Text());
    QTextDocument* document = Browser->document();
    // The Markdown reader names no headings, so the guide's own links
    // (its contents, «см. …») would lead nowhere: each heading is given the
    // anchor its links use.
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0 || block.length() <= 1)
            continue;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        QTextCharFormat anchor;
        anchor.setAnchor(true);
        anchor.setAnchorNames({HeadingAnchor(block.text())});
        cursor.mergeCharFormat(anchor);
    }
    // The guide opens at its beginning, whatever the edits above did to the view.
    Browser->moveCursor(QTextCursor::Start);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Browser);
    // Wide enough for the guide's tables and most of its examples, and most
    // of a small screen high.
    resize(Browser->fontMetrics().averageCharWidth() * 120, 640);
}

GuideWindow* GuideWindow::Show(QWidget* owner)
{
    auto* window = owner->findChild<GuideWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (window == nullptr)
        window = new GuideWindow(owner);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QString GuideWindow::Text()
{
    QFile file(QStringLiteral(":/snesenie/guide-ru.md"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("# Руководство пользователя\n\nРуководство не встроено в эту сборку программы.\n");
    return QString::fromUtf8(file.readAll());
}

QString GuideWindow::HeadingAnchor(const QString& heading)
{
    QString anchor;
    for (const QChar c : heading.toLower()) {
        if (c.isLetterOrNumber() || c.isMark() || c == u'_' || c == u'-')
            anchor += c;
        else if (c == u' ')
            anchor += u'-';
    }
    return anchor;
}

void GuideWindow::FollowLink(const QUrl& link)
{
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment())
        Browser->scrollToAnchor(link.fragment(QUrl::FullyDecoded));
    else if (link.scheme() == u"https" || link.scheme() == u"http")
        QDesktopServices::openUrl(link);
}
