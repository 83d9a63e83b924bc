#include "Arguments.h"

#include "FieldGuide.h"
#include "Errors.h"
#include "FieldTable.h"
#include "Numbers.h"
#include "SafeFile.h"
#include "Utf8.h"
#include "Utf8Path.h"

#include <array>
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

// Bounds of an --input file: far beyond any sheet, yet small enough that a
// wrong file (a log, a disc image, /dev/zero) is refused at once rather than
// read to the end.
constexpr std::size_t kMaxLineBytes = 64 * 1024;
constexpr std::size_t kMaxFileBytes = 16 * 1024 * 1024;

constexpr std::string_view kBom = "\xEF\xBB\xBF";

// A field of the window holds one line of text, so a text that could not
// have been typed into one (a line break, a control character, bytes that
// are not UTF-8) is refused here rather than echoed into the output. Returns
// what is wrong with it, or nothing.
std::string WhatIsWrongWithText(std::string_view s)
{
    if (!IsValidUtf8(s))
        return "не в кодировке UTF-8";
    for (std::size_t i = 0; i < s.size();) {
        const char32_t c = *NextCodePoint(s, i);
        // a byte-order mark glued to the number by an editor that saved the
        // file in pieces: invisible, and it would make the number unreadable
        if (c == 0xFEFF)
            return "содержит невидимый знак порядка байтов (BOM, \\uFEFF)";
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
            return "содержит управляющий символ";
    }
    return {};
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
            throw UsageError("Неизвестная кнопка " + QuoteText(item) +
                             " в --press: допустимы ok1, ok2, ok3, clear1, clear2.");
    }
    if (list.back() == ',')
        throw UsageError("Пустое имя кнопки в --press " + QuoteText(list) + ".");
    return presses;
}

// where says where the assignment came from, for the message.
std::pair<std::string, std::string> ParseAssignment(const std::string& arg, const std::string& where)
{
    const std::size_t eq = arg.find('=');
    if (eq == std::string::npos || eq == 0)
        throw UsageError(where + "ожидается ИМЯ=ТЕКСТ, а не " + QuoteText(arg) + ".");
    std::string name = arg.substr(0, eq);
    std::string text = arg.substr(eq + 1);
    const FieldInfo* field = FindField(name);
    if (field == nullptr) {
        const std::string suggestion = SuggestionFor(name);
        throw UsageError(where + "нет поля " + QuoteText(name) + (suggestion.empty() ? "." : suggestion));
    }
    if (field->kind != FieldKind::Input)
        throw UsageError(where + "поле " + QuoteText(name) + " вычисляется программой, его нельзя задать.");
    if (const std::string wrong = WhatIsWrongWithText(text); !wrong.empty())
        throw UsageError(where + "текст поля " + QuoteText(name) + " " + wrong + ": " + QuoteText(text) + ".");
    return {std::move(name), std::move(text)};
}

// Only the last text given to a field counts, so a file that sets one field
// a million times holds one assignment, not a million.
void Assign(Arguments& out, std::pair<std::string, std::string> assignment)
{
    for (auto& [name, text] : out.assignments) {
        if (name == assignment.first) {
            text = std::move(assignment.second);
            return;
        }
    }
    out.assignments.push_back(std::move(assignment));
}

void ReadLine(std::string line, const std::string& where, Arguments& out)
{
    // Editors that write a byte-order mark put it at the start of the file;
    // files glued together carry one at the start of a later line too.
    if (line.starts_with(kBom))
        line.erase(0, kBom.size());
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#')
        return;
    Assign(out, ParseAssignment(line.substr(start), where));
}

