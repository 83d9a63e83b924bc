#include "StartOptions.h"

#include "Errors.h"
#include "Utf8Path.h"
#include "Version.h"

#include <QCommandLineOption>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include <algorithm>
#include <filesystem>

namespace {

const char* const kJob = "ЗАДАНИЕ";

// Every option of the window program; the help lists them in this order.
QList<QCommandLineOption> Options()
{
    return {
        {{"h", "help"}, "эта справка"},
        {{"v", "version"}, "версия программы и лицензия"},
        {QStringList{"pdf"}, "ведомость задания (или примера) в PDF, без окна и дисплея",
         "ФАЙЛ.pdf"},
        {QStringList{"batch"}, "с --pdf: пакет станций (таблица CSV или папка заданий)",
         "СТАНЦИИ"},
        {QStringList{"separator"}, "разделитель таблицы станций: «;» или «,»",
         "ЗНАК"},
        {QStringList{"tolerances"}, "с --pdf: допуски КЛЮЧ=ЧИСЛО через «;» на этот запуск",
         "ДОПУСКИ"},
        {QStringList{"precision"}, "с --pdf: точность измерений КЛЮЧ=ЧИСЛО через «;» на этот запуск "
                                   "(angleSeconds, baseMillimetres, baseRatio, givenMetres)",
         "ТОЧНОСТЬ"},
    };
}

// The option as typed: -h, --help, --pdf ФАЙЛ.
QString Spelling(const QCommandLineOption& option)
{
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? "-" : "--") + name;
    QString text = names.join(", ");
    if (!option.valueName().isEmpty())
        text += ' ' + option.valueName();
    return text;
}

// The help in the layout of snesenie-cli's.
QString HelpText()
{
    QList<QPair<QString, QString>> rows;
    for (const QCommandLineOption& option : Options())
        rows.append({Spelling(option), option.description()});
    int width = 0;
    for (const auto& row : rows)
        width = std::max(width, int(row.first.size()));
    width = std::max(width, int(QString(kJob).size()));

    QString text = QString("Использование: snesenie [ПАРАМЕТРЫ] [%1]\n"
                           "       snesenie --batch СТАНЦИИ --pdf ФАЙЛ.pdf [--separator ЗНАК] [--tolerances ДОПУСКИ]\n"
                           "                [--precision ТОЧНОСТЬ]\n\n")
                       .arg(kJob);
    text += "Снесение координат с вершины знака на землю: окно с листом из трёх\n"
            "страниц. Без задания поля ввода содержат пример.\n\n"
            "Параметры:\n";
    for (const auto& [spelling, description] : rows)
        text += "  " + spelling.leftJustified(width) + "  " + description + '\n';
    text += "\nАргументы:\n";
    text += "  " + QString(kJob).leftJustified(width) + "  файл задания (.snesenie), открываемый при запуске\n";
    text += "\nКод возврата: 0 — окно закрыто или ведомость записана, 1 — окно не открыто\n"
            "или ведомость не записана, 2 — неверная командная строка, 3 — с --pdf:\n"
            "ведомость записана, но допуск контроля превышен.\n"
            "С --batch: 0 — все станции вычислены и в допуске, 3 — хотя бы у одной допуск\n"
            "превышен, 1 — хотя бы одна не вычислена или PDF не записан, 2 — таблица станций\n"
            "не прочитана или файл PDF недопустим.\n";
    text += "\nЛист без окна вычисляет snesenie-cli (справка: snesenie-cli --help).\n";
    return text;
}

StartOptions Failure(const QString& what)
{
    StartOptions failure;
    failure.action = StartOptions::Action::Error;
    failure.message = "snesenie: " + what + "\nСправка: snesenie --help\n";
    return failure;
}

QString Quoted(const std::string& text) { return QString::fromStdString(snesenie::QuoteText(text)); }
QString QuotedPath(const std::string& path) { return QString::fromStdString(snesenie::QuotePath(path)); }
QString Text(const std::string& text) { return QString::fromStdString(text); }

} // namespace

#ifdef _WIN32

