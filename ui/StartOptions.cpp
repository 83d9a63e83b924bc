#include "StartOptions.h"

#include "Errors.h"
#include "Version.h"

#include <QCommandLineOption>

#include <algorithm>

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
            "С --batch: 0 — все станции посчитаны и в допуске, 3 — где-то допуск превышен,\n"
            "1 — какая-то станция не посчитана или PDF не записан, 2 — таблица станций\n"
            "не прочитана или файл PDF недопустим.\n";
    text += "\nЛист без окна считает snesenie-cli (справка: snesenie-cli --help).\n";
    return text;
}

StartOptions Failure(const QString& what)
{
    StartOptions failure;
    failure.action = StartOptions::Action::Error;
    failure.message = "snesenie: " + what + "\nСправка: snesenie --help\n";
    return failure;
}

QString Quoted(const QString& text) { return QString::fromStdString(snesenie::QuoteText(text.toStdString())); }
QString QuotedPath(const QString& path) { return QString::fromStdString(snesenie::QuotePath(path.toStdString())); }

} // namespace

StartOptions ParseStartOptions(const QStringList& arguments)
{
    StartOptions options;
    bool help = false, version = false, pdfGiven = false, batchGiven = false, optionsEnd = false;
    QStringList jobs;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments.at(i);
        if (optionsEnd || !arg.startsWith('-') || arg == "-") {
            jobs << arg;
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        // --opt VALUE and --opt=VALUE mean the same; an option without a
        // value takes none.
        const qsizetype eq = arg.indexOf('=');
        const QString name = eq < 0 ? arg : arg.left(eq);
        if (name == "-h" || name == "--help" || name == "-v" || name == "--version") {
            if (eq >= 0)
                return Failure("у параметра " + name + " не бывает значения");
            (name == "-h" || name == "--help" ? help : version) = true;
        } else if (name == "--pdf") {
            if (pdfGiven)
                return Failure("--pdf можно задать только один раз");
            pdfGiven = true;
            if (eq >= 0)
                options.pdf = arg.mid(eq + 1);
            else if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith('-'))
                options.pdf = arguments.at(++i);
            if (options.pdf.isEmpty())
                return Failure("после --pdf нужно имя файла: snesenie --pdf ФАЙЛ.pdf [ЗАДАНИЕ]");
        } else if (name == "--batch" || name == "--separator" || name == "--tolerances" || name == "--precision") {
            QString value;
            if (eq >= 0)
                value = arg.mid(eq + 1);
            else if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith('-'))
                value = arguments.at(++i);
            if (name == "--batch") {
                if (batchGiven)
                    return Failure("--batch можно задать только один раз");
                batchGiven = true;
                options.batch = value;
                if (value.isEmpty())
                    return Failure("после --batch нужно имя таблицы станций или папки заданий");
            } else if (name == "--separator") {
                if (value != ";" && value != ",")
                    return Failure("разделитель --separator — «;» или «,», а не " + Quoted(value));
                options.separator = value.at(0).toLatin1();
            } else if (name == "--precision") {
                if (const std::optional<std::string> wrong =
                        snesenie::ReadPrecisionList(value.toStdString(), "--precision", options.precision))
                    return Failure(QString::fromStdString(*wrong));
            } else if (const std::optional<std::string> wrong =
                           snesenie::ReadToleranceList(value.toStdString(), "--tolerances", options.tolerances)) {
                return Failure(QString::fromStdString(*wrong));
            }
        } else {
            return Failure("неизвестный параметр " + Quoted(name));
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
        return Failure("--batch задаётся вместе с --pdf: snesenie --batch СТАНЦИИ --pdf ФАЙЛ.pdf");
    if (batchGiven && !jobs.isEmpty())
        return Failure("лишний аргумент " + QuotedPath(jobs[0]) + ": с --batch станции берутся из таблицы");
    if (!batchGiven && options.separator != 0)
        return Failure("--separator задаётся только вместе с --batch");
    if (!pdfGiven && !options.tolerances.empty())
        return Failure("--tolerances задаётся только вместе с --pdf");
    if (!pdfGiven && !options.precision.empty())
        return Failure("--precision задаётся только вместе с --pdf");
    if (jobs.size() > 1)
        return Failure("лишний аргумент " + QuotedPath(jobs[1]) + ": открыть можно одно задание");
    if (!jobs.isEmpty() && jobs[0].isEmpty())
        return Failure("пустое имя задания");
    options.job = jobs.value(0);
    return options;
}
