#include "FieldTable.h"

#include <array>

namespace snesenie {
namespace {

constexpr FieldKind In = FieldKind::Input;
constexpr FieldKind Out = FieldKind::Output;

// Standard box width; the degree, minute and second boxes of an angle are
// narrower and stand 15 px apart so that the raised marks fit between them.
constexpr int W = 121;
constexpr int Wd = 25, Wm = 25, Ws = 33;
constexpr int Dm = Wd + 15, Ds = Dm + Wm + 15;

constexpr std::array kFields = std::to_array<FieldInfo>({
    // Page 1: coordinates of C, B, A, then the two inverse problems.
    {"EXc", 1, In, "3700,05", "Xc", 200, 40, W},
    {"EYc", 1, In, "13936,62", "Yc", 464, 40, W},
    {"EXb", 1, In, "7049,74", "Xb", 200, 64, W},
    {"EYb", 1, In, "17577,28", "Yb", 464, 64, W},
    {"EXa", 1, In, "6327,46", "Xa", 200, 88, W},
    {"EYa", 1, In, "12351,48", "Ya", 464, 88, W},
    {"EXbXa", 1, Out, "", "Xb - Xa", 200, 144, W},
    {"EYbYa", 1, Out, "", "Yb - Ya", 464, 144, W},
    {"EtgAB", 1, Out, "", "tg(AB)", 200, 200, W},
    {"EAB", 1, Out, "", "(AB)", 464, 200, W},
    {"EcosAB", 1, Out, "", "cos(AB)", 200, 232, W},
    {"EsinAB", 1, Out, "", "sin(AB)", 464, 232, W},
    {"ES1", 1, Out, "", "AB = S", 200, 264, W},
    {"ES2", 1, Out, "", "AB = S`", 464, 264, W},
    {"EXcXa", 1, Out, "", "Xc - Xa", 200, 312, W},
    {"EYcYa", 1, Out, "", "Yc - Ya", 464, 312, W},
    {"EtgAC", 1, Out, "", "tg(AC)", 200, 360, W},
    {"EAC", 1, Out, "", "(AC)", 464, 360, W},
    {"EcosAC", 1, Out, "", "cos(AC)", 200, 392, W},
    {"EsinAC", 1, Out, "", "sin(AC)", 464, 392, W},
    {"ES11", 1, Out, "", "AC = S", 200, 424, W},
    {"ES22", 1, Out, "", "AC = S`", 464, 424, W},

    // Page 2, row by row: variant АВР on the left of each pair, АСР on the right.
    {"Ebb1g", 2, In, "45", "β1, градусы, вариант АВР", 72, 112, Wd},
    {"Ebb1m", 2, In, "22", "β1, минуты, вариант АВР", 72 + Dm, 112, Wm},
    {"Ebb1s", 2, In, "45,1", "β1, секунды, вариант АВР", 72 + Ds, 112, Ws},
    {"Ebb11g", 2, In, "63", "β1, градусы, вариант АСР", 208, 112, Wd},
    {"Ebb11m", 2, In, "52", "β1, минуты, вариант АСР", 208 + Dm, 112, Wm},
    {"Ebb11s", 2, In, "54,7", "β1, секунды, вариант АСР", 208 + Ds, 112, Ws},
    {"Ebb2g", 2, In, "94", "β2, градусы, вариант АВР", 72, 144, Wd},
    {"Ebb2m", 2, In, "30", "β2, минуты, вариант АВР", 72 + Dm, 144, Wm},
    {"Ebb2s", 2, In, "54,6", "β2, секунды, вариант АВР", 72 + Ds, 144, Ws},
    {"Ebb22g", 2, In, "89", "β2, градусы, вариант АСР", 208, 144, Wd},
    {"Ebb22m", 2, In, "29", "β2, минуты, вариант АСР", 208 + Dm, 144, Wm},
    {"Ebb22s", 2, In, "37,2", "β2, секунды, вариант АСР", 208 + Ds, 144, Ws},
    {"Ey1", 2, Out, "", "γ, вариант АВР", 72, 176, W},
    {"Ey2", 2, Out, "", "γ, вариант АСР", 208, 176, W},
    {"Eb1", 2, In, "60,76", "b, вариант АВР", 72, 208, W},
    {"Eb2", 2, In, "42,14", "b, вариант АСР", 208, 208, W},
    {"Esinbb2", 2, Out, "", "sin β2, вариант АВР", 72, 240, W},
    {"Esinbb22", 2, Out, "", "sin β2, вариант АСР", 208, 240, W},
    {"Esiny1", 2, Out, "", "sin γ, вариант АВР", 72, 272, W},
    {"Esiny2", 2, Out, "", "sin γ, вариант АСР", 208, 272, W},
    {"Edd1", 2, Out, "", "d, вариант АВР", 72, 304, W},
    {"Edd2", 2, Out, "", "d, вариант АСР", 208, 304, W},
    {"Edd1g", 2, In, "71", "δ, градусы, вариант АВР", 408, 112, Wd},
    {"Edd1m", 2, In, "12", "δ, минуты, вариант АВР", 408 + Dm, 112, Wm},
    {"Edd1s", 2, In, "42,3", "δ, секунды, вариант АВР", 408 + Ds, 112, Ws},
    {"Edd2g", 2, In, "137", "δ, градусы, вариант АСР", 544, 112, Wd},
    {"Edd2m", 2, In, "45", "δ, минуты, вариант АСР", 544 + Dm, 112, Wm},
    {"Edd2s", 2, In, "52,8", "δ, секунды, вариант АСР", 544 + Ds, 112, Ws},
    {"Esind1", 2, Out, "", "sin δ, вариант АВР", 408, 144, W},
    {"Esind2", 2, Out, "", "sin δ, вариант АСР", 544, 144, W},
    {"Esinw1", 2, Out, "", "sin ψ, вариант АВР", 408, 176, W},
    {"Esinw2", 2, Out, "", "sin ψ, вариант АСР", 544, 176, W},
    {"Ew1", 2, Out, "", "ψ, вариант АВР", 408, 208, W},
    {"Ew2", 2, Out, "", "ψ, вариант АСР", 544, 208, W},
    {"Edw1", 2, Out, "", "δ+ψ, вариант АВР", 408, 240, W},
    {"Edw2", 2, Out, "", "δ+ψ, вариант АСР", 544, 240, W},
    {"Eu1", 2, Out, "", "φ, вариант АВР", 408, 272, W},
    {"Eu2", 2, Out, "", "φ, вариант АСР", 544, 272, W},
    {"EAP1", 2, Out, "", "(AP), вариант АВР", 408, 304, W},
    {"EAP2", 2, Out, "", "(AP), вариант АСР", 544, 304, W},
    {"d", 2, Out, "", "Среднее d", 184, 360, W},

    // Page 3: increments and coordinates of P by variant, then the means.
    {"EcosAP1", 3, Out, "", "cos(AP), вариант АВР", 264, 112, W},
    {"EcosAP2", 3, Out, "", "cos(AP), вариант АСР", 400, 112, W},
    {"EsinAP1", 3, Out, "", "sin(AP), вариант АВР", 264, 144, W},
    {"EsinAP2", 3, Out, "", "sin(AP), вариант АСР", 400, 144, W},
    {"EdXap1", 3, Out, "", "ΔXap, вариант АВР", 264, 184, W},
    {"EdXap2", 3, Out, "", "ΔXap, вариант АСР", 400, 184, W},
    {"EdYap1", 3, Out, "", "ΔYap, вариант АВР", 264, 224, W},
    {"EdYap2", 3, Out, "", "ΔYap, вариант АСР", 400, 224, W},
    {"EXp1", 3, Out, "", "Xp, вариант АВР", 264, 264, W},
    {"EXp2", 3, Out, "", "Xp, вариант АСР", 400, 264, W},
    {"EYp1", 3, Out, "", "Yp, вариант АВР", 264, 304, W},
    {"EYp2", 3, Out, "", "Yp, вариант АСР", 400, 304, W},
    {"Xp", 3, Out, "", "Среднее Xp", 344, 352, W},
    {"Yp", 3, Out, "", "Среднее Yp", 344, 384, W},
});

static_assert(kFields.size() == 77);

} // namespace

std::span<const FieldInfo> Fields() { return kFields; }

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
