#pragma once

#include <QObject>

#include <array>

class QKeyEvent;
class QLineEdit;
class QTabWidget;
class QWidget;

/// The main window's keyboard: the caret starts in the first input and goes
/// to the first input of a page when the page is turned, its text selected; Tab runs through a
/// page's inputs in reading order, then its buttons, then its results; Enter
/// on a focused button presses it, as Space does; an Alt chord never types
/// into a box (Alt+О and Alt+Р are page 1's access keys only); a box the
/// caret comes back to from a menu, a dialog or a message box has its text
/// selected; and text pasted into a box comes without the blanks round it.
class KeyboardRules : public QObject {
public:
    /// Sets all of this up on a fully built window: its tab widget and the
    /// three pages of the sheet in it. Knows the window only as widgets, so
    /// that the window's files and these rules do not include each other.
    KeyboardRules(QWidget& window, QTabWidget& tabs, const std::array<QWidget*, 3>& pages);

    /// Takes in the boxes and buttons of a page (1 to 3) made after the
    /// rules were set up: the pages beyond the first are made on first need.
    void AddPage(int page);

    /// Where the caret goes when the page is turned to: its first input, or
    /// its first button on a page with nothing to type. Null for a page the
    /// sheet does not know.
    QWidget* FirstStop(const QWidget* page) const;

    /// The caret into the first stop of the page showing, as after a page is
    /// turned: used where the program, not the user, decides where typing
    /// goes next (a cleared page, a new or opened job).
    void CaretToPageStart();

    /// The caret into a widget; a box gets its whole text selected, so that
    /// what is typed replaces the old value instead of joining it.
    static void PutCaret(QWidget* widget);

    /// Whether a key press is an Alt chord that would type its letter into a
    /// box: Alt with a printable key and no Ctrl (Ctrl+Alt is AltGr on some
    /// systems and types legitimately).
    static bool IsStrayAltChord(const QKeyEvent& key);

    /// Pastes the clipboard's text into the box over its selection, without
    /// the blanks, tabs and line ends round it that a spreadsheet cell brings.
    static void PasteTrimmed(QLineEdit& edit);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetTabOrder();
    void PageTurned();

    QWidget& window_;
    QTabWidget& tabs_;
    std::array<QWidget*, 3> pages_;
    /// The box whose own context menu is open: coming back from it is no
    /// return from elsewhere, and its selection is left as the user made it.
    QLineEdit* contextMenuOf_ = nullptr;
};
