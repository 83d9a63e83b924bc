#include "SheetText.h"

#include "FieldGuide.h"
#include "FieldTable.h"

#include <algorithm>
#include <map>
#include <vector>

namespace snesenie::cli {
namespace {

// The parts of an angle typed into three boxes, and the marks the computed
// angles of the sheet are printed with, so that both read alike.
constexpr std::pair<std::string_view, std::string_view> kAngleParts[] = {
    {", градусы", "°"}, {", минуты", "`"}, {", секунды", "``"}};

constexpr std::size_t kLabelWidth = 14;
constexpr std::size_t kValueWidth = 18;

// One line of page 2 or 3: a quantity with a text for each variant, or one
// text common to both (the means).
struct Row {
    std::string what;
    std::string value[2];  // АВР, АСР
    std::string common;
    bool hasCommon = false;
};

// Splits "β1, градусы" into "β1" and the mark of its part; a quantity that
// is not an angle part keeps an empty mark.
std::pair<std::string, std::string_view> QuantityOf(const std::string& what)
{
    for (const auto& [suffix, mark] : kAngleParts)
        if (what.ends_with(suffix))
            return {what.substr(0, what.size() - suffix.size()), mark};
    return {what, {}};
}

std::string Page1(const PageFields& fields)
{
    // Page 1 has two boxes to a row where an X stands beside its Y (Xc beside
    // Yc, Xb − Xa beside Yb − Ya), one elsewhere; a gap comes between the
    // given data and each inverse problem, as on the page.
    std::vector<const FieldInfo*> page;
    for (const FieldInfo& f : Fields())
        if (f.page == 1)
            page.push_back(&f);
    std::string text;
    for (std::size_t i = 0; i < page.size(); ++i) {
        const FieldInfo& f = *page[i];
        const bool startsProblem = i > 0 && (page[i - 1]->kind != f.kind || f.caption.starts_with("Xc"));
        if (startsProblem && f.kind == FieldKind::Output)
            text += '\n';
        std::string line = "  " + Padded(LabelOf(f).what, 9) + Padded(fields.GetText(std::string(f.name)), kValueWidth);
        if (i + 1 < page.size() && f.caption.starts_with('X') && page[i + 1]->caption.starts_with('Y')) {
            const FieldInfo& y = *page[++i];
            line += ' ' + Padded(LabelOf(y).what, 9) + Padded(fields.GetText(std::string(y.name)), kValueWidth);
        }
        while (line.back() == ' ')
            line.pop_back();
        text += line + '\n';
    }
    return text;
}

std::string Page(int page, const PageFields& fields)
{
    std::vector<Row> rows;
    for (const FieldInfo& f : Fields()) {
        if (f.page != page)
            continue;
        const FieldLabel label = LabelOf(f);
        const auto [what, mark] = QuantityOf(label.what);
        auto row = std::find_if(rows.begin(), rows.end(), [&](const Row& r) { return r.what == what; });
        if (row == rows.end())
            row = rows.insert(rows.end(), Row{what, {}, {}, false});
        std::string text = fields.GetText(std::string(f.name));
        if (!mark.empty() && !text.empty())
            text += mark;
        if (label.variant.empty()) {
            row->common += text;
            row->hasCommon = true;
        } else {
            row->value[label.variant == "АВР" ? 0 : 1] += text;
        }
    }
    std::string text = "  " + Padded("", kLabelWidth) + Padded("Вариант АВР", kValueWidth) + "Вариант АСР\n";
    for (const Row& r : rows) {
        std::string line = "  " + Padded(r.what, kLabelWidth);
        if (r.hasCommon)
            line += r.common;
        else
            line += Padded(r.value[0], kValueWidth) + r.value[1];
        while (line.back() == ' ')
            line.pop_back();
        text += line + '\n';
    }
    return text;
}

} // namespace

std::string SheetText(const PageFields& fields, const std::optional<ControlReport>& control)
{
    std::string text;
    for (int page = 1; page <= 3; ++page) {
        text += (page > 1 ? "\n" : "") + std::string("Страница ") + std::to_string(page) + ". " +
                std::string(PageTitle(page)) + '\n';
        text += page == 1 ? Page1(fields) : Page(page, fields);
    }
    text += '\n';
    text += control ? control->Summary() : std::string(kControlNotComputed);
    return text + '\n';
}

} // namespace snesenie::cli