void ReadInput(const std::string& path, Arguments& out)
{
    const std::string file = path == "-" ? std::string("стандартный ввод") : "файл " + QuotePath(path);
    auto where = [&](std::size_t number) {
        return (path == "-" ? std::string("Стандартный ввод") : "Файл " + QuotePath(path)) + ", строка " +
               std::to_string(number) + ": ";
    };
    std::string content;
    if (path == "-") {
        char buf[8192];
        while (std::cin.read(buf, sizeof buf) || std::cin.gcount() > 0) {
            content.append(buf, static_cast<std::size_t>(std::cin.gcount()));
            if (content.size() > kMaxFileBytes)
                break;
        }
        if (std::cin.bad())
            throw UsageError("Ошибка чтения: " + file + ".");
    } else {
        // A FIFO or a device is refused at once: opening one to read would
        // wait for a writer, or never end.
        try {
            content = job::ReadRegularFile(job::PathFromUtf8(path), kMaxFileBytes);
        } catch (const job::FileError& e) {
            throw UsageError("Не удалось прочитать " + file + ": " + e.what() + ".");
        }
    }

    std::size_t number = 1, total = 0;
    for (std::size_t k = 0; k < content.size();) {
        const std::size_t newline = content.find('\n', k);
        const std::size_t end = newline != std::string::npos ? newline : content.size();
        total += end - k + (newline != std::string::npos ? 1 : 0);
        if (total > kMaxFileBytes)
            throw UsageError(where(number) + "файл длиннее 16\u00A0МиБ, это не лист с данными.");
        if (end - k > kMaxLineBytes)
            throw UsageError(where(number) + "строка длиннее 64\u00A0КиБ, это не лист с данными.");
        ReadLine(content.substr(k, end - k), where(number), out);
        ++number;
        k = end + 1;
    }
}

} // namespace

Arguments ParseArguments(const std::vector<std::string>& args)
{
    Arguments out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!arg.starts_with("-")) {
            Assign(out, ParseAssignment(arg, "Командная строка: "));
            continue;
        }
        // --opt VALUE and --opt=VALUE mean the same, for every option.
        const std::size_t eq = arg.find('=');
        const std::string option = arg.substr(0, eq);
        const bool inline_value = eq != std::string::npos;
        auto value = [&]() -> std::string {
            if (inline_value)
                return arg.substr(eq + 1);
            // The next argument, unless it is another option: a forgotten
            // value must not swallow the option after it ("--job --save-job
            // x" would read a job named "--save-job"). A name starting with a
            // dash is written ./-name or after '='.
            if (i + 1 >= args.size() || (args[i + 1].starts_with("-") && args[i + 1] != "-"))
                throw UsageError("После " + option + " нужно значение.");
            return args[++i];
        };
        auto flag = [&](bool& target) {
            if (inline_value)
                throw UsageError("Параметр " + option + " задаётся без значения.");
            target = true;
        };
        // A file option takes a name once, and a name is never empty.
        auto file = [&](std::string& target) {
            if (!target.empty())
                throw UsageError("Параметр " + option + " можно задать только один раз.");
            target = value();
            if (target.empty())
                throw UsageError("После " + option + " нужно имя файла.");
        };
        if (option == "--help" || option == "-h") {
            flag(out.help);
        } else if (option == "--version" || option == "-v") {
            flag(out.version);
        } else if (option == "--state") {
            flag(out.state);
        } else if (option == "--control") {
            flag(out.control);
        } else if (option == "--fields") {
            flag(out.fields);
        } else if (option == "--sheet") {
            flag(out.sheet);
        } else if (option == "--press") {
            // An empty list is no press at all: the inputs as given, e.g. to
            // turn them into a job.
            out.presses = ParsePresses(value());
            out.pressGiven = true;
        } else if (option == "--input") {
            std::string path;
            file(path);
            ReadInput(path, out);
        } else if (option == "--tolerances") {
            if (const std::optional<std::string> wrong = ReadToleranceList(value(), option, out.tolerances))
                throw UsageError(*wrong);
        } else if (option == "--precision") {
            if (const std::optional<std::string> wrong = ReadPrecisionList(value(), option, out.precision))
                throw UsageError(*wrong);
        } else if (option == "--job") {
            file(out.job);
        } else if (option == "--save-job") {
            file(out.saveJob);
        } else if (option == "--batch") {
            file(out.batch);
        } else if (option == "--results") {
            file(out.results);
        } else if (option == "--pdf") {
            file(out.pdf);
        } else if (option == "--separator") {
            const std::string separator = value();
            if (separator.size() != 1 || (separator != ";" && separator != ","))
                throw UsageError("Разделитель --separator — «;» или «,», а не " + QuoteText(separator) + ".");
            out.separator = separator[0];
        } else {
            throw UsageError("Неизвестный параметр " + QuoteText(option) + ".");
        }
    }
    if (out.batch.empty() && (!out.results.empty() || !out.pdf.empty() || out.separator != 0))
        throw UsageError("Параметры --results, --pdf и --separator задаются только вместе с --batch.");
    if (!out.batch.empty() && (!out.assignments.empty() || !out.job.empty() || !out.saveJob.empty() || out.state ||
                               out.control || out.pressGiven))
        throw UsageError("С --batch станции вычисляются из таблицы: ИМЯ=ТЕКСТ, --input, --job, --save-job, "
                         "--press, --state и --control с ним не задаются.");
    return out;
}

