#pragma once

#include <QObject>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

/// The main window's menu bar: Файл, Вычисления and Справка. It owns the
/// actions that are menus only (Выход, Вычислить всё, the page keys, Помощь,
/// Схема, О программе) and says what was asked for by its signals; the
/// window decides what that does. Файл has a section for the jobs and one
/// for the statement, which their owners fill (AddToJobs, AddToStatement).
class WindowMenus : public QObject {
    Q_OBJECT

public:
    /// The menu bar, a child of window; About is shown over window.
    explicit WindowMenus(QWidget& window);

    /// Puts actions (nullptr: a separator) at the end of Файл's job section.
    void AddToJobs(const QList<QAction*>& actions);
    /// Puts a submenu at the end of Файл's job section.
    void AddToJobs(QMenu* menu);
    /// Puts actions at the end of Файл's statement section.
    void AddToStatement(const QList<QAction*>& actions);

    /// Shows the program's name, version and licence over the window.
    void ShowAbout();

    QMenuBar* Bar = nullptr;
    QMenu* File = nullptr;
    QMenu* Calc = nullptr;
    QMenu* Help = nullptr;
    /// The ends of Файл's sections: what a section gets goes before its end.
    QAction* JobsEnd = nullptr;
    QAction* StatementEnd = nullptr;
    QAction* Exit = nullptr;
    QAction* ComputeAll = nullptr;
    QAction* NextPage = nullptr;
    QAction* PreviousPage = nullptr;
    QAction* Guide = nullptr;
    QAction* HelpText = nullptr;
    QAction* Scheme = nullptr;
    QAction* About = nullptr;

signals:
    void ExitRequested();
    void ComputeAllRequested();
    /// Turn by step pages: 1 onwards, -1 back.
    void PageTurnRequested(int step);
    void HelpRequested();
    void SchemeRequested();

private:
    QWidget& window_;
};
