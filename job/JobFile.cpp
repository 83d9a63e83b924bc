#include "JobFile.h"

#include "FieldTable.h"
#include "Numbers.h"
#include "SaveTarget.h"
#include "Version.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QJsonValue>
#include <QSaveFile>
#include <QString>

#include <algorithm>
#include <cmath>

namespace snesenie::job {
namespace {

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// A name from the file or a path goes into a one-line message: control
// characters are shown as escapes, never raw, and a name read from the file
// is cut so that a hostile one cannot flood the message box.
QString Quoted(const QString& text, qsizetype maxChars = -1)
{
    QString out = QStringLiteral("«");
    qsizetype shown = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++shown) {
        if (maxChars >= 0 && shown == maxChars) {
            out += QStringLiteral("…");
            break;
        }
        const QChar c = text.at(i);
        if (c.category() == QChar::Other_Control || c.isSurrogate())
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out + QStringLiteral("»");
}

QString DisplayName(const std::filesystem::path& path)
{
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(path.native())));
}

QString Reason(QString systemReason)
{
    while (systemReason.endsWith(u'.'))
        systemReason.chop(1);
    return systemReason.isEmpty() ? QStringLiteral("неизвестная ошибка") : systemReason;
}

[[noreturn]] void Refuse(const std::string& fileName, const QString& problem, std::string field = {})
{
    throw JobError(QStringLiteral("Не удалось открыть задание %1: %2.").arg(Quoted(Q(fileName)), problem).toStdString(),
                   std::move(field));
}

[[noreturn]] void FailSave(const std::filesystem::path& path, const QString& problem, std::string field = {})
{
    throw JobError(
        QStringLiteral("Не удалось сохранить задание %1: %2.").arg(Quoted(DisplayName(path)), problem).toStdString(),
        std::move(field));
}

QString JsonProblem(QJsonParseError::ParseError error)
{
    switch (error) {
    case QJsonParseError::NoError:
        break;
    case QJsonParseError::UnterminatedObject:
        return "объект не закрыт или между членами нет запятой";
    case QJsonParseError::MissingNameSeparator:
        return "после имени нет двоеточия";
    case QJsonParseError::UnterminatedArray:
        return "массив не закрыт или между элементами нет запятой";
    case QJsonParseError::MissingValueSeparator:
        return "между значениями нет запятой";
    case QJsonParseError::IllegalValue:
        return "недопустимое значение";
    case QJsonParseError::TerminationByNumber:
        return "файл оборвался на числе";
    case QJsonParseError::IllegalNumber:
        return "недопустимое число";
    case QJsonParseError::IllegalEscapeSequence:
        return "недопустимая escape-последовательность в строке";
    case QJsonParseError::IllegalUTF8String:
        return "строка не в кодировке UTF-8";
    case QJsonParseError::UnterminatedString:
        return "строка не закрыта кавычкой";
    case QJsonParseError::MissingObject:
        return "ожидался объект";
    case QJsonParseError::DeepNesting:
        return "слишком глубокая вложенность";
    case QJsonParseError::DocumentTooLarge:
        return "документ слишком велик";
    case QJsonParseError::GarbageAtEnd:
        return "лишние символы после конца документа";
    }
    return "ошибка разбора";
}

// The parser reports a byte offset; a person looks for a line and a column,
// counted in characters, not bytes.
std::pair<int, int> LineAndColumn(const QByteArray& data, qsizetype offset)
{
    offset = std::clamp<qsizetype>(offset, 0, data.size());
    int line = 1, column = 1;
    for (qsizetype i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(data.at(i));
        if (byte == '\n') {
            ++line;
            column = 1;
        } else if ((byte & 0xC0) != 0x80) {
            ++column;
        }
    }
    return {line, column};
}

// A field as a message names it: a file's by its name in the file; a save's,
// made from the window or the command line, as the window labels its box,
// like the messages of the computations.
QString FieldName(const FieldInfo& field) { return Quoted(Q(field.name)); }
QString InField(const FieldInfo& field) { return "в поле " + Quoted(Q(field.caption)) + " "; }

// Why a text cannot be a field's text, or an empty string when it can.
QString TextProblem(const QString& text)
{
    if (text.size() > kMaxTextLength)
        return QStringLiteral("длиннее %1 символов").arg(kMaxTextLength);
    if (!text.isValidUtf16())
        return "содержит недопустимые символы";
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return "содержит управляющие символы";
    return {};
}

