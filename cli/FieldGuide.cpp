#include "FieldGuide.h"

#include "Sheet.h"
#include "Errors.h"
#include "Pages.h"
#include "Utf8.h"

#include <algorithm>

namespace snesenie::cli {
namespace {

constexpr std::string_view kVariantMark = ", вариант ";

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string Folded(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

// Whether a and b differ by one edit: a byte inserted, deleted or replaced,
// or two neighbouring bytes swapped. Field names are ASCII, so bytes are
// letters here; a non-ASCII name simply finds nothing.
bool OneEditApart(std::string_view a, std::string_view b)
{
    if (a.size() > b.size())
        std::swap(a, b);
    if (b.size() - a.size() > 1)
        return false;
    std::size_t i = 0;
    while (i < a.size() && a[i] == b[i])
        ++i;
    if (a.size() < b.size())
        return a.substr(i) == b.substr(i + 1);
    if (i == a.size())
        return false;  // equal
    if (a.substr(i + 1) == b.substr(i + 1))
        return true;
    return i + 1 < a.size() && a[i] == b[i + 1] && a[i + 1] == b[i] && a.substr(i + 2) == b.substr(i + 2);
}

std::size_t Width(std::string_view text)
{
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size();) {
        NextCodePoint(text, i);
        ++n;
    }
    return n;
}

// The control lines of a finished example sheet, in the order --control
// prints them: the names and what they check come from the control itself.
std::vector<Check> ControlChecks()
{
    Sheet sheet;
    for (const SheetAction action : {SheetAction::Page1, SheetAction::Page2, SheetAction::Page3})
        sheet.Press(action);
    return sheet.Control() ? sheet.Control()->checks : std::vector<Check>{};
}

std::size_t CountInputs()
{
    return static_cast<std::size_t>(
        std::count_if(Fields().begin(), Fields().end(), [](const FieldInfo& f) { return f.kind == FieldKind::Input; }));
}

// Page 1 and the means belong to both variants.
std::string VariantText(const FieldLabel& label) { return label.variant.empty() ? "оба" : label.variant; }

std::string PageHeading(int page)
{
    return "Страница " + std::to_string(page) + " «" + std::string(PageTitle(page)) + "»";
}

} // namespace

std::string Padded(std::string_view text, std::size_t width)
{
    std::string out(text);
    for (std::size_t w = Width(text); w < width; ++w)
        out += ' ';
    return out;
}

FieldLabel LabelOf(const FieldInfo& field)
{
    const std::size_t at = field.caption.find(kVariantMark);
    if (at == std::string_view::npos)
        return {std::string(field.caption), {}};
    return {std::string(field.caption.substr(0, at)), std::string(field.caption.substr(at + kVariantMark.size()))};
}

std::string FieldGuide()
{
    std::string text = "\nПоля ввода (" + std::to_string(CountInputs()) +
                       "): ИМЯ, подпись в окне, вариант (столбец страницы)\n";
    for (const FieldInfo& f : Fields()) {
        if (f.kind != FieldKind::Input)
            continue;
        const FieldLabel label = LabelOf(f);
        text += "  " + Padded(f.name, 8) + Padded(label.what, 14) + VariantText(label) + '\n';
    }
    text += "\nПоля вывода по страницам (snesenie-cli --fields — с подписями):\n";
    for (int page = 1; page <= 3; ++page) {
        std::string line = "  стр. " + std::to_string(page) + ':';
        for (const FieldInfo& f : Fields()) {
            if (f.page != page || f.kind != FieldKind::Output)
                continue;
            if (Width(line) + 1 + f.name.size() > 78) {
                text += line + '\n';
                line = "         ";
            }
            line += ' ';
            line += f.name;
        }
        text += line + '\n';
    }
    return text;
}

std::string FieldsText()
{
    std::string text = "ИМЯ       СТР. ВВОД/ВЫВОД  ПОДПИСЬ В ОКНЕ     ВАРИАНТ  ПРИМЕР\n";
    for (int page = 1; page <= 3; ++page) {
        text += "\n# " + PageHeading(page) + '\n';
        for (const FieldInfo& f : Fields()) {
            if (f.page != page)
                continue;
            const FieldLabel label = LabelOf(f);
            text += Padded(f.name, 10) + Padded(std::to_string(f.page), 5) +
                    Padded(f.kind == FieldKind::Input ? "ввод" : "вывод", 12) + Padded(label.what, 19) +
                    Padded(VariantText(label), 9) + std::string(f.example);
            while (!text.empty() && text.back() == ' ')
                text.pop_back();
            text += '\n';
        }
    }
    text += "\n# Строки --control: CONTROL_ИМЯ=ЗНАЧЕНИЕ;ДОПУСК;ok|exceeded|warning\n";
    for (const Check& c : ControlChecks())
        text += Padded("CONTROL_" + c.name, 18) + c.title + '\n';
    return text;
}

std::vector<std::string_view> NearestInputs(std::string_view name)
{
    const std::string folded = Folded(name);
    std::vector<std::string_view> near;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input && Folded(f.name) == folded)
            return {f.name};
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input && OneEditApart(Folded(f.name), folded))
            near.push_back(f.name);
    return near;
}

std::string SuggestionFor(std::string_view name)
{
    const std::vector<std::string_view> near = NearestInputs(name);
    if (near.empty())
        return {};
    std::string text = "; может быть, ";
    for (std::size_t k = 0; k < near.size(); ++k) {
        if (k > 0)
            text += k + 1 == near.size() ? " или " : ", ";
        text += QuoteText(near[k]);
    }
    return text + '?';
}

} // namespace snesenie::cli
