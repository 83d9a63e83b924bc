#include "Numbers.h"
#include "PageIo.h"
#include "Pages.h"

#include <optional>
#include <string>

namespace snesenie {
namespace {

// The output fields of one inverse problem, A→B or A→C.
struct DirectionFields {
    FieldId dX;
    FieldId dY;
    FieldId tangent;
    FieldId angle;
    FieldId cosine;
    FieldId sine;
    FieldId s;
    FieldId sPrime;
    const char* point;  // B or C, as a message names it
};

constexpr DirectionFields kToB{FieldId::EXbXa,  FieldId::EYbYa, FieldId::EtgAB, FieldId::EAB, FieldId::EcosAB,
                               FieldId::EsinAB, FieldId::ES1,   FieldId::ES2,   "B"};
constexpr DirectionFields kToC{FieldId::EXcXa,  FieldId::EYcYa, FieldId::EtgAC, FieldId::EAC, FieldId::EcosAC,
                               FieldId::EsinAC, FieldId::ES11,  FieldId::ES22,  "C"};

// A line along a grid axis: ΔX or ΔY exactly zero. Its direction is exact,
// and of S = ΔX/cos and S′ = ΔY/sin the one that would divide by the zero
// cosine or sine is undefined. Extended π is not π, so sin 180° and cos 90°
// come out near 1e-19 rather than 0, and dividing by them would print a
// plausible 0 for the distance.
struct AxisLine {
    Extended cosine;  // exactly 0 or ±1
    Extended sine;
};

std::optional<AxisLine> AlongAxis(Ext dX, Ext dY)
{
    if (dX == Ext(0))
        return dY < Ext(0) ? AxisLine{0, -1} : AxisLine{0, 1};
    if (dY == Ext(0))
        return dX < Ext(0) ? AxisLine{-1, 0} : AxisLine{1, 0};
    return std::nullopt;
}

// Solves A→(x, y), writing each field as soon as it is known. The differences
// are recomputed from the held doubles wherever they are used, so every use
// sees the same extended value and not a double rounded from it.
void SolveDirection(PageFields& f, CalcState& st, double x, double y, const DirectionFields& out,
                    double& dir, double& dist)
{
    FieldId at = out.dX;
    try {
        const Ext dX = Ext(x) - st.Xa;
        Write(f, out.dX, FormatNumber(dX));
        at = out.dY;
        const Ext dY = Ext(y) - st.Ya;
        Write(f, out.dY, FormatNumber(dY));
        if (dX == Ext(0) && dY == Ext(0))
            throw ArithmeticError::InStep(ArithmeticFault::InvalidOperation, Name(out.tangent),
                                          std::string("пункты A и ") + out.point + " совпадают: дирекционный угол (A" + out.point +
                                              ") не определён. Проверьте координаты " + out.point + ".");

        const std::optional<AxisLine> axis = AlongAxis(dX, dY);
        at = out.tangent;
        if (axis && axis->cosine == 0)
            Write(f, out.tangent, kInfinityText);
        else  // ΔY is scaled before the division, as on the paper sheet.
            Write(f, out.tangent, FormatNumber(Ext(Trunc(dY * 100000 / dX)) / 100000));
        at = out.angle;
        dir = DirectionAngle(dX, dY);
        Write(f, out.angle, FormatDms(dir));
        const Ext cosine = axis ? Ext(axis->cosine) : CosDeg(dir);
        const Ext sine = axis ? Ext(axis->sine) : SinDeg(dir);
        at = out.cosine;
        Write(f, out.cosine, FormatNumber(TruncTo(cosine, 100000)));
        at = out.sine;
        Write(f, out.sine, FormatNumber(TruncTo(sine, 100000)));
        // The distances divide by the full-precision cosine and sine, not by
        // the five printed decimals.
        at = out.s;
        Write(f, out.s, cosine == Ext(0) ? kUndefinedText : FormatNumber(Ext(Trunc(dX * 100 / cosine)) / 100));
        at = out.sPrime;
        Write(f, out.sPrime, sine == Ext(0) ? kUndefinedText : FormatNumber(Ext(Trunc(dY * 100 / sine)) / 100));
        // The mean is of the two distances exactly as printed, read back; on
        // an axis only one of them is defined, and it is the distance.
        if (cosine == Ext(0))
            dist = ReadHeld(f, out.sPrime);
        else if (sine == Ext(0))
            dist = ReadHeld(f, out.s);
        else
            dist = Hold((Ext(ReadHeld(f, out.s)) + ReadHeld(f, out.sPrime)) / 2);
    } catch (const ArithmeticError& e) {
        if (e.Located())
            throw;
        throw ArithmeticError::InStep(e.Fault(), Name(at), {});
    }
}

} // namespace

void ComputePage1(PageFields& f, CalcState& st)
{
    // A run that stops half-way must not let page 2 or 3 go on from a mix of
    // new and old values, so both are marked undone until this run completes.
    st.Page1Done = false;
    st.Page2Done = false;

    const double xc = ReadHeld(f, FieldId::EXc);
    const double yc = ReadHeld(f, FieldId::EYc);
    const double xb = ReadHeld(f, FieldId::EXb);
    const double yb = ReadHeld(f, FieldId::EYb);
    st.Xa = ReadHeld(f, FieldId::EXa);
    st.Ya = ReadHeld(f, FieldId::EYa);

    SolveDirection(f, st, xb, yb, kToB, st.DirAB, st.DistAB);
    SolveDirection(f, st, xc, yc, kToC, st.DirAC, st.DistAC);
    st.Page1Done = true;
}

} // namespace snesenie
