#pragma once

namespace snesenie {

/// The values carried from page to page: one record for the whole run, zeroed
/// at start and never reset. Each value is written the moment it is computed.
struct CalcState {
    double Xa = 0;      ///< X of A as read from EXa
    double Ya = 0;      ///< Y of A as read from EYa
    double DirAB = 0;   ///< direction (AB), decimal degrees
    double DirAC = 0;   ///< direction (AC), decimal degrees
    double DistAB = 0;  ///< mean of the printed S and S′ of AB
    double DistAC = 0;  ///< mean of the printed S and S′ of AC
    double D1 = 0;      ///< A–P through B, cut to centimetres
    double D2 = 0;      ///< A–P through C, cut to centimetres
    double DirAP1 = 0;  ///< (AP) through B, decimal degrees, not reduced to 0–360
    double DirAP2 = 0;  ///< (AP) through C, decimal degrees, not reduced to 0–360
    bool Page1Done = false;  ///< the last page-1 run completed
    bool Page2Done = false;  ///< the last page-2 run completed after it
};

} // namespace snesenie
