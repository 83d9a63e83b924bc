#include "KeyboardRules.h"

#include "FieldTable.h"
#include "SheetLayout.h"
#include "Unit1.h"

#include <QAction>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <tuple>
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

std::vector<Stop> PageStops(const TForm1& form, int page)
{
    std::vector<Stop> stops;
    for (const snesenie::FieldInfo& f : snesenie::Fields()) {
        if (f.page != page)
            continue;
        auto* edit = form.findChild<QLineEdit*>(Q(f.name));
        stops.push_back({f.kind == snesenie::FieldKind::Input ? 0 : 2, f.top, f.left, edit});
    }
    for (const sheet::ButtonInfo& b : sheet::Buttons())
        if (b.page == page)
            stops.push_back({1, b.y, b.x, form.findChild<QPushButton*>(b.name)});
    std::ranges::sort(stops, {}, [](const Stop& s) { return std::tuple(s.group, s.top, s.left); });
    return stops;
}

QWidget* SheetPage(const TForm1& form, int page)
{
    return page == 1 ? form.TS1 : page == 2 ? form.TS2 : form.TS3;
}

} // namespace

KeyboardRules::KeyboardRules(TForm1& form) : QObject(&form), form_(form)
{
    SetTabOrder();
    for (QPushButton* button : form.findChildren<QPushButton*>())
        button->installEventFilter(this);
    for (QLineEdit* edit : form.findChildren<QLineEdit*>())
        edit->installEventFilter(this);
    connect(form.PC1, &QTabWidget::currentChanged, this, &KeyboardRules::PageTurned);
    // Given before the window is shown, the focus waits for it to activate.
    CaretToPageStart();
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

void KeyboardRules::CaretToPageStart() { PutCaret(FirstStop(form_.PC1->currentWidget())); }

QWidget* KeyboardRules::FirstStop(const QWidget* page) const
{
    for (int number = 1; number <= 3; ++number) {
        if (SheetPage(form_, number) == page) {
            const std::vector<Stop> stops = PageStops(form_, number);
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
        for (const Stop& stop : PageStops(form_, page)) {
            if (previous != nullptr)
                QWidget::setTabOrder(previous, stop.widget);
            previous = stop.widget;
        }
    }
    QWidget::setTabOrder(previous, form_.PC1->tabBar());
}

void KeyboardRules::PageTurned()
{
    // Turning pages with the arrow keys on the tab strip keeps the caret
    // there, so that the next arrow turns on.
    if (form_.PC1->tabBar()->hasFocus())
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
        for (const QAction* action : form_.findChildren<QAction*>()) {
            if (action->isEnabled() && action->shortcuts().contains(pressed)) {
                event->ignore();
                return true;
            }
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
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
    if (qobject_cast<QLineEdit*>(watched) != nullptr && (modifiers & Qt::AltModifier) &&
        !(modifiers & Qt::ControlModifier) && !key->text().isEmpty() && key->text().front().isPrint())
        return true;
    return false;
}
