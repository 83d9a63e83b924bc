#include "RangeMarks.h"

#include "FieldTable.h"
#include "InputRanges.h"
#include "WindowFields.h"

#include <QLineEdit>

#include <set>

RangeMarks::RangeMarks(const WindowFields& fields, QObject* parent) : QObject(parent), fields_(fields)
{
    if (fields.Made(2))
        AddPage(2);
}

// Only page 2 has inputs with a usual range; until it is made they show
// their examples, which lie inside it.
void RangeMarks::AddPage(int page)
{
    for (const snesenie::FieldInfo& f : snesenie::Fields()) {
        if (f.kind != snesenie::FieldKind::Input || f.page != page || page != 2)
            continue;
        QLineEdit* edit = fields_.Edit(std::string(f.name));
        boxes_.emplace(std::string(f.name), Box{edit, edit->palette()});
        // Marked when left, so that typing 7 on the way to 75 marks nothing;
        // unmarked at once when put right.
        connect(edit, &QLineEdit::editingFinished, this, [this] { Update(true); });
        connect(edit, &QLineEdit::textChanged, this, [this] { Update(false); });
    }
    Update(true);
}

QColor RangeMarks::MarkColour() { return QColor(0xFF, 0xD8, 0xA8); }

void RangeMarks::Refresh() { Update(true); }

bool RangeMarks::IsMarked(const std::string& field) const
{
    const auto it = boxes_.find(field);
    return it != boxes_.end() && !it->second.edit->toolTip().isEmpty();
}

// The whole page at once: β1 + β2 depends on six boxes, and is marked on β2.
void RangeMarks::Update(bool leaving)
{
    // The page's own boxes, read here: the window's field table may already
    // be gone when a box is left as the window closes.
    snesenie::MemoryFields page;
    for (const auto& [name, box] : boxes_)
        page.SetText(name, box.edit->text().toStdString());
    std::map<std::string, std::string> warnings;
    for (const snesenie::InputWarning& w : snesenie::InputWarnings(page))
        warnings[w.field] += (warnings[w.field].empty() ? "" : "\n") + w.message;
    for (auto& [name, box] : boxes_) {
        const auto it = warnings.find(name);
        const bool marked = !box.edit->toolTip().isEmpty();
        if (it == warnings.end()) {
            if (marked) {
                box.edit->setPalette(box.normal);
                box.edit->setToolTip({});
            }
        } else if (leaving || marked) {
            QPalette p = box.normal;
            p.setColor(QPalette::Base, MarkColour());
            box.edit->setPalette(p);
            box.edit->setToolTip(QString::fromStdString("Вне обычных пределов: " + it->second));
        }
    }
}
