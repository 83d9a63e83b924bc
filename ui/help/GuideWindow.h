#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;
class QUrl;

/// The user's guide in a window of its own, beside the sheet: the program's
/// own copy of docs/guide-ru.md (without its pictures), so it shows the same
/// text whether or not the system keeps the package's documents. Made on
/// first need and kept, hidden, when closed; it does not block the sheet.
class GuideWindow : public QDialog {
    Q_OBJECT

public:
    explicit GuideWindow(QWidget* parent = nullptr);

    /// Shows the window of owner, making it the first time, and brings it to
    /// the front.
    static GuideWindow* Show(QWidget* owner);

    /// The guide's Markdown as the program carries it.
    static QString Text();

    /// The anchor of a heading as links name it, by the rule of the hosting
    /// site that shows the file: lower case, punctuation dropped, blanks as
    /// hyphens («Оценка точности» → «оценка-точности»).
    static QString HeadingAnchor(const QString& heading);

    /// Follows a link of the guide: one within it scrolls there; a web
    /// address opens in the system's browser; nothing else is followed.
    void FollowLink(const QUrl& link);

    QTextBrowser* Browser;
};
