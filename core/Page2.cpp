#include "Numbers.h"
#include "PageIo.h"
#include "Pages.h"

#include <string>
#include <string_view>

namespace snesenie {
namespace {

// What a surveyor would call the cause of a failed step, when the data show
// one: a base triangle without an apex, or a far point on top of A.
std::string StepCause(FieldId at, double gamma1, double gamma2, const CalcState& st)
{
    using enum FieldId;
    const bool first = at == Edd1 || at == Esinw1 || at == Ew1;
    if ((at == Edd1 || at == Edd2) && (first ? gamma1 : gamma2) == 0)
        return "γ = 0 (β1 + β2 = 180°): базисный треугольник не построить. Проверьте углы β1 и β2.";
    if ((at == Esinw1 || at == Ew1 || at == Esinw2 || at == Ew2) && (first ? st.DistAB : st.DistAC) == 0)
        return first ? "расстояние AB равно нулю: пункт B ближе 1 см к пункту A. Проверьте координаты B."
                     : "расстояние AC равно нулю: пункт C ближе 1 см к пункту A. Проверьте координаты C.";
    return {};
}

} // namespace

// One straight run, in the order of the paper sheet: the two variants are
// interleaved step by step, so a failure leaves exactly the fields of the
// steps before it written.
std::optional<Refusal> ComputePage2(PageFields& f, CalcState& st)
{
    if (!st.Page1Done)
        return Refusal{kPage2Refusal};
    // Page 3 must not run on the (AP) of an earlier run if this one fails.
    st.Page2Done = false;

    // All twenty inputs are read before anything is written, so a bad one
    // changes no output field.
    const double b1g = ReadHeld(f, FieldId::Ebb1g),
                 b1m = ReadHeld(f, FieldId::Ebb1m), b1s = ReadHeld(f, FieldId::Ebb1s);
    const double b2g = ReadHeld(f, FieldId::Ebb2g),
                 b2m = ReadHeld(f, FieldId::Ebb2m), b2s = ReadHeld(f, FieldId::Ebb2s);
    const double c1g = ReadHeld(f, FieldId::Ebb11g),
                 c1m = ReadHeld(f, FieldId::Ebb11m), c1s = ReadHeld(f, FieldId::Ebb11s);
    const double c2g = ReadHeld(f, FieldId::Ebb22g),
                 c2m = ReadHeld(f, FieldId::Ebb22m), c2s = ReadHeld(f, FieldId::Ebb22s);
    const double d1g = ReadHeld(f, FieldId::Edd1g),
                 d1m = ReadHeld(f, FieldId::Edd1m), d1s = ReadHeld(f, FieldId::Edd1s);
    const double d2g = ReadHeld(f, FieldId::Edd2g),
                 d2m = ReadHeld(f, FieldId::Edd2m), d2s = ReadHeld(f, FieldId::Edd2s);
    const double base1 = ReadHeld(f, FieldId::Eb1);
    const double base2 = ReadHeld(f, FieldId::Eb2);

    // The quantity being computed, for the message when a step fails.
    FieldId at = FieldId::Ey1;
    double gamma1 = 0, gamma2 = 0;
    try {
        // β1, β2 of the base through B; β1′, β2′ of the base through C; δ at P.
        const double beta1 = DmsToDegrees(b1g, b1m, b1s);
        const double beta2 = DmsToDegrees(b2g, b2m, b2s);
        const double beta1c = DmsToDegrees(c1g, c1m, c1s);
        const double beta2c = DmsToDegrees(c2g, c2m, c2s);
        const double delta1 = DmsToDegrees(d1g, d1m, d1s);
        const double delta2 = DmsToDegrees(d2g, d2m, d2s);

        gamma1 = Hold(Ext(180) - (Ext(beta1) + beta2));
        Write(f, FieldId::Ey1, FormatDmsTenths(gamma1));
        at = FieldId::Ey2;
        gamma2 = Hold(Ext(180) - (Ext(beta1c) + beta2c));
        Write(f, FieldId::Ey2, FormatDmsTenths(gamma2));

        at = FieldId::Esinbb2;
        Write(f, FieldId::Esinbb2, FormatNumber(TruncTo(SinDeg(beta2), 100000)));
        at = FieldId::Esinbb22;
        Write(f, FieldId::Esinbb22, FormatNumber(TruncTo(SinDeg(beta2c), 100000)));
        at = FieldId::Esiny1;
        Write(f, FieldId::Esiny1, FormatNumber(TruncTo(SinDeg(gamma1), 100000)));
        at = FieldId::Esiny2;
        Write(f, FieldId::Esiny2, FormatNumber(TruncTo(SinDeg(gamma2), 100000)));

        // Sine theorem in the base triangle, the product sin β2·b kept extended.
        at = FieldId::Edd1;
        st.D1 = Hold(TruncTo(SinDeg(beta2) * base1 / SinDeg(gamma1), 100));
        at = FieldId::Edd2;
        st.D2 = Hold(TruncTo(SinDeg(beta2c) * base2 / SinDeg(gamma2), 100));
        Write(f, FieldId::Edd1, FormatNumber(st.D1));
        Write(f, FieldId::Edd2, FormatNumber(st.D2));

        // Scaled before halving, in extended: two distances of 94,02 give 94,019
        // because the doubles nearest 94,02 lie just below it. Printed, not kept.
        at = FieldId::d;
        Write(f, FieldId::d, FormatNumber(Ext(Trunc((Ext(st.D1) + st.D2) * 1000 / 2)) / 1000));

        at = FieldId::Esind1;
        Write(f, FieldId::Esind1, FormatNumber(TruncTo(SinDeg(delta1), 100000)));
        at = FieldId::Esind2;
        Write(f, FieldId::Esind2, FormatNumber(TruncTo(SinDeg(delta2), 100000)));
        at = FieldId::Esinw1;
        Write(f, FieldId::Esinw1, FormatNumber(TruncTo(SinDeg(delta1) * st.D1 / st.DistAB, 100000)));
        at = FieldId::Esinw2;
        Write(f, FieldId::Esinw2, FormatNumber(TruncTo(SinDeg(delta2) * st.D2 / st.DistAC, 100000)));

        // ψ is small, and the sheet takes it as the arctangent of its sine.
        at = FieldId::Ew1;
        const double psi1 = Hold(AtanDeg(SinDeg(delta1) * st.D1 / st.DistAB));
        Write(f, FieldId::Ew1, FormatDmsTenths(psi1));
        at = FieldId::Ew2;
        const double psi2 = Hold(AtanDeg(SinDeg(delta2) * st.D2 / st.DistAC));
        Write(f, FieldId::Ew2, FormatDmsTenths(psi2));

        at = FieldId::Edw1;
        const double sigma1 = Hold(Ext(psi1) + delta1);
        at = FieldId::Edw2;
        const double sigma2 = Hold(Ext(psi2) + delta2);
        at = FieldId::Edw1;
        Write(f, FieldId::Edw1, FormatDmsTenths(sigma1));
        at = FieldId::Edw2;
        Write(f, FieldId::Edw2, FormatDmsTenths(sigma2));

        at = FieldId::Eu1;
        const double phi1 = Hold(Ext(180) - sigma1);
        at = FieldId::Eu2;
        const double phi2 = Hold(Ext(180) - sigma2);
        at = FieldId::Eu1;
        Write(f, FieldId::Eu1, FormatDmsTenths(phi1));
        at = FieldId::Eu2;
        Write(f, FieldId::Eu2, FormatDmsTenths(phi2));

        at = FieldId::EAP1;
        st.DirAP1 = Hold(Ext(st.DirAB) + phi1);
        Write(f, FieldId::EAP1, FormatDmsTenths(st.DirAP1));
        at = FieldId::EAP2;
        st.DirAP2 = Hold(Ext(st.DirAC) + phi2);
        Write(f, FieldId::EAP2, FormatDmsTenths(st.DirAP2));
    } catch (const ArithmeticError& e) {
        if (e.Located())
            throw;
        throw ArithmeticError::InStep(e.Fault(), Name(at), StepCause(at, gamma1, gamma2, st));
    }

    st.Page2Done = true;
    return std::nullopt;
}

} // namespace snesenie
