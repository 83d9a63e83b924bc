#include "Rigorous.h"

#include "Errors.h"
#include "Numbers.h"


namespace snesenie {
namespace {

// Everything here stays in the extended format from the measurements to P:
// the control wants the point the measurements give, not another sheet, so
// nothing is cut to the printed decimals on the way.

RigorousVariant SolveVariant(const GivenPoints& g, double xFar, double yFar, const Measurements& m, int v)
{
    RigorousVariant out;
    try {
        const Ext gamma = Ext(180) - (Ext(m.beta1[v]) + m.beta2[v]);
        if (!(Ext(0) < gamma && gamma < Ext(180))) {
            out.impossible = "γ = " + FormatDmsTenths(gamma) + ": базисный треугольник не замыкается";
            return out;
        }
        const Ext d = SinDeg(m.beta2[v]) * m.base[v] / SinDeg(gamma);

        const Ext dX = Ext(xFar) - g.xa;
        const Ext dY = Ext(yFar) - g.ya;
        const Ext s = Sqrt(dX * dX + dY * dY);
        const double dir = DirectionAngle(dX, dY);

        // The sine theorem in the triangle A, far point, P: sin ψ / d = sin δ / S.
        const Ext q = SinDeg(m.delta[v]) * d / s;
        if (Ext(1) < q || q < Ext(-1)) {
            out.impossible = "d·sin δ/S = " + FormatNumber(Ext(Round(q * 10000)) / 10000) +
                             (q < Ext(-1) ? " по модулю больше 1" : " больше 1") + ": такого треугольника нет";
            return out;
        }
        const Ext psi = AsinDeg(q);
        const Ext phi = Ext(180) - (Ext(m.delta[v]) + psi);
        const Ext dirAP = Ext(dir) + phi;

        out.d = Hold(d);
        out.psi = Hold(psi);
        out.dirAP = Hold(dirAP);
        out.xp = Hold(Ext(g.xa) + d * CosDeg(dirAP));
        out.yp = Hold(Ext(g.ya) + d * SinDeg(dirAP));
    } catch (const CalcError& e) {
        out.impossible = e.what();
    }
    return out;
}

} // namespace

RigorousSolution SolveRigorous(const GivenPoints& given, const Measurements& measured)
{
    RigorousSolution out;
    out.variant[0] = SolveVariant(given, given.xb, given.yb, measured, 0);
    out.variant[1] = SolveVariant(given, given.xc, given.yc, measured, 1);
    if (out.variant[0].impossible || out.variant[1].impossible)
        return out;
    try {
        out.xp = Hold((Ext(out.variant[0].xp) + out.variant[1].xp) / 2);
        out.yp = Hold((Ext(out.variant[0].yp) + out.variant[1].yp) / 2);
        out.possible = true;
    } catch (const CalcError&) {
        out.possible = false;
    }
    return out;
}

} // namespace snesenie
