#include "Arguments.h"

#include "FieldTable.h"

#include <array>
#include <fstream>
#include <iostream>
#include <sstream>

namespace snesenie::cli {
namespace {

constexpr std::array<std::pair<const char*, Press>, 5> kPresses{{
    {"ok1", Press::Ok1},
    {"ok2", Press::Ok2},
    {"ok3", Press::Ok3},
    {"clear1", Press::Clear1},
    {"clear2", Press::Clear2},
}};

// A field of the window holds one line of text, so a text that could not
// have been typed into one (a line break, a control character, bytes that
// are not UTF-8) is refused here rather than echoed into the output.
bool IsTypeable(const std::string& s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F)
            return false;
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (len == 0 || i + len > s.size())
            return false;
        for (std::size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

std::vector<Press> ParsePresses(const std::string& list)
{
    std::vector<Press> presses;
    if (list.empty())
        return presses;
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        bool found = false;
        for (const auto& [name, press] : kPresses) {
            if (item == name) {
                presses.push_back(press);
                found = true;
            }
        }
        if (!found)
            throw UsageError("неизвестная кнопка «" + item + "» в --press (допустимы ok1, ok2, ok3, clear1, clear2)");
    }
    if (list.back() == ',')
        throw UsageError("пустое имя кнопки в --press «" + list + "»");
    return presses;
}

// where says where the assignment came from, for the message.
std::pair<std::string, std::string> ParseAssignment(const std::string& arg, const std::string& where)
{
    const std::size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0)
        throw UsageError(where + "ожидается ИМЯ=ТЕКСТ, а не «" + arg + "»");
    std::string name = arg.substr(0, eq);
    std::string text = arg.substr(eq + 1);
    const FieldInfo* field = FindField(name);
    if (field == nullptr)
        throw UsageError(where + "нет поля «" + name + "»");
    if (field->kind != FieldKind::Input)
        throw UsageError(where + "поле «" + name + "» вычисляется программой, его нельзя задать");
    if (!IsTypeable(text))
        throw UsageError(where + "текст поля «" + name + "» содержит управляющие символы или не в UTF-8");
    return {std::move(name), std::move(text)};
}

void ReadInput(const std::string& path, Arguments& out)
{
    std::ifstream file;
    std::istream* in = &std::cin;
    if (path != "-") {
        file.open(path, std::ios::binary);
        if (!file)
            throw UsageError("не удалось открыть файл «" + path + "»");
        in = &file;
    }
    std::string line;
    for (int number = 1; std::getline(*in, line); ++number) {
        if (number == 1 && line.starts_with("\xEF\xBB\xBF"))
            line.erase(0, 3);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        out.assignments.push_back(
            ParseAssignment(line.substr(start), path + ":" + std::to_string(number) + ": "));
    }
    if (in->bad())
        throw UsageError("ошибка чтения файла «" + path + "»");
}

} // namespace

Arguments ParseArguments(const std::vector<std::string>& args)
{
    Arguments out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // Options take their value as the next argument or after '='.
        auto value = [&](const std::string& option) -> std::string {
            if (arg.size() > option.size() && arg[option.size()] == '=')
                return arg.substr(option.size() + 1);
            if (i + 1 >= args.size())
                throw UsageError("после " + option + " нужно значение");
            return args[++i];
        };
        auto is = [&](const std::string& option) {
            return arg == option || arg.starts_with(option + "=");
        };
        if (arg == "--help" || arg == "-h") {
            out.help = true;
        } else if (arg == "--state") {
            out.state = true;
        } else if (arg == "--control") {
            out.control = true;
        } else if (is("--press")) {
            out.presses = ParsePresses(value("--press"));
        } else if (is("--input")) {
            ReadInput(value("--input"), out);
        } else if (arg.starts_with("-")) {
            throw UsageError("неизвестный параметр «" + arg + "»");
        } else {
            out.assignments.push_back(ParseAssignment(arg, ""));
        }
    }
    return out;
}

const char* PressName(Press p)
{
    for (const auto& [name, press] : kPresses)
        if (press == p)
            return name;
    return "?";
}

const char* UsageText()
{
    return R"(Использование: snesenie-cli [--press СПИСОК] [--state] [--control] [--input ФАЙЛ] [ИМЯ=ТЕКСТ ...]

Снесение координат с вершины знака на землю: считает лист из трёх страниц
так же, как окно программы, и печатает все 77 полей.

Поля ввода сначала содержат пример, как в окне; ИМЯ=ТЕКСТ заменяет текст
поля ИМЯ (EXc, EYc, Ebb1s, Eb2, ...). Число пишется с запятой: 3700,05.

  --press СПИСОК  кнопки через запятую: ok1, ok2, ok3, clear1, clear2
                  (по умолчанию ok1,ok2,ok3)
  --state         после полей напечатать значения, переносимые между страницами
  --control       в конце напечатать контроль листа: строки
                  CONTROL_ИМЯ=ЗНАЧЕНИЕ;ДОПУСК;ok|exceeded|warning для
                  D (два d), AP (два (AP)), P (два положения P), GAMMA1 и
                  GAMMA2 (форма треугольников), RIGOROUS (строгое решение);
                  допуски по умолчанию: 1:2000, 60``, 0,05 м, γ 30°–150°.
                  Если страница 3 не посчитана, контроля нет: строка в stderr
  --input ФАЙЛ    строки ИМЯ=ТЕКСТ из файла (UTF-8, «-» — стандартный ввод;
                  пустые строки и строки с # пропускаются)
  --help          эта справка

Вывод: ИМЯ=ТЕКСТ по одному полю в строке, страница 1, 2, 3.
Ошибка или отказ кнопки: строка «КНОПКА: СООБЩЕНИЕ» в stderr.
Код возврата: 0 — все кнопки выполнены, 1 — была ошибка или отказ,
2 — неверная командная строка (ничего не считается).
)";
}

} // namespace snesenie::cli
