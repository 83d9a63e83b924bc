#include "PdfJoin.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>
#include <set>

namespace {

[[noreturn]] void Fail(const std::string& what) { throw PdfJoinError("PDF part cannot be joined: " + what); }

bool IsSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0'; }
bool IsDelimiter(char c) { return IsSpace(c) || std::string_view("()<>[]{}/%").find(c) != std::string_view::npos; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipSpace(std::string_view s, std::size_t i)
{
    while (i < s.size() && IsSpace(s[i]))
        ++i;
    return i;
}

// The unsigned integer at i, or -1; end is set past it.
long long Integer(std::string_view s, std::size_t i, std::size_t& end)
{
    long long value = 0;
    const auto [past, error] = std::from_chars(s.data() + i, s.data() + s.size(), value);
    if (error != std::errc() || value < 0)
        return -1;
    end = std::size_t(past - s.data());
    return value;
}

// "n 0 R" at i: the object number, with end past the R; -1 when there is none.
long long Reference(std::string_view s, std::size_t i, std::size_t& end)
{
    std::size_t at = 0;
    const long long number = Integer(s, i, at);
    if (number < 0 || at >= s.size() || !IsSpace(s[at]))
        return -1;
    at = SkipSpace(s, at);
    std::size_t past = 0;
    if (Integer(s, at, past) != 0 || past >= s.size() || !IsSpace(s[past]))
        return -1;
    past = SkipSpace(s, past);
    if (past >= s.size() || s[past] != 'R' || (past + 1 < s.size() && !IsDelimiter(s[past + 1])))
        return -1;
    end = past + 1;
    return number;
}

// The reference that follows key in dictionary text, or -1.
long long ReferenceAfter(std::string_view s, std::string_view key)
{
    for (std::size_t at = s.find(key); at != std::string_view::npos; at = s.find(key, at + 1)) {
        const std::size_t past = at + key.size();
        if (past < s.size() && !IsDelimiter(s[past]))
            continue;
        std::size_t end = 0;
        return Reference(s, SkipSpace(s, past), end);
    }
    return -1;
}

struct Part {
    std::string_view header;                    // "%PDF-1.4" and its binary comment
    std::map<long long, std::string_view> objects;  // from "n 0 obj" to the next object
    long long root = -1, info = -1, pages = -1;
    std::vector<long long> kids;
};

// Past the literal string that opens at i: its parentheses nest, and a
// backslash escapes the character after it.
std::size_t PastString(std::string_view s, std::size_t i)
{
    int depth = 0;
    for (; i < s.size(); ++i) {
        if (s[i] == '\\')
            ++i;
        else if (s[i] == '(')
            ++depth;
        else if (s[i] == ')' && --depth == 0)
            break;
    }
    return std::min(i + 1, s.size());
}

// The text of an object before its stream, if it has one.
std::string_view Dictionary(std::string_view object)
{
    // Strings are skipped, so that a title holding the word is no stream.
    std::size_t i = 0;
    while (i < object.size()) {
        const char c = object[i];
        if (c == '(') {
            i = PastString(object, i);
        } else if (object.substr(i, 6) == "stream" && (i == 0 || IsDelimiter(object[i - 1])) &&
                   (object.substr(i + 6, 1) == "\n" || object.substr(i + 6, 2) == "\r\n")) {
            return object.substr(0, i);
        } else {
            ++i;
        }
    }
    return object;
}

Part Parse(std::string_view pdf)
{
    Part part;
    const std::size_t startxref = pdf.rfind("startxref");
    if (startxref == std::string_view::npos)
        Fail("no startxref");
    std::size_t end = 0;
    const long long xref = Integer(pdf, SkipSpace(pdf, startxref + 9), end);
    if (xref < 0 || std::size_t(xref) >= pdf.size() || pdf.substr(std::size_t(xref), 4) != "xref")
        Fail("no cross-reference table where startxref points");
    // Subsections "first count", each of count 20-byte entries.
    std::size_t at = SkipSpace(pdf, std::size_t(xref) + 4);
    std::vector<std::pair<long long, long long>> used;  // number, offset
    while (at < pdf.size() && IsDigit(pdf[at])) {
        const long long first = Integer(pdf, at, end);
        const long long count = Integer(pdf, SkipSpace(pdf, end), end);
        if (first < 0 || count < 0)
            Fail("a broken cross-reference subsection");
        at = SkipSpace(pdf, end);
        for (long long n = first; n < first + count; ++n) {
            const long long offset = Integer(pdf, at, end);
            const long long generation = Integer(pdf, SkipSpace(pdf, end), end);
            end = SkipSpace(pdf, end);
            if (offset < 0 || generation < 0 || end >= pdf.size() || (pdf[end] != 'n' && pdf[end] != 'f'))
                Fail("a broken cross-reference entry");
            if (pdf[end] == 'n') {
                if (generation != 0 || offset >= xref)
                    Fail("an object of another generation or past the table");
                used.emplace_back(n, offset);
            }
            at = SkipSpace(pdf, end + 1);
        }
    }
    if (pdf.substr(at, 7) != "trailer")
        Fail("no trailer after the cross-reference table");
    const std::string_view trailer = pdf.substr(at, startxref - at);
    part.root = ReferenceAfter(trailer, "/Root");
    part.info = ReferenceAfter(trailer, "/Info");

    std::sort(used.begin(), used.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    if (used.empty())
        Fail("no objects");
    part.header = pdf.substr(0, std::size_t(used.front().second));
    for (std::size_t i = 0; i < used.size(); ++i) {
        const std::size_t from = std::size_t(used[i].second);
        const std::size_t to = i + 1 < used.size() ? std::size_t(used[i + 1].second) : std::size_t(xref);
        const std::string_view object = pdf.substr(from, to - from);
        const std::string head = std::to_string(used[i].first) + " 0 obj";
        if (!object.starts_with(head) || object.size() == head.size() || !IsDelimiter(object[head.size()]))
            Fail("object " + std::to_string(used[i].first) + " is not where the table says");
        if (!part.objects.emplace(used[i].first, object).second)
            Fail("object " + std::to_string(used[i].first) + " twice");
    }
    const auto object = [&](long long number) {
        const auto found = part.objects.find(number);
        if (found == part.objects.end())
            Fail("a missing object " + std::to_string(number));
        return Dictionary(found->second);
    };
    part.pages = ReferenceAfter(object(part.root), "/Pages");
    const std::string_view pages = object(part.pages);
    const std::size_t kids = pages.find("/Kids");
    const std::size_t open = kids == std::string_view::npos ? kids : pages.find('[', kids);
    const std::size_t close = open == std::string_view::npos ? open : pages.find(']', open);
    if (close == std::string_view::npos)
        Fail("no kids in the tree of pages");
    for (at = SkipSpace(pages, open + 1); at < close; at = SkipSpace(pages, end)) {
        const long long kid = Reference(pages, at, end);
        if (kid < 0 || part.objects.count(kid) == 0)
            Fail("a kid of the tree of pages that is no object");
        part.kids.push_back(kid);
    }
    if (part.info < 0 || part.kids.empty())
        Fail("no document information or no pages");
    return part;
}

// A picture as every part writes it, less the number of the object that
// holds its length: the same for the same pixels. Empty for anything else,
// and for a picture that refers to any other object (a mask).
std::string PictureKey(std::string_view object)
{
    const std::string_view dictionary = Dictionary(object);
    if (dictionary.find("/Subtype /Image") == std::string_view::npos)
        return {};
    const std::size_t length = dictionary.find("/Length");
    std::size_t end = 0;
    if (length == std::string_view::npos ||
        Reference(dictionary, SkipSpace(dictionary, length + 7), end) < 0)
        return {};
    std::string key(dictionary.substr(dictionary.find("obj") + 3));
    key.erase(length - dictionary.find("obj") - 3, end - length);
    if (key.find(" R") != std::string::npos)
        return {};
    return key.append(object.substr(dictionary.size()));
}

// An object again under its new number, every reference in its dictionary
// renumbered by number, and its fonts named with tag (empty: as they are).
// The stream that follows is copied byte for byte: it refers to its
// resources by name, never by number.
template <typename Renumber>
void Write(std::string& out, std::string_view object, long long number, const Renumber& renumber,
           const std::string& tag)
{
    const std::string_view dictionary = Dictionary(object);
    std::size_t i = object.find("obj") + 3;
    out += std::to_string(number) + " 0 obj";
    bool fontName = false;  // the next name is a font's
    while (i < dictionary.size()) {
        const char c = dictionary[i];
        std::size_t end = 0;
        if (c == '(') {
            const std::size_t from = i;
            i = PastString(dictionary, i);
            out.append(dictionary.substr(from, i - from));
        } else if (c == '/') {
            std::size_t past = i + 1;
            while (past < dictionary.size() && !IsDelimiter(dictionary[past]))
                ++past;
            const std::string_view name = dictionary.substr(i + 1, past - i - 1);
            out += '/';
            if (fontName && !tag.empty() && name.find('+') == std::string_view::npos)
                out += tag + '+';
            out.append(name);
            fontName = name == "BaseFont" || name == "FontName";
            i = past;
        } else if (IsDigit(c) && (i == 0 || IsDelimiter(dictionary[i - 1]))) {
            if (const long long reference = Reference(dictionary, i, end); reference >= 0) {
                out += std::to_string(renumber(reference)) + " 0 R";
                i = end;
            } else {
                std::size_t past = i;
                while (past < dictionary.size() && !IsDelimiter(dictionary[past]))
                    ++past;
                out.append(dictionary.substr(i, past - i));
                i = past;
            }
        } else {
            out += c;
            ++i;
        }
    }
    out.append(object.substr(dictionary.size()));
}

} // namespace

std::string JoinPdfs(const std::vector<std::string_view>& pdfs)
{
    if (pdfs.empty())
        Fail("nothing to join");
    std::vector<Part> parts;
    parts.reserve(pdfs.size());
    std::size_t size = 0;
    for (const std::string_view pdf : pdfs) {
        parts.push_back(Parse(pdf));
        size += pdf.size();
    }

    // The first part keeps its numbers; each further one is numbered on
    // after it, less its catalogue, information and tree of pages, whose
    // pages become kids of the first tree.
    // A picture every part holds (the scheme) is kept once, as the first
    // part has it.
    std::vector<std::map<long long, long long>> numbers(parts.size());
    std::vector<std::set<long long>> shared(parts.size());  // pictures left out, kept by an earlier part
    std::map<std::string, long long> pictures;              // by PictureKey
    long long next = parts[0].objects.rbegin()->first + 1;
    for (const auto& [number, object] : parts[0].objects) {
        numbers[0][number] = number;
        if (const std::string key = PictureKey(object); !key.empty())
            pictures.emplace(key, number);
    }
    std::vector<long long> kids = parts[0].kids;
    for (std::size_t k = 1; k < parts.size(); ++k) {
        for (const auto& [number, object] : parts[k].objects) {
            if (number == parts[k].root || number == parts[k].info || number == parts[k].pages)
                continue;
            const std::string key = PictureKey(object);
            if (const auto same = pictures.find(key); !key.empty() && same != pictures.end()) {
                numbers[k][number] = same->second;
                shared[k].insert(number);
                continue;
            }
            numbers[k][number] = next++;
            if (!key.empty())
                pictures.emplace(key, numbers[k][number]);
        }
        numbers[k][parts[k].pages] = parts[0].pages;
        for (const long long kid : parts[k].kids)
            kids.push_back(numbers[k][kid]);
    }

    std::string out;
    out.reserve(size + 64 * kids.size());
    out.append(parts[0].header);
    std::vector<long long> offsets(std::size_t(next), -1);
    for (std::size_t k = 0; k < parts.size(); ++k) {
        // Every part has its own subsets of the same faces: a viewer that
        // knows a font by its name must not take one for the other.
        std::string tag;
        if (parts.size() > 1)
            tag = std::string("SNSP") + char('A' + k / 26 % 26) + char('A' + k % 26);
        const auto renumber = [&](long long number) {
            const auto found = numbers[k].find(number);
            if (found == numbers[k].end())
                Fail("a reference to object " + std::to_string(number) + " that is not there or not its own");
            return found->second;
        };
        for (const auto& [number, object] : parts[k].objects) {
            if (k > 0 && (number == parts[k].root || number == parts[k].info || number == parts[k].pages ||
                          shared[k].count(number) > 0))
                continue;
            const long long renumbered = numbers[k].at(number);
            offsets[std::size_t(renumbered)] = static_cast<long long>(out.size());
            if (k == 0 && number == parts[0].pages) {
                // The tree of pages of the whole: every part's pages in order.
                std::string list = "/Kids [";
                for (const long long kid : kids)
                    list.append("\n").append(std::to_string(kid)).append(" 0 R");
                list += "\n]\n/Count " + std::to_string(kids.size());
                std::string tree(Dictionary(object));
                const std::size_t from = tree.find("/Kids");
                const std::size_t count = tree.find("/Count");
                std::size_t to = count;
                if (count != std::string::npos) {
                    to = SkipSpace(tree, count + 6);
                    while (to < tree.size() && IsDigit(tree[to]))
                        ++to;
                }
                if (from == std::string::npos || count == std::string::npos || count < from)
                    Fail("a tree of pages not as the writer makes it");
                tree.replace(from, to - from, list);
                // Its kids are numbered already, and the first part keeps its numbers.
                Write(out, tree, number, [](long long kid) { return kid; }, tag);
                continue;
            }
            Write(out, object, renumbered, renumber, tag);
        }
    }

    const std::size_t xref = out.size();
    out += "xref\n0 " + std::to_string(next) + "\n";
    for (long long n = 0; n < next; ++n) {
        // Each entry exactly 20 bytes: ten digits of offset, five of generation.
        const long long offset = offsets[std::size_t(n)];
        const std::string digits = std::to_string(offset < 0 ? 0 : offset);
        out.append(10 - digits.size(), '0').append(digits);
        out += offset < 0 ? " 65535 f \n" : " 00000 n \n";
    }
    out += "trailer\n<<\n/Size " + std::to_string(next) + "\n/Info " + std::to_string(parts[0].info) +
           " 0 R\n/Root " + std::to_string(parts[0].root) + " 0 R\n>>\nstartxref\n" + std::to_string(xref) +
           "\n%%EOF\n";
    return out;
}
