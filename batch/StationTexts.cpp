#include "Stations.h"

#include "FieldTable.h"

#include <array>
#include <vector>

namespace snesenie::batch {
namespace {

// The input fields in the order of the field table, which is the order of
// the packed texts.
const std::vector<std::string_view>& InputNames()
{
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> out;
        for (const FieldInfo& f : Fields())
            if (f.kind == FieldKind::Input)
                out.push_back(f.name);
        return out;
    }();
    return names;
}

std::size_t InputIndex(std::string_view field)
{
    const std::vector<std::string_view>& names = InputNames();
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == field)
            return i;
    return names.size();
}

// A length in 7-bit groups, lowest first, the high bit set on all but the
// last: one byte for a text shorter than 128 bytes, as nearly every one is.
void AppendLength(std::string& out, std::size_t length)
{
    while (length >= 0x80) {
        out += static_cast<char>(0x80 | (length & 0x7F));
        length >>= 7;
    }
    out += static_cast<char>(length);
}

std::size_t ReadLength(std::string_view in, std::size_t& at)
{
    std::size_t length = 0;
    for (int shift = 0; at < in.size(); shift += 7) {
        const auto byte = static_cast<unsigned char>(in[at++]);
        length |= static_cast<std::size_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0)
            break;
    }
    return length;
}

// Every text, in the order of the inputs; all empty for an empty packing.
std::vector<std::string_view> Unpack(std::string_view packed)
{
    std::vector<std::string_view> texts(InputNames().size());
    std::size_t at = 0;
    for (std::size_t i = 0; i < texts.size() && at < packed.size(); ++i) {
        const std::size_t length = ReadLength(packed, at);
        texts[i] = packed.substr(at, length);
        at += length;
    }
    return texts;
}

std::string Pack(std::vector<std::string_view> texts)
{
    texts.resize(InputNames().size());
    std::size_t size = 0;
    for (const std::string_view text : texts)
        size += text.size() + 1;
    std::string out;
    out.reserve(size);
    for (const std::string_view text : texts) {
        AppendLength(out, text.size());
        out += text;
    }
    return out;
}

} // namespace

StationTexts::StationTexts(const std::map<std::string, std::string, std::less<>>& texts)
{
    std::vector<std::string_view> ordered(InputNames().size());
    for (std::size_t i = 0; i < ordered.size(); ++i)
        if (const auto text = texts.find(InputNames()[i]); text != texts.end())
            ordered[i] = text->second;
    packed_ = Pack(ordered);
}

StationTexts::StationTexts(const std::vector<std::string_view>& ordered) : packed_(Pack(ordered)) {}

std::string_view StationTexts::Get(std::string_view field) const
{
    const std::size_t index = InputIndex(field);
    std::size_t at = 0;
    for (std::size_t i = 0; i < InputNames().size() && at < packed_.size(); ++i) {
        const std::size_t length = ReadLength(packed_, at);
        if (i == index)
            return std::string_view(packed_).substr(at, length);
        at += length;
    }
    return {};
}

void StationTexts::Set(std::string_view field, std::string_view text)
{
    const std::size_t index = InputIndex(field);
    if (index == InputNames().size())
        return;
    // Packed anew from copies: the new text may be a part of the old packing.
    const std::string old = packed_;
    const std::string copy(text);
    std::vector<std::string_view> texts = Unpack(old);
    texts[index] = copy;
    packed_ = Pack(texts);
}

std::map<std::string, std::string, std::less<>> StationTexts::ToMap() const
{
    std::map<std::string, std::string, std::less<>> out;
    const std::vector<std::string_view> texts = Unpack(packed_);
    for (std::size_t i = 0; i < texts.size(); ++i)
        out.emplace(InputNames()[i], texts[i]);
    return out;
}

} // namespace snesenie::batch
