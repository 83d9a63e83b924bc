// Tables of stations as bytes: whatever a file holds, reading it either
// gives stations or refuses the file with one clean message, never anything
// in between. Each station read has its 26 input texts, all UTF-8 without a
// zero byte, on lines that only grow; the first stations then run through
// their pages and the results table without a crash, with one row each.

#include "FieldTable.h"
#include "FuzzChecks.h"
#include "Results.h"
#include "RunStation.h"
#include "Stations.h"

#include <cstdint>
#include <string>

using namespace snesenie;
using namespace snesenie::batch;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    StationList list;
    try {
        list = ParseStationTable(content, "fuzz.csv");
    } catch (const BatchError& e) {
        fuzz::CheckMessage(e.what());
        return 0;
    }
    fuzz::Require(!list.stations.empty(), "a table read with no station");
    fuzz::Require(IsSeparator(list.separator), "separator", std::string(1, list.separator));
    fuzz::Require(list.columns.size() == 26, "columns of the inputs");
    int line = 1;
    for (const Station& station : list.stations) {
        fuzz::Require(station.line > line, "stations on lines that grow", station.name);
        line = station.line;
        fuzz::Require(IsValidUtf8(station.name) && station.name.find('\0') == std::string::npos, "station name",
                      station.name);
        const auto texts = station.texts.ToMap();
        fuzz::Require(texts.size() == 26, "26 texts", station.name);
        for (const auto& [name, text] : texts) {
            const FieldInfo* field = FindField(name);
            fuzz::Require(field != nullptr && field->kind == FieldKind::Input, "an input field", name);
            fuzz::Require(IsValidUtf8(text) && text.find('\0') == std::string::npos, "cell text", text);
        }
    }

    ResultsTable table(list, true);
    std::size_t run = 0;
    for (const Station& station : list.stations) {
        if (++run > 3)
            break;
        const StationResult result = RunStation(station, Tolerances{}, Precision{});
        fuzz::Require(result.computed == result.error.empty(), "an error exactly when not computed", result.error);
        if (!result.computed)
            fuzz::CheckMessage(FailureText(station, result, list));
        table.Add(station, result);
    }
    // Rows are told apart by the line ends outside quotes.
    std::size_t rows = 0;
    bool quoted = false;
    for (const char c : table.Text()) {
        if (c == '"')
            quoted = !quoted;
        else if (c == '\n' && !quoted)
            ++rows;
    }
    fuzz::Require(!quoted && rows == 1 + std::min<std::size_t>(run, 3), "one row per station");
    return 0;
}
