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
        const char16_t* quoted;
    };
    const Row rows[] = {
        {"", u"\"\""},
        {"stations.csv", u"\"stations.csv\""},
        {"Мои станции.csv", u"\"Мои станции.csv\""},
        {"C:\\Работа\\пакет.pdf", u"\"C:\\Работа\\пакет.pdf\""},
        {"a\"b", u"\"a\\\"b\""},
        {"a\\\"b", u"\"a\\\\\\\"b\""},
        {"C:\\папка\\", u"\"C:\\папка\\\\\""},
        {"\\\\", u"\"\\\\\\\\\""},
        {"😀", u"\"😀\""},
    };
    for (const Row& row : rows) {
        // UTF-16 code units, whether wchar_t holds 16 bits (Windows) or 32.
        const std::wstring got = CommandLineWord(row.word);
        EXPECT_EQ(std::u16string(got.begin(), got.end()), std::u16string(row.quoted)) << row.word;
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
