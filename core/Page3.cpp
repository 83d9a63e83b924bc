#include "Numbers.h"
#include "PageIo.h"
#include "Pages.h"

namespace snesenie {

// The increments and coordinates use the held full-precision cosines and
// sines, not the five printed decimals, and the mean uses the uncut
// coordinates of both variants, not the printed ones.
std::optional<Refusal> ComputePage3(PageFields& f, CalcState& st)
{
    if (!st.Page1Done || !st.Page2Done)
        return Refusal{kPage3Refusal};

    // The quantity being computed, for the message when a step fails.
    FieldId at = FieldId::EcosAP1;
    try {
        at = FieldId::EcosAP1;
        const double c1 = Hold(CosDeg(st.DirAP1));
        at = FieldId::EcosAP2;
        const double c2 = Hold(CosDeg(st.DirAP2));
        at = FieldId::EcosAP1;
        Write(f, FieldId::EcosAP1, FormatNumber(TruncTo(c1, 100000)));
        at = FieldId::EcosAP2;
        Write(f, FieldId::EcosAP2, FormatNumber(TruncTo(c2, 100000)));

        at = FieldId::EsinAP1;
        const double s1 = Hold(SinDeg(st.DirAP1));
        at = FieldId::EsinAP2;
        const double s2 = Hold(SinDeg(st.DirAP2));
        at = FieldId::EsinAP1;
        Write(f, FieldId::EsinAP1, FormatNumber(TruncTo(s1, 100000)));
        at = FieldId::EsinAP2;
        Write(f, FieldId::EsinAP2, FormatNumber(TruncTo(s2, 100000)));

        at = FieldId::EdXap1;
        const double dx1 = Hold(Ext(st.D1) * c1);
        at = FieldId::EdXap2;
        const double dx2 = Hold(Ext(st.D2) * c2);
        at = FieldId::EdXap1;
        Write(f, FieldId::EdXap1, FormatNumber(TruncTo(dx1, 100000)));
        at = FieldId::EdXap2;
        Write(f, FieldId::EdXap2, FormatNumber(TruncTo(dx2, 100000)));

        at = FieldId::EdYap1;
        const double dy1 = Hold(Ext(st.D1) * s1);
        at = FieldId::EdYap2;
        const double dy2 = Hold(Ext(st.D2) * s2);
        at = FieldId::EdYap1;
        Write(f, FieldId::EdYap1, FormatNumber(TruncTo(dy1, 100000)));
        at = FieldId::EdYap2;
        Write(f, FieldId::EdYap2, FormatNumber(TruncTo(dy2, 100000)));

        at = FieldId::EXp1;
        const double x1 = Hold(Ext(st.Xa) + dx1);
        at = FieldId::EXp2;
        const double x2 = Hold(Ext(st.Xa) + dx2);
        at = FieldId::EYp1;
        const double y1 = Hold(Ext(st.Ya) + dy1);
        at = FieldId::EYp2;
        const double y2 = Hold(Ext(st.Ya) + dy2);
        at = FieldId::EXp1;
        Write(f, FieldId::EXp1, FormatNumber(TruncTo(x1, 100)));
        at = FieldId::EXp2;
        Write(f, FieldId::EXp2, FormatNumber(TruncTo(x2, 100)));
        at = FieldId::EYp1;
        Write(f, FieldId::EYp1, FormatNumber(TruncTo(y1, 100)));
        at = FieldId::EYp2;
        Write(f, FieldId::EYp2, FormatNumber(TruncTo(y2, 100)));

        at = FieldId::Xp;
        const double xm = Hold((Ext(x1) + x2) / 2);
        at = FieldId::Yp;
        const double ym = Hold((Ext(y1) + y2) / 2);
        at = FieldId::Xp;
        Write(f, FieldId::Xp, FormatNumber(TruncTo(xm, 100)));
        at = FieldId::Yp;
        Write(f, FieldId::Yp, FormatNumber(TruncTo(ym, 100)));
    } catch (const ArithmeticError& e) {
        if (e.Located())
            throw;
        throw ArithmeticError::InStep(e.Fault(), Name(at), {});
    }
    return std::nullopt;
}

} // namespace snesenie
