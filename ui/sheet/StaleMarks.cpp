#include "StaleMarks.h"

#include "FieldTable.h"
#include "Sheet.h"
#include "SheetLook.h"
#include "WindowFields.h"

#include <QLineEdit>

#include <algorithm>
#include <utility>

StaleMarks::StaleMarks(const WindowFields& fields, const snesenie::Sheet& sheet, QObject* parent,
                       InputListener listener)
    : QObject(parent), fields_(fields), sheet_(sheet), listener_(std::move(listener))
{
    for (int page = 1; page <= kPages; ++page)
        if (fields.Made(page))
            AddPage(page);
}

// A page made after the others were marked takes the mark the sheet gives it.
void StaleMarks::AddPage(int page)
{
    for (const snesenie::FieldInfo& f : snesenie::Fields()) {
        if (f.page != page)
            continue;
        QLineEdit* edit = fields_.Edit(std::string(f.name));
        if (f.kind == snesenie::FieldKind::Output) {
            outputs_[Index(f.page)].push_back({edit, edit->palette()});
        } else {
            // Any change counts, typed, pasted or set by a button, since the
            // results beside it were computed from the old text. A box set
            // to the text it already has sends nothing.
            connect(edit, &QLineEdit::textChanged, this, [this, page] { InputChanged(page); });
        }
    }
    Refresh();
}

QString StaleMarks::StaleTip() { return QStringLiteral("Результат устарел: пересчитайте страницу"); }

// A page that is not current is stale while it still shows a result: one
// emptied by its clear button, or whose first run stopped before writing
// anything, has nothing to mark.
void StaleMarks::Refresh()
{
    for (int page = 1; page <= kPages; ++page) {
        const auto& outputs = outputs_[Index(page)];
        const bool shown =
            std::ranges::any_of(outputs, [](const Output& out) { return !out.edit->text().isEmpty(); });
        Set(page, shown && !sheet_.PageCurrent(page));
    }
}

void StaleMarks::InputChanged(int page)
{
    if (listener_)
        listener_(page);
    Refresh();
}

void StaleMarks::Set(int page, bool stale)
{
    if (stale_[Index(page)] == stale)
        return;
    stale_[Index(page)] = stale;
    for (const Output& out : outputs_[Index(page)]) {
        QPalette p = out.current;
        if (stale)
            p.setColor(QPalette::Text, sheet::StaleTextColour());
        out.edit->setPalette(p);
        out.edit->setToolTip(stale ? StaleTip() : QString());
    }
}