// The control characters a pasted cell brings are invisible in a box, so a
// message says which one and where.
QString ControlName(QChar c)
{
    switch (c.unicode()) {
    case u'\t':
        return "табуляция";
    case u'\n':
        return "перевод строки";
    case u'\r':
        return "возврат каретки";
    default:
        return "U+" + QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
    }
}

// Why a text of the sheet cannot be saved, to follow InField, or an empty
// string when it can.
QString SaveTextProblem(const QString& text)
{
    if (text.size() > kMaxTextLength)
        return QStringLiteral("текст длиннее %1 символов").arg(kMaxTextLength);
    if (!text.isValidUtf16())
        return "текст содержит недопустимые символы";
    qsizetype position = 0;  // in characters, as a person counts them
    for (const QChar c : text) {
        if (!c.isLowSurrogate())
            ++position;
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("текст содержит невидимый управляющий символ (%1, знак %2)")
                .arg(ControlName(c))
                .arg(position);
    }
    return {};
}

// A cell pasted from a spreadsheet brings a tab or a line break with it and a
// box keeps them, invisible; the number reader takes them for blanks, but a
// job holds no control character. So among the blanks at either end of a
// text the tabs and line breaks are dropped and the spaces kept as typed: the
// text reads as the same number. One inside a text is kept, for the save to
// refuse and point at.
std::string WithoutPastedBreaks(std::string_view text)
{
    const std::string_view number = TrimBlanks(text);
    const std::size_t start = static_cast<std::size_t>(number.data() - text.data());
    const std::size_t end = start + number.size();
    std::string out;
    out.reserve(text.size());
    auto keepSpaces = [&out](std::string_view blanks) {
        for (const char c : blanks)
            if (c != '\t' && c != '\r' && c != '\n')
                out += c;
    };
    keepSpaces(text.substr(0, start));
    out += text.substr(start, end - start);
    keepSpaces(text.substr(end));
    return out;
}

const FieldInfo* InputField(std::string_view name)
{
    const FieldInfo* field = FindField(name);
    return field != nullptr && field->kind == FieldKind::Input ? field : nullptr;
}

} // namespace

Job ExampleJob()
{
    Job job;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            job.texts.emplace(f.name, f.example);
    return job;
}

Job JobFromFields(const PageFields& fields)
{
    Job job;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            job.texts.emplace(f.name, WithoutPastedBreaks(fields.GetText(std::string(f.name))));
    return job;
}

void ApplyJob(const Job& job, PageFields& fields)
{
    for (const FieldInfo& f : Fields()) {
        const auto text = job.texts.find(f.name);
        const bool given = f.kind == FieldKind::Input && text != job.texts.end();
        fields.SetText(std::string(f.name), given ? text->second : std::string());
    }
}

Job ParseJob(std::string_view content, const std::string& fileName)
{
    if (std::ssize(content) > kMaxFileBytes)
        Refuse(fileName, "файл больше 1 МиБ, это не задание");
    if (content.find_first_not_of(" \t\r\n") == std::string_view::npos)
        Refuse(fileName, "файл пуст");

    const QByteArray data(content.data(), static_cast<qsizetype>(content.size()));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError) {
        qsizetype offset = error.offset;
        // For these the parser stops just past the character it could not
        // take; step back to that character's first byte.
        switch (error.error) {
        case QJsonParseError::MissingNameSeparator:
        case QJsonParseError::MissingValueSeparator:
        case QJsonParseError::UnterminatedObject:
        case QJsonParseError::UnterminatedArray:
        case QJsonParseError::IllegalValue:
            offset = std::min(offset, data.size()) - 1;
            while (offset > 0 && (static_cast<unsigned char>(data.at(offset)) & 0xC0) == 0x80)
                --offset;
            break;
        default:
            break;
        }
        const auto [line, column] = LineAndColumn(data, offset);
        Refuse(fileName, QStringLiteral("это не JSON: %1 (строка %2, столбец %3)")
                             .arg(JsonProblem(error.error))
                             .arg(line)
                             .arg(column));
    }
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value("format") != QJsonValue(kFormatTag))
        Refuse(fileName, QStringLiteral("это не задание программы (нет метки \"format\": \"%1\")").arg(kFormatTag));

    const QJsonValue version = root.value("version");
    const double number = version.toDouble(-1);
    if (!version.isDouble() || number < 1 || number != std::floor(number))
        Refuse(fileName, "неверная версия формата (\"version\" должно быть целым числом от 1)");
    if (number > kFormatVersion) {
        const QJsonValue program = root.value("program");
        Refuse(fileName, QStringLiteral("задание записано более новой версией программы%1 в формате версии %2, "
                                        "а эта программа читает версию %3")
                             .arg(program.isString() ? " " + Quoted(program.toString(), 20) : QString())
                             .arg(number, 0, 'g', 15)
                             .arg(kFormatVersion));
    }

    const QJsonValue fields = root.value("fields");
    if (!fields.isObject())
        Refuse(fileName, "нет набора полей \"fields\" (объекта JSON)");
    Job job;
    for (const FieldInfo& f : Fields())
        if (f.kind == FieldKind::Input)
            job.texts.emplace(f.name, std::string());
    const QJsonObject texts = fields.toObject();
    for (auto it = texts.begin(); it != texts.end(); ++it) {
        const std::string name = it.key().toStdString();
        const FieldInfo* field = FindField(name);
        if (field == nullptr)
            Refuse(fileName, "неизвестное поле " + Quoted(it.key(), 40));
        if (field->kind != FieldKind::Input)
            Refuse(fileName, "поле " + FieldName(*field) + " вычисляется программой, в задании его не бывает", name);
        if (!it.value().isString())
            Refuse(fileName, "значение поля " + FieldName(*field) + " не текст (в JSON — не строка в кавычках)", name);
        const QString text = it.value().toString();
        if (const QString problem = TextProblem(text); !problem.isEmpty())
            Refuse(fileName, "текст поля " + FieldName(*field) + " " + problem, name);
        job.texts[name] = text.toStdString();
    }
    return job;
}

