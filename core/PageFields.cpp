#include "PageFields.h"

#include <stdexcept>

namespace snesenie {
namespace {

FieldId IdOf(std::string_view name)
{
    const FieldInfo* info = FindField(name);
    if (info == nullptr)
        throw std::out_of_range("no field " + std::string(name));
    return info->id;
}

// The texts a sheet starts with, made once: a batch starts a sheet for every
// station.
const std::array<std::string, kFieldCount>& StartingTexts()
{
    static const std::array<std::string, kFieldCount> texts = [] {
        std::array<std::string, kFieldCount> t;
        for (const FieldInfo& f : Fields())
            t[static_cast<std::size_t>(f.id)] = std::string(f.example);
        return t;
    }();
    return texts;
}

} // namespace

std::string PageFields::GetText(std::string_view name) const { return GetText(IdOf(name)); }

void PageFields::SetText(std::string_view name, const std::string& text) { SetText(IdOf(name), text); }

MemoryFields::MemoryFields()
    : texts_(StartingTexts())
{
}

std::string MemoryFields::GetText(FieldId id) const { return texts_[static_cast<std::size_t>(id)]; }

void MemoryFields::SetText(FieldId id, const std::string& text) { texts_[static_cast<std::size_t>(id)] = text; }

} // namespace snesenie
