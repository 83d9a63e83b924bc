// What the user reads when something goes wrong: the arithmetic messages, the
// way a pasted text is quoted in any message, and which field is blamed.

#include "CalcState.h"
#include "Errors.h"
#include "Numbers.h"
#include "PageFields.h"
#include "Pages.h"
#include "Utf8.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <functional>
#include <string>
#include <utility>
#include <vector>

using namespace snesenie;

TEST(Errors, ArithmeticMessages)
{
    const struct {
        const char* name;
        std::function<void()> run;
        const char* message;
    } rows[] = {
        {"DivisionByZero", [] { (void)(Ext(5) / 0); }, "Вычисление невозможно (деление на ноль): проверьте исходные данные."},
        {"ZeroByZero", [] { (void)(Ext(0) / 0); }, "Вычисление невозможно (0/0): проверьте исходные данные."},
        {"Overflow", [] { (void)(Ext(LDBL_MAX) * 2); }, "Вычисление невозможно (переполнение): проверьте исходные данные."},
        {"CutBeyondInt64", [] { (void)TruncTo(1e17, 100); }, "Вычисление невозможно (переполнение): проверьте исходные данные."},
    };
    for (const auto& row : rows) {
        try {
            row.run();
            ADD_FAILURE() << row.name << ": no error";
        } catch (const ArithmeticError& e) {
            EXPECT_EQ(std::string(e.what()), row.message) << row.name;
            EXPECT_EQ(e.Field(), "") << row.name;
        }
    }
}

TEST(Errors, QuotedTextIsShortAndVisible)
{
    const std::string forty(40, '7');
    const std::string cyrillic40 = [] {
        std::string s;
        for (int i = 0; i < 40; ++i)
            s += "ж";
        return s;
    }();
    const std::pair<std::string, std::string> rows[] = {
        {"", "«»"},
        {"94,02", "«94,02»"},
        {forty, "«" + forty + "»"},
        {forty + "8", "«" + forty + "…»"},
        // characters, not bytes: a Cyrillic letter is never split
        {cyrillic40 + "ж", "«" + cyrillic40 + "…»"},
        {"\x1B[2J", "«\\u001B[2J»"},
        {"1\xE2\x80\x8B" "2", "«1\\u200B2»"},         // zero-width space
        {"\xE2\x80\xAE" "20,49", "«\\u202E20,49»"},  // right-to-left override
        {"\xC2\x85", "«\\u0085»"},                    // C1 next line
        {"\xEF\xBB\xBF" "5", "«\\uFEFF5»"},          // byte-order mark
        {"\x7F\t\n", "«\\u007F\\u0009\\u000A»"},
        {"\xF3\xA0\x80\x81", "«\\U000E0001»"},        // language tag
        {"5\xFF", "«5\\xFF»"},                        // not UTF-8 at all
        {"\xED\xA0\x80", "«\\xED\\xA0\\x80»"},        // a surrogate, byte by byte
        // an escape is one character of the text
        {std::string(41, '\x1B'), "«" + [] { std::string s; for (int i = 0; i < 40; ++i) s += "\\u001B"; return s; }() + "…»"},
    };
    for (const auto& [text, shown] : rows)
        EXPECT_EQ(QuoteText(text), shown) << shown;
    // Conversion errors quote through it too.
    EXPECT_EQ(std::string(ConversionError(forty + "\x1B").what()), "Не число: «" + forty + "…».");
}