std::vector<std::string> CommandLineWords(int, char**)
{
    // The narrow argv of Windows is in the ANSI code page, which cannot
    // spell every name; the UTF-16 command line can.
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> words;
    if (wide == nullptr)
        return words;
    for (int i = 0; i < count; ++i)
        words.push_back(snesenie::job::PathToUtf8(std::filesystem::path(wide[i])));
    LocalFree(wide);
    return words;
}

#else

std::vector<std::string> CommandLineWords(int argc, char** argv) { return {argv, argv + argc}; }

#endif

StartOptions ParseStartOptions(const std::vector<std::string>& arguments)
{
    StartOptions options;
    bool help = false, version = false, pdfGiven = false, batchGiven = false, optionsEnd = false;
    std::vector<std::string> jobs;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& arg = arguments[i];
        if (optionsEnd || !arg.starts_with('-') || arg == "-") {
            jobs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        // --opt VALUE and --opt=VALUE mean the same; an option without a
        // value takes none.
        const std::size_t eq = arg.find('=');
        const std::string name = arg.substr(0, eq);
        const bool inline_ = eq != std::string::npos;
        auto value = [&] {
            if (inline_)
                return arg.substr(eq + 1);
            if (i + 1 < arguments.size() && !arguments[i + 1].starts_with('-'))
                return arguments[++i];
            return std::string();
        };
        if (name == "-h" || name == "--help" || name == "-v" || name == "--version") {
            if (inline_)
                return Failure("Параметр " + Text(name) + " задаётся без значения.");
            (name == "-h" || name == "--help" ? help : version) = true;
        } else if (name == "--pdf") {
            if (pdfGiven)
                return Failure("Параметр --pdf можно задать только один раз.");
            pdfGiven = true;
            options.pdf = value();
            if (options.pdf.empty())
                return Failure("После --pdf нужно имя файла: snesenie --pdf ФАЙЛ.pdf [ЗАДАНИЕ].");
        } else if (name == "--batch") {
            if (batchGiven)
                return Failure("Параметр --batch можно задать только один раз.");
            batchGiven = true;
            options.batch = value();
            if (options.batch.empty())
                return Failure("После --batch нужно имя таблицы станций или папки заданий.");
        } else if (name == "--separator") {
            const std::string separator = value();
            if (separator != ";" && separator != ",")
                return Failure("Разделитель --separator — «;» или «,», а не " + Quoted(separator) + ".");
            options.separator = separator[0];
        } else if (name == "--tolerances") {
            if (const std::optional<std::string> wrong =
                    snesenie::ReadToleranceList(value(), "--tolerances", options.tolerances))
                return Failure(Text(*wrong));
        } else if (name == "--precision") {
            if (const std::optional<std::string> wrong =
                    snesenie::ReadPrecisionList(value(), "--precision", options.precision))
                return Failure(Text(*wrong));
        } else {
            return Failure("Неизвестный параметр " + Quoted(name) + ".");
        }
    }
    if (help || version) {
        StartOptions answer;
        answer.action = help ? StartOptions::Action::Help : StartOptions::Action::Version;
        answer.message = help ? HelpText()
                              : QString("snesenie %1\n%2\n").arg(snesenie::kVersion,
                                                                QString::fromUtf8(snesenie::kLicenceNotice));
        return answer;
    }
    // The bundle is made without a window; the window's list of stations is
    // opened from its menu.
    if (batchGiven && !pdfGiven)
        return Failure("Параметр --batch задаётся вместе с --pdf: snesenie --batch СТАНЦИИ --pdf ФАЙЛ.pdf.");
    if (batchGiven && !jobs.empty())
        return Failure("Лишний аргумент " + QuotedPath(jobs[0]) + ": с --batch станции берутся из таблицы.");
    if (!batchGiven && options.separator != 0)
        return Failure("Параметр --separator задаётся только вместе с --batch.");
    if (!pdfGiven && !options.tolerances.empty())
        return Failure("Параметр --tolerances задаётся только вместе с --pdf.");
    if (!pdfGiven && !options.precision.empty())
        return Failure("Параметр --precision задаётся только вместе с --pdf.");
    if (jobs.size() > 1)
        return Failure("Лишний аргумент " + QuotedPath(jobs[1]) + ": открыть можно одно задание.");
    if (!jobs.empty() && jobs[0].empty())
        return Failure("Пустое имя задания.");
    if (!jobs.empty())
        options.job = jobs[0];
    return options;
}
