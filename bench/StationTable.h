#pragma once

// The table of stations both the batch and the bundle benchmarks read.

#include "FieldTable.h"

#include <string>

namespace snesenie::bench {

// The example sheet count times, each station's A and bases moved a little
// so that no two sheets are alike.
inline std::string TableOfStations(int count)
{
    std::string out = "station";
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            out.append(";").append(f.name);
    out += "\r\n";
    for (int i = 0; i < count; ++i) {
        out += "Пункт " + std::to_string(i + 1);
        for (const FieldInfo& f : Fields()) {
            if (f.kind != FieldKind::Input)
                continue;
            std::string text(f.example);
            if (f.name == "EXa" || f.name == "EYa" || f.name == "Eb1")
                text += std::to_string(i % 97);
            out.append(";").append(text);
        }
        out += "\r\n";
    }
    return out;
}

} // namespace snesenie::bench
