#include "StartOptions.h"

#include "Errors.h"
#include "Version.h"

#include <QCommandLineParser>
#include <QRegularExpression>

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

// QCommandLineParser's own help is in the toolkit's language, which at this
// point is not yet Russian; this one is, in the layout of snesenie-cli's.
QString HelpText()
{
    QList<QPair<QString, QString>> rows;
    for (const QCommandLineOption& option : Options())
        rows.append({Spelling(option), option.description()});
    int width = 0;
    for (const auto& row : rows)
        width = std::max(width, int(row.first.size()));
    width = std::max(width, int(QString(kJob).size()));

    QString text = QString("Использование: snesenie [ПАРАМЕТРЫ] [%1]\n\n").arg(kJob);
    text += "Снесение координат с вершины знака на землю: окно с листом из трёх\n"
            "страниц. Без задания поля ввода содержат пример.\n\n"
            "Параметры:\n";
    for (const auto& [spelling, description] : rows)
        text += "  " + spelling.leftJustified(width) + "  " + description + '\n';
    text += "\nАргументы:\n";
    text += "  " + QString(kJob).leftJustified(width) + "  файл задания (.snesenie), открываемый при запуске\n";
    text += "\nКод возврата: 0 — окно закрыто или ведомость записана, 1 — окно не открыто\n"
            "или ведомость не записана, 2 — неверная командная строка, 3 — с --pdf:\n"
            "ведомость записана, но допуск контроля превышен.\n";
    text += "\nЛист без окна считает snesenie-cli (справка: snesenie-cli --help).\n";
    return text;
}

StartOptions Failure(const QString& what)
{
    return {StartOptions::Action::Error, {}, "snesenie: " + what + "\nСправка: snesenie --help\n", {}};
}

} // namespace

StartOptions ParseStartOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    // -platform is one unknown option, not -p -l -a … run together.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(Options());
    parser.addPositionalArgument(kJob, "файл задания", QString("[%1]").arg(kJob));

    if (!parser.parse(arguments)) {
        if (arguments.size() > 1 && arguments.last() == "--pdf")
            return Failure("после --pdf нужно имя файла: snesenie --pdf ФАЙЛ.pdf [ЗАДАНИЕ]");
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty()) {
            // Named as typed: -platform, not the -p of a run of short options.
            QString typed = (unknown.first().size() == 1 ? "-" : "--") + unknown.first();
            for (const QString& arg : arguments.mid(1)) {
                const QString name = arg.section('=', 0, 0);
                if (name.startsWith('-') && unknown.contains(QString(name).remove(QRegularExpression("^-+")))) {
                    typed = name;
                    break;
                }
            }
            return Failure("неизвестный параметр " + QString::fromStdString(snesenie::QuoteText(typed.toStdString())));
        }
        return Failure("ошибка в командной строке: " + parser.errorText());
    }
    if (parser.isSet("help"))
        return {StartOptions::Action::Help, {}, HelpText(), {}};
    if (parser.isSet("version"))
        return {StartOptions::Action::Version, {},
                QString("snesenie %1\n%2\n").arg(snesenie::kVersion, QString::fromUtf8(snesenie::kLicenceNotice)), {}};

    const QStringList jobs = parser.positionalArguments();
    if (jobs.size() > 1)
        return Failure(QString("лишний аргумент «%1»: открыть можно одно задание").arg(jobs[1]));
    return {StartOptions::Action::Run, jobs.value(0), {}, parser.value("pdf")};
}
