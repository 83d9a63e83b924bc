#include "PageFields.h"

#include "FieldTable.h"

#include <stdexcept>

namespace snesenie {

MemoryFields::MemoryFields()
{
    for (const FieldInfo& f : Fields())
        texts_.emplace(std::string(f.name), std::string(f.example));
}

std::string MemoryFields::GetText(const std::string& name) const
{
    return texts_.at(name);
}

void MemoryFields::SetText(const std::string& name, const std::string& text)
{
    auto it = texts_.find(name);
    if (it == texts_.end())
        throw std::out_of_range("no field " + name);
    it->second = text;
}

} // namespace snesenie
