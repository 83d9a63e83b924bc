#include "InputRanges.h"

#include "Errors.h"
#include "FieldTable.h"
#include "Numbers.h"

namespace snesenie {
namespace {

enum class Part { Degrees, Minutes, Seconds, Base, None };

// Angle boxes end in g, m or s; the two bases are Eb1 and Eb2.
Part PartOf(const FieldInfo& info)
{
    if (info.kind != FieldKind::Input || info.page != 2)
        return Part::None;
    if (info.id == FieldId::Eb1 || info.id == FieldId::Eb2)
        return Part::Base;
    switch (info.name.back()) {
    case 'g':
        return Part::Degrees;
    case 'm':
        return Part::Minutes;
    case 's':
        return Part::Seconds;
    }
    return Part::None;
}

std::optional<double> Number(std::string_view text)
{
    try {
        return Hold(ParseNumber(text));
    } catch (const CalcError&) {
        return std::nullopt;
    }
}

struct Variant {
    FieldId b1g, b1m, b1s, b2g, b2m, b2s;
};
constexpr Variant kVariants[] = {
    {FieldId::Ebb1g, FieldId::Ebb1m, FieldId::Ebb1s, FieldId::Ebb2g, FieldId::Ebb2m, FieldId::Ebb2s},
    {FieldId::Ebb11g, FieldId::Ebb11m, FieldId::Ebb11s, FieldId::Ebb22g, FieldId::Ebb22m, FieldId::Ebb22s},
};

// β1 + β2 as page 2 forms it, when all six parts are numbers.
std::optional<double> BetaSum(const PageFields& f, const Variant& v)
{
    const FieldId parts[] = {v.b1g, v.b1m, v.b1s, v.b2g, v.b2m, v.b2s};
    double x[6];
    for (int i = 0; i < 6; ++i) {
        const std::optional<double> n = Number(f.GetText(parts[i]));
        if (!n)
            return std::nullopt;
        x[i] = *n;
    }
    try {
        return Hold(Ext(DmsToDegrees(x[0], x[1], x[2])) + DmsToDegrees(x[3], x[4], x[5]));
    } catch (const CalcError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<std::string> RangeProblem(const FieldInfo& field, std::string_view text)
{
    const Part part = PartOf(field);
    if (part == Part::None)
        return std::nullopt;
    const std::optional<double> v = Number(text);
    if (!v)
        return std::nullopt;
    switch (part) {
    case Part::Degrees:
        if (*v < 0 || *v >= 360)
            return "обычно градусы от 0 до 359";
        break;
    case Part::Minutes:
        if (*v < 0 || *v >= 60)
            return "обычно минуты от 0 до 59";
        break;
    case Part::Seconds:
        if (*v < 0 || *v >= 60)
            return "обычно секунды от 0 до 60 (не включая 60)";
        break;
    case Part::Base:
        if (*v <= 0)
            return "длина базиса обычно больше 0";
        break;
    case Part::None:
        break;
    }
    return std::nullopt;
}

std::optional<std::string> RangeProblem(std::string_view field, std::string_view text)
{
    const FieldInfo* info = FindField(field);
    return info == nullptr ? std::nullopt : RangeProblem(*info, text);
}

std::vector<InputWarning> InputWarnings(const PageFields& fields)
{
    std::vector<InputWarning> warnings;
    for (const FieldInfo& f : Fields()) {
        if (PartOf(f) == Part::None)
            continue;
        const std::string text = fields.GetText(f.id);
        if (const std::optional<std::string> range = RangeProblem(f, text))
            warnings.push_back({std::string(f.name), std::string(f.caption) + " = " + std::string(TrimBlanks(text)) + ": " + *range});
    }
    const char* names[] = {"АВР", "АСР"};
    for (int i = 0; i < 2; ++i) {
        const std::optional<double> sum = BetaSum(fields, kVariants[i]);
        if (sum && *sum >= 180)
            warnings.push_back({std::string(Field(kVariants[i].b2g).name), "β1 + β2 = " + FormatDmsTenths(*sum) + ", вариант " + names[i] +
                                                      ": обычно меньше 180°, иначе базисный треугольник не построить"});
    }
    return warnings;
}

} // namespace snesenie
