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

} // namespace

std::span<const LabelInfo> Labels() { return kLabels; }
std::span<const BevelInfo> Bevels() { return kBevels; }
std::span<const ButtonInfo> Buttons() { return kButtons; }

} // namespace sheet