const char* PressName(Press p)
{
    for (const auto& [name, press] : kPresses)
        if (press == p)
            return name;
    return "?";
}

std::vector<std::string> OptionNames()
{
    return {"--job",   "--press",     "--state", "--control", "--tolerances", "--precision", "--input", "--save-job",
            "--batch", "--results", "--pdf", "--separator", "--fields", "--sheet", "--help", "-h", "--version", "-v"};
}

std::string UsageText()
{
    std::string presses;
    for (const auto& [name, press] : kPresses)
        presses.append(presses.empty() ? "" : ", ").append(name);
    std::string defaults;
    for (const ToleranceField& f : ToleranceFields())
        defaults.append(defaults.empty() ? "" : ";").append(f.key).append("=").append(
            FormatNumber(Tolerances{}.*f.member));
    std::string ranges;
    for (const ToleranceField& f : ToleranceFields())
        ranges.append("                    ").append(f.key).append(": ").append(ToleranceRange(f)).append("\n");
    std::string precisionDefaults;
    for (const PrecisionField& f : PrecisionFields())
        precisionDefaults.append(precisionDefaults.empty() ? "" : ";").append(f.key).append("=").append(
            FormatNumber(Precision{}.*f.member));
    std::string precisionRanges;
    for (const PrecisionField& f : PrecisionFields())
        precisionRanges.append("                    ").append(f.key).append(": ").append(PrecisionRange(f)).append("\n");

    std::string text = R"(Использование: snesenie-cli [--job ЗАДАНИЕ] [--press СПИСОК] [--state] [--control]
                            [--sheet] [--tolerances ДОПУСКИ] [--precision ТОЧНОСТЬ]
                            [--input ФАЙЛ] [--save-job ЗАДАНИЕ] [ИМЯ=ТЕКСТ ...]
       snesenie-cli --batch СТАНЦИИ [--results ФАЙЛ] [--pdf ФАЙЛ.pdf] [--separator ЗНАК]
                    [--tolerances ДОПУСКИ] [--precision ТОЧНОСТЬ]
       snesenie-cli --fields | --help | --version

Снесение координат с вершины знака на землю: вычисляет лист из трёх страниц
так же, как окно программы, и печатает все )" +
                       std::to_string(Fields().size()) + R"( полей.

