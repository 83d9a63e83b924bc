#include "CommandWords.h"

#include "Utf8.h"

namespace snesenie::cli {

std::wstring CommandLineWord(std::string_view utf8)
{
    const std::u16string word = Utf8ToUtf16(utf8);
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const char16_t c : word) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == u'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out += static_cast<wchar_t>(c);
    }
    // Before the closing quote every backslash is doubled, or the quote
    // would be read as part of the word.
    out.append(2 * backslashes, L'\\');
    return out + L"\"";
}

std::vector<std::string> OutputLines(std::string_view text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        // A Windows program's error stream in text mode ends its lines
        // with CR LF; the CR is not part of the message.
        std::size_t last = end;
        if (last > start && text[last - 1] == '\r')
            --last;
        lines.emplace_back(text.substr(start, last - start));
        start = end + 1;
    }
    return lines;
}

} // namespace snesenie::cli
