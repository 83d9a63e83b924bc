#include "KeyboardRules.h"

#include "FieldTable.h"
#include "SheetLayout.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

namespace {

// The stops of one page in Tab order: inputs, buttons, results, each group
// in reading order (row by row, left to right).
struct Stop {
    int group;
    int top, left;
    QWidget* widget;
};

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

std::vector<Stop> PageStops(const QWidget& form, int page)
{
    std::vector<Stop> stops;
    for (const snesenie::FieldInfo& f : snesenie::Fields()) {
        if (f.page != page)
            continue;
        auto* edit = form.findChild<QLineEdit*>(Q(f.name));
        if (edit == nullptr)  // a page not made yet
            continue;
        const sheet::FieldPlace& place = sheet::PlaceOf(f.id);
        stops.push_back({f.kind == snesenie::FieldKind::Input ? 0 : 2, place.top, place.left, edit});
    }
    for (const sheet::ButtonInfo& b : sheet::Buttons())
        if (b.page == page)
            if (auto* button = form.findChild<QPushButton*>(b.name))
                stops.push_back({1, b.y, b.x, button});
    std::ranges::sort(stops, {}, [](const Stop& s) { return std::tuple(s.group, s.top, s.left); });
    return stops;
}

// Вставить in a box's standard menu, known by the paste chord the toolkit
// writes after it (the caption is translated); null where the platform shows
// no chords in context menus, and the paste is then the toolkit's own.
QAction* PasteAction(const QMenu& menu)
{
    const QString chord = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    for (QAction* action : menu.actions())
        if (!chord.isEmpty() && action->text().section('\t', 1) == chord)
            return action;
    return nullptr;
}

} // namespace

KeyboardRules::KeyboardRules(QWidget& window, QTabWidget& tabs, const std::array<QWidget*, 3>& pages)
    : QObject(&window), window_(window), tabs_(tabs), pages_(pages)
{
    SetTabOrder();
    for (QPushButton* button : window.findChildren<QPushButton*>())
        button->installEventFilter(this);
    for (QLineEdit* edit : window.findChildren<QLineEdit*>())
        edit->installEventFilter(this);
    connect(&tabs, &QTabWidget::currentChanged, this, &KeyboardRules::PageTurned);
    // Given before the window is shown, the focus waits for it to activate.
    CaretToPageStart();
}

void KeyboardRules::AddPage(int page)
{
    QWidget* made = pages_.at(static_cast<std::size_t>(page - 1));
    for (QPushButton* button : made->findChildren<QPushButton*>())
        button->installEventFilter(this);
    for (QLineEdit* edit : made->findChildren<QLineEdit*>())
        edit->installEventFilter(this);
    SetTabOrder();
}

void KeyboardRules::PutCaret(QWidget* widget)
{
    if (widget == nullptr)
        return;
    widget->setFocus(Qt::OtherFocusReason);
    // Set now, the selection holds until the box loses the focus, so it is
    // there whenever the focus arrives (a window not yet active gets it late).
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->selectAll();
}

bool KeyboardRules::IsStrayAltChord(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    return (modifiers & Qt::AltModifier) && !(modifiers & Qt::ControlModifier) && !key.text().isEmpty() &&
           key.text().front().isPrint();
}

void KeyboardRules::PasteTrimmed(QLineEdit& edit)
{
    if (edit.isReadOnly())
        return;
    edit.insert(QGuiApplication::clipboard()->text().trimmed());
    // A text longer than the narrow box is shown from its first digit, not
    // scrolled to its end.
    if (edit.fontMetrics().horizontalAdvance(edit.text()) > edit.contentsRect().width() - 4)
        edit.setCursorPosition(0);
}

void KeyboardRules::CaretToPageStart() { PutCaret(FirstStop(tabs_.currentWidget())); }

QWidget* KeyboardRules::FirstStop(const QWidget* page) const
{
    for (int number = 1; number <= 3; ++number) {
        if (pages_[static_cast<std::size_t>(number - 1)] == page) {
            const std::vector<Stop> stops = PageStops(window_, number);
            return stops.empty() ? nullptr : stops.front().widget;
        }
    }
    return nullptr;
}

// One chain through the three pages and then the tabs; the stops of hidden
// pages are skipped, so Tab goes round the current page and its tab strip.
void KeyboardRules::SetTabOrder()
{
    QWidget* previous = nullptr;
    for (int page = 1; page <= 3; ++page) {
        for (const Stop& stop : PageStops(window_, page)) {
            if (previous != nullptr)
                QWidget::setTabOrder(previous, stop.widget);
            previous = stop.widget;
        }
    }
    QWidget::setTabOrder(previous, tabs_.tabBar());
}

void KeyboardRules::PageTurned()
{
    // Turning pages with the arrow keys on the tab strip keeps the caret
    // there, so that the next arrow turns on.
    if (tabs_.tabBar()->hasFocus())
        return;
    CaretToPageStart();
}

bool KeyboardRules::eventFilter(QObject* watched, QEvent* event)
{
    // A box claims some chords for its own editing before the window's
    // shortcuts see them (Ctrl+E is "end of line" on X11), so Экспорт в PDF
    // would never run while the caret is in a box, where it nearly always is.
    // The window's own shortcuts come first.
    if (event->type() == QEvent::ShortcutOverride && qobject_cast<QLineEdit*>(watched) != nullptr) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* action : window_.findChildren<QAction*>()) {
            if (action->isEnabled() && action->shortcuts().contains(pressed)) {
                event->ignore();
                return true;
            }
        }
        return false;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(watched)) {
        // Back from a menu, a dialog or a message box, the caret is where it
        // was but the user's eyes are not: what is typed next replaces the
        // value, as after Tab, instead of joining it («47,3» + «12» made
        // «47,312»).
        if (event->type() == QEvent::FocusIn) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            const bool fromOwnMenu = std::exchange(contextMenuOf_, nullptr) == edit;
            if (!fromOwnMenu && (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason ||
                                 reason == Qt::MenuBarFocusReason))
                edit->selectAll();
            return false;
        }
        // The box's own menu, its Вставить trimmed as Ctrl+V is.
        if (event->type() == QEvent::ContextMenu) {
            QMenu* menu = edit->createStandardContextMenu();
            menu->setAttribute(Qt::WA_DeleteOnClose);
            if (QAction* paste = PasteAction(*menu)) {
                disconnect(paste, &QAction::triggered, nullptr, nullptr);
                connect(paste, &QAction::triggered, edit, [edit] { PasteTrimmed(*edit); });
            }
            contextMenuOf_ = edit;
            menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (auto* edit = qobject_cast<QLineEdit*>(watched); edit != nullptr && key->matches(QKeySequence::Paste)) {
        PasteTrimmed(*edit);
        return true;
    }
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;

    if (auto* button = qobject_cast<QPushButton*>(watched)) {
        // Space presses a button on key release; Enter at once, once.
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
            if (!key->isAutoRepeat())
                button->click();
            return true;
        }
        return false;
    }

    // An Alt chord whose access key is not in force (page 1's keys on the
    // other pages, any other letter anywhere) would type its letter into
    // the box: «45» became «45ор». Ctrl+Alt is AltGr on some systems and
    // types legitimately.
    return qobject_cast<QLineEdit*>(watched) != nullptr && IsStrayAltChord(*key);
}
