#include "Numbers.h"
#include "PageIo.h"
#include "Pages.h"

namespace snesenie {
namespace {

// The output fields of one inverse problem, A→B or A→C.
struct DirectionFields {
    const char* dX;
    const char* dY;
    const char* tangent;
    const char* angle;
    const char* cosine;
    const char* sine;
    const char* s;
    const char* sPrime;
};

constexpr DirectionFields kToB{"EXbXa", "EYbYa", "EtgAB", "EAB", "EcosAB", "EsinAB", "ES1", "ES2"};
constexpr DirectionFields kToC{"EXcXa", "EYcYa", "EtgAC", "EAC", "EcosAC", "EsinAC", "ES11", "ES22"};

// Solves A→(x, y), writing each field as soon as it is known. The differences
// are recomputed from the held doubles wherever they are used, so every use
// sees the same extended value and not a double rounded from it.
void SolveDirection(PageFields& f, CalcState& st, double x, double y, const DirectionFields& out,
                    double& dir, double& dist)
{
    const Ext dX = Ext(x) - st.Xa;
    const Ext dY = Ext(y) - st.Ya;
    f.SetText(out.dX, FormatNumber(dX));
    f.SetText(out.dY, FormatNumber(dY));
    // ΔY is scaled before the division, as on the paper sheet.
    f.SetText(out.tangent, FormatNumber(Ext(Trunc(dY * 100000 / dX)) / 100000));
    dir = DirectionAngle(dX, dY);
    f.SetText(out.angle, FormatDms(dir));
    f.SetText(out.cosine, FormatNumber(TruncTo(CosDeg(dir), 100000)));
    f.SetText(out.sine, FormatNumber(TruncTo(SinDeg(dir), 100000)));
    // The distances divide by the full-precision cosine and sine, not by the
    // five printed decimals.
    f.SetText(out.s, FormatNumber(Ext(Trunc(dX * 100 / CosDeg(dir))) / 100));
    f.SetText(out.sPrime, FormatNumber(Ext(Trunc(dY * 100 / SinDeg(dir))) / 100));
    // The mean is of the two distances exactly as printed, read back.
    const double s = ReadHeld(f, out.s);
    const double sPrime = ReadHeld(f, out.sPrime);
    dist = Hold((Ext(s) + sPrime) / 2);
}

} // namespace

void ComputePage1(PageFields& f, CalcState& st)
{
    // A run that stops half-way must not let page 2 or 3 go on from a mix of
    // new and old values, so both are marked undone until this run completes.
    st.Page1Done = false;
    st.Page2Done = false;

    const double xc = ReadHeld(f, "EXc");
    const double yc = ReadHeld(f, "EYc");
    const double xb = ReadHeld(f, "EXb");
    const double yb = ReadHeld(f, "EYb");
    st.Xa = ReadHeld(f, "EXa");
    st.Ya = ReadHeld(f, "EYa");

    SolveDirection(f, st, xb, yb, kToB, st.DirAB, st.DistAB);
    SolveDirection(f, st, xc, yc, kToC, st.DirAC, st.DistAC);
    st.Page1Done = true;
}

} // namespace snesenie
