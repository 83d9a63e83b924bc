#include "FieldTable.h"

#include <array>

namespace snesenie {
namespace {

constexpr FieldKind In = FieldKind::Input;
constexpr FieldKind Out = FieldKind::Output;
using R = FieldRole;
using V = Variant;
using F = FieldForm;

constexpr std::array kFields = std::to_array<FieldInfo>({
    // Page 1: coordinates of C, B, A, then the two inverse problems.
    {FieldId::EXc, "EXc", 1, In, R::Input, V::Common, F::Number, "3700,05", "Xc"},
    {FieldId::EYc, "EYc", 1, In, R::Input, V::Common, F::Number, "13936,62", "Yc"},
    {FieldId::EXb, "EXb", 1, In, R::Input, V::Common, F::Number, "7049,74", "Xb"},
    {FieldId::EYb, "EYb", 1, In, R::Input, V::Common, F::Number, "17577,28", "Yb"},
    {FieldId::EXa, "EXa", 1, In, R::Input, V::Common, F::Number, "6327,46", "Xa"},
    {FieldId::EYa, "EYa", 1, In, R::Input, V::Common, F::Number, "12351,48", "Ya"},
    {FieldId::EXbXa, "EXbXa", 1, Out, R::Result, V::Common, F::Number, "", "Xb - Xa"},
    {FieldId::EYbYa, "EYbYa", 1, Out, R::Result, V::Common, F::Number, "", "Yb - Ya"},
    {FieldId::EtgAB, "EtgAB", 1, Out, R::Result, V::Common, F::Number, "", "tg(AB)"},
    {FieldId::EAB, "EAB", 1, Out, R::Carried, V::Common, F::Angle, "", "(AB)"},
    {FieldId::EcosAB, "EcosAB", 1, Out, R::Result, V::Common, F::Number, "", "cos(AB)"},
    {FieldId::EsinAB, "EsinAB", 1, Out, R::Result, V::Common, F::Number, "", "sin(AB)"},
    {FieldId::ES1, "ES1", 1, Out, R::Carried, V::Common, F::Number, "", "AB = S"},
    {FieldId::ES2, "ES2", 1, Out, R::Carried, V::Common, F::Number, "", "AB = S`"},
    {FieldId::EXcXa, "EXcXa", 1, Out, R::Result, V::Common, F::Number, "", "Xc - Xa"},
    {FieldId::EYcYa, "EYcYa", 1, Out, R::Result, V::Common, F::Number, "", "Yc - Ya"},
    {FieldId::EtgAC, "EtgAC", 1, Out, R::Result, V::Common, F::Number, "", "tg(AC)"},
    {FieldId::EAC, "EAC", 1, Out, R::Carried, V::Common, F::Angle, "", "(AC)"},
    {FieldId::EcosAC, "EcosAC", 1, Out, R::Result, V::Common, F::Number, "", "cos(AC)"},
    {FieldId::EsinAC, "EsinAC", 1, Out, R::Result, V::Common, F::Number, "", "sin(AC)"},
    {FieldId::ES11, "ES11", 1, Out, R::Carried, V::Common, F::Number, "", "AC = S"},
    {FieldId::ES22, "ES22", 1, Out, R::Carried, V::Common, F::Number, "", "AC = S`"},

    // Page 2, row by row: variant АВР on the left of each pair, АСР on the right.
    {FieldId::Ebb1g, "Ebb1g", 2, In, R::Input, V::B, F::Number, "45", "β1, градусы, вариант АВР"},
    {FieldId::Ebb1m, "Ebb1m", 2, In, R::Input, V::B, F::Number, "22", "β1, минуты, вариант АВР"},
    {FieldId::Ebb1s, "Ebb1s", 2, In, R::Input, V::B, F::Number, "45,1", "β1, секунды, вариант АВР"},
    {FieldId::Ebb11g, "Ebb11g", 2, In, R::Input, V::C, F::Number, "63", "β1, градусы, вариант АСР"},
    {FieldId::Ebb11m, "Ebb11m", 2, In, R::Input, V::C, F::Number, "52", "β1, минуты, вариант АСР"},
    {FieldId::Ebb11s, "Ebb11s", 2, In, R::Input, V::C, F::Number, "54,7", "β1, секунды, вариант АСР"},
    {FieldId::Ebb2g, "Ebb2g", 2, In, R::Input, V::B, F::Number, "94", "β2, градусы, вариант АВР"},
    {FieldId::Ebb2m, "Ebb2m", 2, In, R::Input, V::B, F::Number, "30", "β2, минуты, вариант АВР"},
    {FieldId::Ebb2s, "Ebb2s", 2, In, R::Input, V::B, F::Number, "54,6", "β2, секунды, вариант АВР"},
    {FieldId::Ebb22g, "Ebb22g", 2, In, R::Input, V::C, F::Number, "89", "β2, градусы, вариант АСР"},
    {FieldId::Ebb22m, "Ebb22m", 2, In, R::Input, V::C, F::Number, "29", "β2, минуты, вариант АСР"},
    {FieldId::Ebb22s, "Ebb22s", 2, In, R::Input, V::C, F::Number, "37,2", "β2, секунды, вариант АСР"},
    {FieldId::Ey1, "Ey1", 2, Out, R::Result, V::B, F::Angle, "", "γ, вариант АВР"},
    {FieldId::Ey2, "Ey2", 2, Out, R::Result, V::C, F::Angle, "", "γ, вариант АСР"},
    {FieldId::Eb1, "Eb1", 2, In, R::Input, V::B, F::Number, "60,76", "b, вариант АВР"},
    {FieldId::Eb2, "Eb2", 2, In, R::Input, V::C, F::Number, "42,14", "b, вариант АСР"},
    {FieldId::Esinbb2, "Esinbb2", 2, Out, R::Result, V::B, F::Number, "", "sin β2, вариант АВР"},
    {FieldId::Esinbb22, "Esinbb22", 2, Out, R::Result, V::C, F::Number, "", "sin β2, вариант АСР"},
    {FieldId::Esiny1, "Esiny1", 2, Out, R::Result, V::B, F::Number, "", "sin γ, вариант АВР"},
    {FieldId::Esiny2, "Esiny2", 2, Out, R::Result, V::C, F::Number, "", "sin γ, вариант АСР"},
    {FieldId::Edd1, "Edd1", 2, Out, R::Carried, V::B, F::Number, "", "d, вариант АВР"},
    {FieldId::Edd2, "Edd2", 2, Out, R::Carried, V::C, F::Number, "", "d, вариант АСР"},
    {FieldId::Edd1g, "Edd1g", 2, In, R::Input, V::B, F::Number, "71", "δ, градусы, вариант АВР"},
    {FieldId::Edd1m, "Edd1m", 2, In, R::Input, V::B, F::Number, "12", "δ, минуты, вариант АВР"},
    {FieldId::Edd1s, "Edd1s", 2, In, R::Input, V::B, F::Number, "42,3", "δ, секунды, вариант АВР"},
    {FieldId::Edd2g, "Edd2g", 2, In, R::Input, V::C, F::Number, "137", "δ, градусы, вариант АСР"},
    {FieldId::Edd2m, "Edd2m", 2, In, R::Input, V::C, F::Number, "45", "δ, минуты, вариант АСР"},
    {FieldId::Edd2s, "Edd2s", 2, In, R::Input, V::C, F::Number, "52,8", "δ, секунды, вариант АСР"},
    {FieldId::Esind1, "Esind1", 2, Out, R::Result, V::B, F::Number, "", "sin δ, вариант АВР"},
    {FieldId::Esind2, "Esind2", 2, Out, R::Result, V::C, F::Number, "", "sin δ, вариант АСР"},
    {FieldId::Esinw1, "Esinw1", 2, Out, R::Result, V::B, F::Number, "", "sin ψ, вариант АВР"},
    {FieldId::Esinw2, "Esinw2", 2, Out, R::Result, V::C, F::Number, "", "sin ψ, вариант АСР"},
    {FieldId::Ew1, "Ew1", 2, Out, R::Result, V::B, F::Angle, "", "ψ, вариант АВР"},
    {FieldId::Ew2, "Ew2", 2, Out, R::Result, V::C, F::Angle, "", "ψ, вариант АСР"},
    {FieldId::Edw1, "Edw1", 2, Out, R::Result, V::B, F::Angle, "", "δ+ψ, вариант АВР"},
    {FieldId::Edw2, "Edw2", 2, Out, R::Result, V::C, F::Angle, "", "δ+ψ, вариант АСР"},
    {FieldId::Eu1, "Eu1", 2, Out, R::Result, V::B, F::Angle, "", "φ, вариант АВР"},
    {FieldId::Eu2, "Eu2", 2, Out, R::Result, V::C, F::Angle, "", "φ, вариант АСР"},
    {FieldId::EAP1, "EAP1", 2, Out, R::Carried, V::B, F::Angle, "", "(AP), вариант АВР"},
    {FieldId::EAP2, "EAP2", 2, Out, R::Carried, V::C, F::Angle, "", "(AP), вариант АСР"},
    {FieldId::d, "d", 2, Out, R::Result, V::Common, F::Number, "", "Среднее d"},

    // Page 3: increments and coordinates of P by variant, then the means.
    {FieldId::EcosAP1, "EcosAP1", 3, Out, R::Result, V::B, F::Number, "", "cos(AP), вариант АВР"},
    {FieldId::EcosAP2, "EcosAP2", 3, Out, R::Result, V::C, F::Number, "", "cos(AP), вариант АСР"},
    {FieldId::EsinAP1, "EsinAP1", 3, Out, R::Result, V::B, F::Number, "", "sin(AP), вариант АВР"},
    {FieldId::EsinAP2, "EsinAP2", 3, Out, R::Result, V::C, F::Number, "", "sin(AP), вариант АСР"},
    {FieldId::EdXap1, "EdXap1", 3, Out, R::Result, V::B, F::Number, "", "ΔXap, вариант АВР"},
    {FieldId::EdXap2, "EdXap2", 3, Out, R::Result, V::C, F::Number, "", "ΔXap, вариант АСР"},
    {FieldId::EdYap1, "EdYap1", 3, Out, R::Result, V::B, F::Number, "", "ΔYap, вариант АВР"},
    {FieldId::EdYap2, "EdYap2", 3, Out, R::Result, V::C, F::Number, "", "ΔYap, вариант АСР"},
    {FieldId::EXp1, "EXp1", 3, Out, R::Result, V::B, F::Number, "", "Xp, вариант АВР"},
    {FieldId::EXp2, "EXp2", 3, Out, R::Result, V::C, F::Number, "", "Xp, вариант АСР"},
    {FieldId::EYp1, "EYp1", 3, Out, R::Result, V::B, F::Number, "", "Yp, вариант АВР"},
    {FieldId::EYp2, "EYp2", 3, Out, R::Result, V::C, F::Number, "", "Yp, вариант АСР"},
    {FieldId::Xp, "Xp", 3, Out, R::Final, V::Common, F::Number, "", "Среднее Xp"},
    {FieldId::Yp, "Yp", 3, Out, R::Final, V::Common, F::Number, "", "Среднее Yp"},
});

static_assert(kFields.size() == kFieldCount);

// Each row stands at the index of its id, so that Field(id) is a lookup.
constexpr bool RowsInIdOrder()
{
    for (std::size_t i = 0; i < kFields.size(); ++i)
        if (static_cast<std::size_t>(kFields[i].id) != i)
            return false;
    return true;
}
static_assert(RowsInIdOrder());

} // namespace

std::span<const FieldInfo> Fields() { return kFields; }

const FieldInfo& Field(FieldId id) { return kFields[static_cast<std::size_t>(id)]; }

std::string_view Quantity(const FieldInfo& field)
{
    const std::size_t comma = field.caption.find(", вариант ");
    return field.variant == Variant::Common ? field.caption : field.caption.substr(0, comma);
}

std::vector<std::pair<FieldId, FieldId>> VariantPairs(int page)
{
    std::vector<std::pair<FieldId, FieldId>> pairs;
    for (const FieldInfo& b : kFields) {
        if (b.page != page || b.role == FieldRole::Input || b.variant != Variant::B)
            continue;
        for (const FieldInfo& c : kFields)
            if (c.page == page && c.variant == Variant::C && c.role == b.role && Quantity(c) == Quantity(b))
                pairs.emplace_back(b.id, c.id);
    }
    return pairs;
}

const FieldInfo* FindField(std::string_view name)
{
    for (const FieldInfo& f : kFields)
        if (f.name == name)
            return &f;
    return nullptr;
}

std::string_view PageTitle(int page)
{
    // The third title keeps the double space of the hand sheet it copies.
    static constexpr std::string_view kTitles[] = {"Вычисление (АВ), АВ=S.", "Вычисление АР=d, (AP).",
                                                   "Вычисление  Xp,Yp"};
    return page >= 1 && page <= 3 ? kTitles[page - 1] : std::string_view();
}

} // namespace snesenie