Job ReadJob(const std::filesystem::path& path)
{
    const QString name = DisplayName(path);
    const std::string fileName = name.toStdString();
    QFile file(QFile::decodeName(QByteArray::fromStdString(path.native())));
    if (QFileInfo(file).isDir())
        Refuse(fileName, "это папка, а не файл");
    if (!file.open(QIODevice::ReadOnly))
        Refuse(fileName, Reason(file.errorString()));
    // One byte past the limit is enough to know a file is too large, whatever
    // it is (a device that never ends included).
    const QByteArray data = file.read(kMaxFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        Refuse(fileName, Reason(file.errorString()));
    return ParseJob(std::string_view(data.constData(), static_cast<std::size_t>(data.size())), fileName);
}

std::string SerializeJob(const Job& job)
{
    QJsonObject fields;
    for (const FieldInfo& f : Fields()) {
        if (f.kind != FieldKind::Input)
            continue;
        const auto text = job.texts.find(f.name);
        fields.insert(Q(f.name), text != job.texts.end() ? Q(text->second) : QString());
    }
    const QJsonObject root{
        {"format", kFormatTag},
        {"version", kFormatVersion},
        {"program", kVersion},
        {"fields", fields},
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

void WriteJob(const Job& job, const std::filesystem::path& path)
{
    // Never write what the reader would refuse: a file saved today must open
    // tomorrow.
    for (const auto& [name, text] : job.texts) {
        const FieldInfo* field = InputField(name);
        if (field == nullptr)
            FailSave(path, "нет поля ввода " + Quoted(Q(name), 40));
        const QString decoded = Q(text);
        if (decoded.toStdString() != text)
            FailSave(path, InField(*field) + "текст не в кодировке UTF-8", name);
        if (const QString problem = SaveTextProblem(decoded); !problem.isEmpty())
            FailSave(path, InField(*field) + problem, name);
    }
    // The new file is renamed over the old name, which would replace a FIFO
    // or a device node as readily as a job.
    if (const std::string problem = SaveTargetProblem(path); !problem.empty())
        FailSave(path, Q(problem));
    const std::string bytes = SerializeJob(job);
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(path.native())));
    // Unbuffered, and every write checked here: QSaveFile commits whatever
    // reached the disk, so a write cut short by a full disk would otherwise
    // replace a good job with the first part of the new one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        FailSave(path, Reason(file.errorString()));
    for (std::size_t done = 0; done < bytes.size();) {
        const qint64 written = file.write(bytes.data() + done, static_cast<qint64>(bytes.size() - done));
        if (written <= 0) {
            const QString reason = Reason(file.errorString());
            file.cancelWriting();
            FailSave(path, reason);
        }
        done += static_cast<std::size_t>(written);
    }
    if (!file.commit())
        FailSave(path, Reason(file.errorString()));
}

} // namespace snesenie::job