// A path with a line break or U+202E used to reach the terminal raw: a
// forged line, or a message box whose text runs backwards.
TEST(Errors, QuotedPathKeepsBothEndsAndShowsEverything)
{
    const struct {
        const char* name;
        std::string path;
        std::string shown;
    } rows[] = {
        {"plain", "/home/геодезист/пункт 17.snesenie", "«/home/геодезист/пункт 17.snesenie»"},
        {"controls", "a\nb\x1B[2J", "«a\\u000Ab\\u001B[2J»"},
        {"bidi", "/tmp/\u202Efdp.snesenie", "«/tmp/\\u202Efdp.snesenie»"},
        {"isolates", "\u2066\u2069\u061C\u200E\u200F\u2028\u2029\uFEFF\u200B",
         "«\\u2066\\u2069\\u061C\\u200E\\u200F\\u2028\\u2029\\uFEFF\\u200B»"},
        {"notUtf8", "/tmp/\xFF", "«/tmp/\\xFF»"},
        {"exactly80", std::string(80, 'p'), "«" + std::string(80, 'p') + "»"},
        {"long", "/" + std::string(100, 'd') + "/станция.snesenie",
         "«/" + std::string(39, 'd') + "…" + std::string(22, 'd') + "/станция.snesenie»"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(QuotePath(row.path), row.shown) << row.name;
}

TEST(Utf8, OnlyWellFormedTextIsDecoded)
{
    const std::pair<const char*, bool> rows[] = {
        {"3700,05", true}, {"ж", true}, {"€", true}, {"\xF0\x90\x8D\x88", true}, {"\xF4\x8F\xBF\xBF", true},
        {"\xEF\xBB\xBF", true},
        {"\xC0\xAF", false},              // overlong '/'
        {"\xC1\xBF", false},              // overlong
        {"\xE0\x80\xAF", false},          // overlong in three bytes
        {"\xF0\x80\x80\xAF", false},      // overlong in four bytes
        {"\xED\xA0\x80", false},          // surrogate U+D800
        {"\xED\xBF\xBF", false},          // surrogate U+DFFF
        {"\xF4\x90\x80\x80", false},      // U+110000
        {"\xF5\x80\x80\x80", false}, {"\xF8", false}, {"\xFF", false},
        {"\x80", false},                  // stray continuation
        {"\xE2\x82", false},              // cut short
        {"\xE2\x82" "A", false},
    };
    for (const auto& [text, valid] : rows)
        EXPECT_EQ(IsValidUtf8(text), valid) << QuoteText(text);
}

// Windows hands arguments and file names over in UTF-16: every code point
// must come through, surrogate pairs included, and a broken one must not
// turn into malformed UTF-8.
TEST(Utf8, ConvertsToAndFromUtf16)
{
    const std::pair<std::u16string, std::string> rows[] = {
        {u"EXa=6327,46", "EXa=6327,46"},
        {u"задание β1.snesenie", "задание β1.snesenie"},
        {u"\U0001F4D0 угол", "\xF0\x9F\x93\x90 угол"},  // a pair: U+1F4D0
        {u"\uFFFF\u0800\u07FF\u0080\u007F", "\xEF\xBF\xBF\xE0\xA0\x80\xDF\xBF\xC2\x80\x7F"},
        {u"", ""},
    };
    for (const auto& [wide, narrow] : rows) {
        EXPECT_EQ(Utf16ToUtf8(wide), narrow) << QuoteText(narrow);
        EXPECT_TRUE(Utf8ToUtf16(narrow) == wide) << QuoteText(narrow);
    }
    // A lone surrogate, high or low, at the end or before an ordinary unit.
    const std::u16string lone[] = {std::u16string(u"a") + char16_t(0xD83D), std::u16string(1, char16_t(0xDC10)) + u"b",
                                   std::u16string(1, char16_t(0xD800)) + char16_t(0xD800)};
    const std::string replaced[] = {"a\xEF\xBF\xBD", "\xEF\xBF\xBD" "b", "\xEF\xBF\xBD\xEF\xBF\xBD"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Utf16ToUtf8(lone[i]), replaced[i]);
        EXPECT_TRUE(IsValidUtf8(Utf16ToUtf8(lone[i])));
    }
    EXPECT_TRUE(Utf8ToUtf16("a\xFF" "b") == u"a\uFFFDb");
}

// A number a double cannot hold is as much the fault of the typed text as a
// misspelt one: the error names the field, so the window can point at it.
TEST(Errors, OverflowWhileReadingNamesTheField)
{
    const struct {
        const char* field;
        const char* text;
        const char* press;
        const char* caption;
    } rows[] = {
        {"EXc", "1e4932", "ok1", "«Xc»"},
        {"EYa", "-2,5E309", "ok1", "«Ya»"},
        {"Eb2", "1e400", "ok2", "«b, вариант АСР»"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.field);
        MemoryFields f;
        CalcState st;
        if (std::string(row.press) == "ok2")
            ComputePage1(f, st);
        f.SetText(row.field, row.text);
        try {
            if (std::string(row.press) == "ok1")
                ComputePage1(f, st);
            else
                (void)ComputePage2(f, st);
            ADD_FAILURE() << "no error";
        } catch (const ArithmeticError& e) {
            EXPECT_EQ(e.Fault(), ArithmeticFault::Overflow);
            EXPECT_EQ(e.Field(), row.field);
            const std::string message = e.what();
            EXPECT_EQ(message, "Переполнение: число «" + std::string(row.text) + "» в поле " + row.caption +
                                   " слишком велико.");
        }
    }
}

// δ of 10^18 degrees used to print as 1E18°0`0``.
TEST(Errors, AngleTooLargeForDegreesMinutesSeconds)
{
    MemoryFields f;
    CalcState st;
    ComputePage1(f, st);
    f.SetText("Edd1g", "1e18");
    try {
        (void)ComputePage2(f, st);
        ADD_FAILURE() << "no error";
    } catch (const ArithmeticError& e) {
        EXPECT_EQ(e.Fault(), ArithmeticFault::Overflow);
        EXPECT_EQ(e.Field(), "");
    }
    EXPECT_NE(f.GetText("Ew1"), "");  // ψ is small and printed
    EXPECT_EQ(f.GetText("Edw1"), "");  // δ+ψ is not
}

// A failed step names the quantity and its variant as the window labels them,
// and the geometric cause when there is one; it used to say only "Деление на
// ноль." or "Недопустимая операция", leaving the user to guess where.
TEST(Errors, FailedStepNamesQuantityAndCause)
{
    const struct {
        const char* name;
        std::vector<std::pair<const char*, const char*>> inputs;
        const char* press;
        const char* message;
    } rows[] = {
        {"BOnA", {{"EXb", "6327,46"}, {"EYb", "12351,48"}}, "ok1",
         "Не удалось вычислить «tg(AB)»: пункты A и B совпадают: дирекционный угол (AB) не определён. Проверьте координаты B."},
        {"COnA", {{"EXc", "6327,46"}, {"EYc", "12351,48"}}, "ok1",
         "Не удалось вычислить «tg(AC)»: пункты A и C совпадают: дирекционный угол (AC) не определён. Проверьте координаты C."},
        {"StraightBaseABP", {{"Ebb1g", "85"}, {"Ebb1m", "29"}, {"Ebb1s", "5,4"}}, "ok2",
         "Не удалось вычислить «d, вариант АВР»: γ = 0 (β1 + β2 = 180°): базисный треугольник не построить. Проверьте углы β1 и β2."},
        {"StraightBaseACP", {{"Ebb11g", "90"}, {"Ebb11m", "30"}, {"Ebb11s", "22,8"}}, "ok2",
         "Не удалось вычислить «d, вариант АСР»: γ = 0 (β1 + β2 = 180°): базисный треугольник не построить. Проверьте углы β1 и β2."},
        // S and S′ both cut to 0 under a centimetre
        {"BWithinACentimetre", {{"EXb", "6327,465"}, {"EYb", "12351,485"}}, "ok2",
         "Не удалось вычислить «sin ψ, вариант АВР»: расстояние AB равно нулю: пункт B ближе 1 см к пункту A. Проверьте координаты B."},
        {"AngleTooLarge", {{"Edd2g", "1e18"}}, "ok2",
         "Не удалось вычислить «δ+ψ, вариант АСР»: результат слишком велик. Проверьте исходные данные."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MemoryFields f;
        CalcState st;
        for (const auto& [name, text] : row.inputs)
            f.SetText(name, text);
        try {
            ComputePage1(f, st);
            if (std::string(row.press) == "ok2")
                (void)ComputePage2(f, st);
            ADD_FAILURE() << "no error";
        } catch (const ArithmeticError& e) {
            EXPECT_EQ(std::string(e.what()), row.message);
            EXPECT_EQ(e.Field(), "");
        }
    }
}
