#include "SheetLayout.h"

#include <array>

namespace sheet {
namespace {

using S = LabelStyle;
constexpr bool R = true;   // text ends at x, beside the box starting there
constexpr bool L = false;  // text starts at x

// Symbol labels stand 8 px left of their box.
constexpr int kGap = 8;

// Raised marks of an angle group starting at x: after the degree, minute and
// second boxes (25, 25 and 33 px wide, 15 px apart).
#define ANGLE_MARKS(page, x, y)                                                                     \
    LabelInfo{page, "o", (x) + 27, (y) - 5, S::Mark, L},                                            \
        LabelInfo{page, "/", (x) + 67, (y) - 5, S::Mark, L},                                        \
        LabelInfo{page, "//", (x) + 115, (y) - 5, S::Mark, L}

constexpr auto kLabels = std::to_array<LabelInfo>({
    // Page 1
    {1, "Введите исходные данные ( они обозначены красным шрифтом), нажмите ОК и переходите к следующей странице.",
     8, 8, S::Heading, L},
    {1, "Xc", 200 - kGap, 40, S::GivenData, R},
    {1, "Yc", 464 - kGap, 40, S::GivenData, R},
    {1, "Xb", 200 - kGap, 64, S::GivenData, R},
    {1, "Yb", 464 - kGap, 64, S::GivenData, R},
    {1, "Xa", 200 - kGap, 88, S::GivenData, R},
    {1, "Ya", 464 - kGap, 88, S::GivenData, R},
    {1, "Xb - Xa", 200 - kGap, 144, S::Symbol, R},
    {1, "Yb - Ya", 464 - kGap, 144, S::Symbol, R},
    {1, "tg(AB)", 200 - kGap, 200, S::Symbol, R},
    {1, "(AB)", 464 - kGap, 200, S::Symbol, R},
    {1, "cos(AB)", 200 - kGap, 232, S::Symbol, R},
    {1, "sin(AB)", 464 - kGap, 232, S::Symbol, R},
    {1, "AB = S", 200 - kGap, 264, S::Symbol, R},
    {1, "AB = S`", 464 - kGap, 264, S::Symbol, R},
    {1, "Xc - Xa", 200 - kGap, 312, S::Symbol, R},
    {1, "Yc - Ya", 464 - kGap, 312, S::Symbol, R},
    {1, "tg(AC)", 200 - kGap, 360, S::Symbol, R},
    {1, "(AC)", 464 - kGap, 360, S::Symbol, R},
    {1, "cos(AC)", 200 - kGap, 392, S::Symbol, R},
    {1, "sin(AC)", 464 - kGap, 392, S::Symbol, R},
    {1, "AC = S", 200 - kGap, 424, S::Symbol, R},
    {1, "AC = S`", 464 - kGap, 424, S::Symbol, R},

    // Page 2: one label per row, left of the variant АВР box; the δ block
    // on the right has its own labels and the two column headings.
    {2, "После того, как посчитана первая страница, можно приступать ко второй.  На ней вам необходимо ввести ",
     8, 8, S::Heading, L},
    {2, "исходные данные, и нажать ОК. Затем можно переходить к третьей странице.", 8, 24, S::Heading, L},
    {2, "Вариант АВР", 432, 80, S::Heading, L},
    {2, "Вариант АСР", 568, 80, S::Heading, L},
    {2, "β1", 72 - kGap, 112, S::GivenData, R},
    {2, "β2", 72 - kGap, 144, S::GivenData, R},
    {2, "γ", 72 - kGap, 176, S::Symbol, R},
    {2, "b", 72 - kGap, 208, S::GivenData, R},
    {2, "sin β2", 72 - kGap, 240, S::Symbol, R},
    {2, "sin γ", 72 - kGap, 272, S::Symbol, R},
    {2, "d", 72 - kGap, 304, S::Symbol, R},
    {2, "δ", 408 - kGap, 112, S::GivenData, R},
    {2, "sin δ", 408 - kGap, 144, S::Symbol, R},
    {2, "sin ψ", 408 - kGap, 176, S::Symbol, R},
    {2, "ψ", 408 - kGap, 208, S::Symbol, R},
    {2, "δ+ψ", 408 - kGap, 240, S::Symbol, R},
    {2, "φ", 408 - kGap, 272, S::Symbol, R},
    {2, "(AP)", 408 - kGap, 304, S::Symbol, R},
    {2, "Среднее   d =", 184 - kGap, 360, S::Symbol, R},
    ANGLE_MARKS(2, 72, 112),
    ANGLE_MARKS(2, 208, 112),
    ANGLE_MARKS(2, 72, 144),
    ANGLE_MARKS(2, 208, 144),
    ANGLE_MARKS(2, 408, 112),
    ANGLE_MARKS(2, 544, 112),

    // Page 3
    {3, "Здесь вам необходимо только нажать кнопку ОК и все!.", 8, 8, S::Heading, L},
    {3, "Вариант АВР", 288, 88, S::Heading, L},
    {3, "Вариант АСР", 416, 88, S::Heading, L},
    {3, "cos(AP)", 264 - kGap, 112, S::Symbol, R},
    {3, "sin(AP)", 264 - kGap, 144, S::Symbol, R},
    {3, "ΔXap", 264 - kGap, 184, S::Symbol, R},
    {3, "ΔYap", 264 - kGap, 224, S::Symbol, R},
    {3, "Xp", 264 - kGap, 264, S::Symbol, R},
    {3, "Yp", 264 - kGap, 304, S::Symbol, R},
    {3, "Среднее  ", 232, 368, S::Symbol, L},
    {3, "Xp", 344 - kGap, 352, S::GivenData, R},
    {3, "Yp", 344 - kGap, 384, S::GivenData, R},
    {3, "Переписывайте окончательный результат", 200, 424, S::Final, L},
});

#undef ANGLE_MARKS

constexpr auto kBevels = std::to_array<BevelInfo>({
    // Page 1's run between the button columns.
    {1, 96, 124, 504},
    {1, 96, 180, 504},
    {1, 96, 296, 504},
    {1, 96, 344, 504},
    {2, 8, 100, 690},
    {2, 8, 340, 690},
    {3, 136, 344, 400},
});

constexpr auto kButtons = std::to_array<ButtonInfo>({
    {"BitBtn1", 1, "OK", 8, 48, 75, ButtonIcon::None},
    {"Button3", 1, "Очистить", 8, 120, 75, ButtonIcon::None},
    {"BitBtn6", 1, "&Рисунок", 8, 200, 75, ButtonIcon::Retry},
    {"BitBtn5", 1, "&Описание", 616, 48, 83, ButtonIcon::Help},
    {"BitBtn2", 1, "Выход", 616, 200, 83, ButtonIcon::Cancel},
    {"BitBtn3", 2, "OK", 136, 400, 75, ButtonIcon::None},
    {"Button4", 2, "Очистить", 320, 400, 75, ButtonIcon::None},
    {"BitBtn4", 2, "EXIT", 496, 400, 75, ButtonIcon::None},
    {"Button1", 3, "OK", 32, 160, 75, ButtonIcon::None},
    {"Button2", 3, "Exit", 592, 160, 75, ButtonIcon::None},
});

// Standard box width; the degree, minute and second boxes of an angle are
// narrower and stand 15 px apart so that the raised marks fit between them.
constexpr int W = 121;
constexpr int Wd = 25, Wm = 25, Ws = 33;
constexpr int Dm = Wd + 15, Ds = Dm + Wm + 15;

using snesenie::FieldId;

constexpr auto kPlaces = std::to_array<FieldPlace>({
    // Page 1: coordinates of C, B, A, then the two inverse problems.
    {FieldId::EXc, 200, 40, W},
    {FieldId::EYc, 464, 40, W},
    {FieldId::EXb, 200, 64, W},
    {FieldId::EYb, 464, 64, W},
    {FieldId::EXa, 200, 88, W},
    {FieldId::EYa, 464, 88, W},
    {FieldId::EXbXa, 200, 144, W},
    {FieldId::EYbYa, 464, 144, W},
    {FieldId::EtgAB, 200, 200, W},
    {FieldId::EAB, 464, 200, W},
    {FieldId::EcosAB, 200, 232, W},
    {FieldId::EsinAB, 464, 232, W},
    {FieldId::ES1, 200, 264, W},
    {FieldId::ES2, 464, 264, W},
    {FieldId::EXcXa, 200, 312, W},
    {FieldId::EYcYa, 464, 312, W},
    {FieldId::EtgAC, 200, 360, W},
    {FieldId::EAC, 464, 360, W},
    {FieldId::EcosAC, 200, 392, W},
    {FieldId::EsinAC, 464, 392, W},
    {FieldId::ES11, 200, 424, W},
    {FieldId::ES22, 464, 424, W},

    // Page 2, row by row: variant АВР on the left of each pair, АСР on the right.
    {FieldId::Ebb1g, 72, 112, Wd},
    {FieldId::Ebb1m, 72 + Dm, 112, Wm},
    {FieldId::Ebb1s, 72 + Ds, 112, Ws},
    {FieldId::Ebb11g, 208, 112, Wd},
    {FieldId::Ebb11m, 208 + Dm, 112, Wm},
    {FieldId::Ebb11s, 208 + Ds, 112, Ws},
    {FieldId::Ebb2g, 72, 144, Wd},
    {FieldId::Ebb2m, 72 + Dm, 144, Wm},
    {FieldId::Ebb2s, 72 + Ds, 144, Ws},
    {FieldId::Ebb22g, 208, 144, Wd},
    {FieldId::Ebb22m, 208 + Dm, 144, Wm},
    {FieldId::Ebb22s, 208 + Ds, 144, Ws},
    {FieldId::Ey1, 72, 176, W},
    {FieldId::Ey2, 208, 176, W},
    {FieldId::Eb1, 72, 208, W},
    {FieldId::Eb2, 208, 208, W},
    {FieldId::Esinbb2, 72, 240, W},
    {FieldId::Esinbb22, 208, 240, W},
    {FieldId::Esiny1, 72, 272, W},
    {FieldId::Esiny2, 208, 272, W},
    {FieldId::Edd1, 72, 304, W},
    {FieldId::Edd2, 208, 304, W},
    {FieldId::Edd1g, 408, 112, Wd},
    {FieldId::Edd1m, 408 + Dm, 112, Wm},
    {FieldId::Edd1s, 408 + Ds, 112, Ws},
    {FieldId::Edd2g, 544, 112, Wd},
    {FieldId::Edd2m, 544 + Dm, 112, Wm},
    {FieldId::Edd2s, 544 + Ds, 112, Ws},
    {FieldId::Esind1, 408, 144, W},
    {FieldId::Esind2, 544, 144, W},
    {FieldId::Esinw1, 408, 176, W},
    {FieldId::Esinw2, 544, 176, W},
    {FieldId::Ew1, 408, 208, W},
    {FieldId::Ew2, 544, 208, W},
    {FieldId::Edw1, 408, 240, W},
    {FieldId::Edw2, 544, 240, W},
    {FieldId::Eu1, 408, 272, W},
    {FieldId::Eu2, 544, 272, W},
    {FieldId::EAP1, 408, 304, W},
    {FieldId::EAP2, 544, 304, W},
    {FieldId::d, 184, 360, W},

    // Page 3: increments and coordinates of P by variant, then the means.
    {FieldId::EcosAP1, 264, 112, W},
    {FieldId::EcosAP2, 400, 112, W},
    {FieldId::EsinAP1, 264, 144, W},
    {FieldId::EsinAP2, 400, 144, W},
    {FieldId::EdXap1, 264, 184, W},
    {FieldId::EdXap2, 400, 184, W},
    {FieldId::EdYap1, 264, 224, W},
    {FieldId::EdYap2, 400, 224, W},
    {FieldId::EXp1, 264, 264, W},
    {FieldId::EXp2, 400, 264, W},
    {FieldId::EYp1, 264, 304, W},
    {FieldId::EYp2, 400, 304, W},
    {FieldId::Xp, 344, 352, W},
    {FieldId::Yp, 344, 384, W},
});

// One place for every field, in the order of the field table.
constexpr bool PlacesInIdOrder()
{
    for (std::size_t i = 0; i < kPlaces.size(); ++i)
        if (static_cast<std::size_t>(kPlaces[i].id) != i)
            return false;
    return kPlaces.size() == snesenie::kFieldCount;
}
static_assert(PlacesInIdOrder());

} // namespace

const FieldPlace& PlaceOf(snesenie::FieldId id) { return kPlaces[static_cast<std::size_t>(id)]; }

std::span<const LabelInfo> Labels() { return kLabels; }
std::span<const BevelInfo> Bevels() { return kBevels; }
std::span<const ButtonInfo> Buttons() { return kButtons; }

} // namespace sheet