Поля ввода сначала содержат пример, как в окне; ИМЯ=ТЕКСТ заменяет текст
поля ИМЯ (все имена — в конце справки). Число пишется с запятой или с точкой:
3700,05.

  --press СПИСОК  кнопки через запятую: )" +
                       presses + R"(
                  (по умолчанию ok1,ok2,ok3)
  --state         после полей напечатать значения, переносимые между страницами
  --control       в конце напечатать контроль листа: строки
                  CONTROL_ИМЯ=ЗНАЧЕНИЕ;ДОПУСК;ok|exceeded|warning для
                  D (два d), AP (два (AP)), P (два положения P), GAMMA1 и
                  GAMMA2 (форма треугольников), RIGOROUS (строгое решение),
                  MT (точность положения P, если задан accuracyMetres),
                  INPUT (исходные данные вне обычных пределов: warning),
                  и строку CONTROL_TOLERANCES с допусками и их источником;
                  затем оценку точности строгого P (метры до 4 знаков):
                  ACCURACY_P1 и ACCURACY_P2 (варианты АВР и АСР) и
                  ACCURACY_P (их среднее) — Xp;Yp;mx;my;mP,
                  ACCURACY_ELLIPSE=a;b;направление оси a в градусах,
                  ACCURACY_PRECISION с точностью измерений и её источником.
                  Где оценки нет, строк ACCURACY_ нет.
                  Допуски — те же, что в окне (Файл → Допуски…), из файла
                  настроек; по умолчанию )" +
                       TolerancesText(Tolerances{}) + R"(.
                  Если страница 3 не вычислена, контроля нет: строка в stderr
  --sheet         вместо строк ИМЯ=ТЕКСТ — три страницы, как в окне:
                  подписи, значения, средние и вывод контроля
  --fields        таблица всех полей: имя, страница, подпись, вариант, пример
  --tolerances ДОПУСКИ
                  допуски на этот запуск: КЛЮЧ=ЧИСЛО через «;»; по умолчанию
                  )" + defaults + R"(
                  Допустимые значения:
)" + ranges + R"(  --precision ТОЧНОСТЬ
                  точность измерений на этот запуск: КЛЮЧ=ЧИСЛО через «;»
                  (angleSeconds — ошибка угла в секундах, baseMillimetres и
                  baseRatio — ошибка базиса √(a² + (b/N)²), a в мм, N = 0 —
                  без относительной части, givenMetres — ошибка каждой
                  координаты A, B и C в метрах, 0 — безошибочны);
                  по умолчанию )" + precisionDefaults + R"(
                  Допустимые значения:
)" + precisionRanges + R"(  --input ФАЙЛ    строки ИМЯ=ТЕКСТ из файла (UTF-8, «-» — стандартный ввод;
                  пустые строки и строки с # пропускаются)
  --job ЗАДАНИЕ   сначала открыть задание (файл .snesenie, как в окне);
                  ИМЯ=ТЕКСТ и --input применяются после него, где бы ни стояли
  --save-job ЗАДАНИЕ
                  после всех кнопок записать тексты полей ввода в задание,
                  которое можно открыть в окне
  --batch СТАНЦИИ вычислить пакет станций: таблицу CSV (столбец station и
                  26 полей ввода) или папку заданий .snesenie; каждая станция
                  вычисляется на своём листе (страницы 1–3 и контроль)
  --results ФАЙЛ  куда записать таблицу результатов пакета (CSV UTF-8 с BOM;
                  без --results — в стандартный вывод)
  --pdf ФАЙЛ.pdf  ещё и ведомости пакета в PDF: страница сводки (станция,
                  Xp, Yp, вывод), затем ведомость каждой вычисленной станции
                  с новой страницы; PDF пишет программа snesenie, без окна
  --separator ЗНАК
                  разделитель таблицы станций, «;» или «,» (по умолчанию —
                  из строки заголовка)
  --help          эта справка
  --version       версия программы и лицензия

Значение параметра пишется отдельно или после «=»: --job ФАЙЛ или --job=ФАЙЛ.

Вывод: ИМЯ=ТЕКСТ по одному полю в строке, страница 1, 2, 3.
Ошибка или отказ кнопки: строка «КНОПКА: СООБЩЕНИЕ» в stderr.
Код возврата: 0 — все кнопки выполнены, 1 — была ошибка или отказ или
задание не записано, 2 — неверная командная строка или задание --job
не открыто (ничего не вычисляется), 3 — с --control: все кнопки выполнены,
но допуск контроля превышен (предупреждения код не меняют).
С --batch: 0 — все станции вычислены и в допуске, 3 — хотя бы у одной
допуск превышен, 1 — хотя бы одна не вычислена или результаты или PDF
не записаны, 2 — таблица станций не прочитана или файл результатов или PDF
недопустим.
)";
    return text;
}

} // namespace snesenie::cli
