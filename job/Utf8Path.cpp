#include "Utf8Path.h"

#include "Utf8.h"

#include <type_traits>

namespace snesenie::job {

namespace {

// Both branches are templates, so that only the one for this system's path
// is compiled: char on POSIX, wchar_t (UTF-16) on Windows.
template <typename Native>
std::basic_string<Native> NativeFromUtf8(std::string_view text)
{
    if constexpr (std::is_same_v<Native, char>) {
        return std::string(text);
    } else {
        static_assert(sizeof(Native) == sizeof(char16_t), "a wide path is UTF-16");
        const std::u16string wide = Utf8ToUtf16(text);
        return std::basic_string<Native>(wide.begin(), wide.end());
    }
}

template <typename Native>
std::string Utf8FromNative(const std::basic_string<Native>& name)
{
    if constexpr (std::is_same_v<Native, char>)
        return name;
    else
        return Utf16ToUtf8(std::u16string(name.begin(), name.end()));
}

} // namespace

std::filesystem::path PathFromUtf8(std::string_view text)
{
    return std::filesystem::path(NativeFromUtf8<std::filesystem::path::value_type>(text));
}

std::string PathToUtf8(const std::filesystem::path& path) { return Utf8FromNative(path.native()); }

} // namespace snesenie::job
