#pragma once

// Settings given for one run on a command line, "KEY=ЧИСЛО;KEY=ЧИСЛО": the
// tolerances and the precision of the measurements are read by the same rule,
// each against its own table of fields.

#include "Errors.h"

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace snesenie {

/// Reads list into out, each pair by its key in fields and its number by
/// readOne; a key given again replaces its earlier value. Returns the Russian
/// message of the first item that is wrong, naming the list as option does
/// ("--tolerances"); out is not touched then.
template <class Field>
std::optional<std::string> ReadKeyValueList(const std::string& list, const std::string& option,
                                            std::span<const Field> fields,
                                            std::optional<std::string> (*readOne)(const Field&, const std::string&,
                                                                                  double&),
                                            std::vector<std::pair<const Field*, double>>& out)
{
    // The pairs are parted by semicolons: a comma is the decimal one.
    std::vector<std::pair<const Field*, double>> read = out;
    std::size_t start = 0;
    while (start <= list.size()) {
        std::size_t end = list.find(';', start);
        if (end == std::string::npos)
            end = list.size();
        const std::string item = list.substr(start, end - start);
        start = end + 1;
        const std::size_t eq = item.find('=');
        const Field* field = nullptr;
        for (const Field& f : fields)
            if (eq != std::string::npos && item.compare(0, eq, f.key) == 0)
                field = &f;
        if (field == nullptr) {
            std::string keys;
            for (const Field& f : fields)
                keys.append(keys.empty() ? "" : ", ").append(f.key);
            return "В " + option + " ожидается КЛЮЧ=ЧИСЛО через «;», а не " + QuoteText(item) + " (ключи: " + keys +
                   ").";
        }
        double value = 0;
        if (std::optional<std::string> wrong = readOne(*field, item.substr(eq + 1), value))
            return option + ": " + *wrong;
        std::erase_if(read, [field](const auto& t) { return t.first == field; });
        read.emplace_back(field, value);
    }
    out = std::move(read);
    return std::nullopt;
}

} // namespace snesenie
