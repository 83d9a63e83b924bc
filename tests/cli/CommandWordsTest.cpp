// The rule by which the command line hands words to another program on
// Windows, checked here on every system: a word that comes back changed
// starts the window program on another file.

#include "CommandWords.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using snesenie::cli::CommandLineWord;
using snesenie::cli::OutputLines;

TEST(CommandWords, WindowsWordReadsBackAsGiven)
{
    struct Row {
        const char* word;
        const wchar_t* quoted;
    };
    const Row rows[] = {
        {"", L"\"\""},
        {"stations.csv", L"\"stations.csv\""},
        {"Мои станции.csv", L"\"Мои станции.csv\""},
        {"C:\\Работа\\пакет.pdf", L"\"C:\\Работа\\пакет.pdf\""},
        {"a\"b", L"\"a\\\"b\""},
        {"a\\\"b", L"\"a\\\\\\\"b\""},
        {"C:\\папка\\", L"\"C:\\папка\\\\\""},
        {"\\\\", L"\"\\\\\\\\\""},
        {"😀", L"\"\U0001F600\""},
    };
    for (const Row& row : rows) {
        // wchar_t is UTF-32 here and UTF-16 on Windows: compare code units
        // of the UTF-16 form.
        std::wstring expected;
        for (const wchar_t c : std::wstring(row.quoted)) {
            if (c > 0xFFFF) {
                expected += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
                expected += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                expected += c;
            }
        }
        EXPECT_EQ(CommandLineWord(row.word), expected) << row.word;
    }
}

TEST(CommandWords, OutputPartedIntoLines)
{
    using Lines = std::vector<std::string>;
    EXPECT_EQ(OutputLines(""), Lines{});
    EXPECT_EQ(OutputLines("одна"), Lines{"одна"});
    EXPECT_EQ(OutputLines("a\nb\n"), (Lines{"a", "b"}));
    EXPECT_EQ(OutputLines("a\n\nb"), (Lines{"a", "", "b"}));
    EXPECT_EQ(OutputLines("a\r\nb\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(OutputLines("a\rb\n"), Lines{"a\rb"});
}

} // namespace
