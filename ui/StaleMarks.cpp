#include "StaleMarks.h"

#include "FieldTable.h"
#include "SheetLook.h"
#include "WindowFields.h"

#include <QLineEdit>

#include <algorithm>
#include <utility>

StaleMarks::StaleMarks(const WindowFields& fields, QObject* parent, InputListener listener)
    : QObject(parent), listener_(std::move(listener))
{
    state_.fill(State::Empty);
    for (const snesenie::FieldInfo& f : snesenie::Fields()) {
        if (f.page < 1 || f.page > kPages)
            continue;
        QLineEdit* edit = fields.Edit(std::string(f.name));
        if (f.kind == snesenie::FieldKind::Output) {
            outputs_[Index(f.page)].push_back({edit, edit->palette()});
        } else {
            // Any change counts, typed, pasted or set by a button, since the
            // results beside it were computed from the old text. A box set
            // to the text it already has sends nothing.
            const int page = f.page;
            connect(edit, &QLineEdit::textChanged, this, [this, page] { InputChanged(page); });
        }
    }
}

QString StaleMarks::StaleTip() { return QStringLiteral("Результат устарел: пересчитайте страницу"); }

void StaleMarks::Computed(int page) { Set(page, State::Current); }

// What the run wrote is half a sheet, and what it did not write is left from
// an earlier run.
void StaleMarks::Failed(int page)
{
    // A first run that stopped before writing anything has nothing to mark.
    const auto& outputs = outputs_[Index(page)];
    const bool written = std::ranges::any_of(outputs, [](const Output& out) { return !out.edit->text().isEmpty(); });
    if (state_[Index(page)] != State::Empty || written)
        Set(page, State::Stale);
}

void StaleMarks::Cleared(int page) { Set(page, State::Empty); }

void StaleMarks::InputChanged(int page)
{
    for (int p = page; p <= kPages; ++p)
        if (state_[Index(p)] == State::Current)
            Set(p, State::Stale);
    if (listener_)
        listener_(page);
}

void StaleMarks::Set(int page, State state)
{
    const bool stale = state == State::Stale;
    const bool wasStale = state_[Index(page)] == State::Stale;
    state_[Index(page)] = state;
    if (stale == wasStale)
        return;
    for (const Output& out : outputs_[Index(page)]) {
        QPalette p = out.current;
        if (stale)
            p.setColor(QPalette::Text, sheet::StaleTextColour());
        out.edit->setPalette(p);
        out.edit->setToolTip(stale ? StaleTip() : QString());
    }
}
