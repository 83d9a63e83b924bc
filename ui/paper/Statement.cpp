#include "Statement.h"

#include "Errors.h"
#include "FieldTable.h"
#include "SafeFile.h"
#include "FilePaths.h"
#include "Utf8Path.h"
#include "AccuracyDrawing.h"
#include "SchemeDrawing.h"
#include "TableGrid.h"
#include "Version.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSize>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <QTextFrame>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QStringList>
#include <QTextDocument>
#include <QUrl>

#include <stdexcept>
#include <vector>

namespace {

using Id = snesenie::FieldId;

// Where a template of a statement leaves out its k-th text: the k-th
// character of the private use area, which no field, name or message of
// the program holds. Numbered, since the texts are not always made in the
// order they stand in.
constexpr char16_t kFirstMarker = 0xE000;
constexpr char16_t kLastMarker = 0xF8FF;

bool IsMarker(QChar c) { return c.unicode() >= kFirstMarker && c.unicode() <= kLastMarker; }

constexpr const char* kStaleNote = "не пересчитано после изменения исходных данных";
constexpr const char* kControlDoesNotApply =
    "Контроль неприменим: результаты не пересчитаны после изменения исходных данных.";

QString Q(const std::string& s) { return QString::fromStdString(s); }

// Colours of the verdict words; the words themselves carry the verdict, so a
// statement printed in black and white says the same.
QString VerdictHtml(const snesenie::Check& check)
{
    const char* colour = check.verdict == snesenie::Verdict::Ok         ? "#007000"
                         : check.verdict == snesenie::Verdict::Exceeded ? "#c00000"
                                                                        : "#a05000";
    return QStringLiteral("<b><span style=\"color:%1\">%2</span></b>")
        .arg(QLatin1String(colour), QString::fromUtf8(snesenie::VerdictWord(check)));
}

class Builder {
public:
    /// texts, when given, makes the template of the statement: every text
    /// that differs from station to station is left out, a marker in its
    /// place, and kept in texts in the order of the markers.
    Builder(const StatementSource& source, QSize scheme, std::vector<QString>* texts = nullptr)
        : s_(source), scheme_(scheme), texts_(texts)
    {
    }

    QString Html() const
    {
        QString h;
        h += QStringLiteral("<html><body>");
        h += Heading();
        h += Section(QStringLiteral("1. Исходные данные и результаты измерений"));
        h += SideBySide(GivenPoints(), Measurements());
        h += Section(QStringLiteral("2. Дирекционные углы и расстояния от A (страница 1)"));
        h += StaleNote(1);
        h += Page1();
        h += QStringLiteral("<p style=\"font-size:4pt; margin:0px\">&nbsp;</p>");
        h += SideBySide(
            Section(QStringLiteral("3. AP = d и дирекционный угол (AP) (страница 2)")) + StaleNote(2) + Page2(),
            Section(QStringLiteral("4. Координаты пункта P (страница 3)")) + StaleNote(3) + Page3());
        h += Section(QStringLiteral("5. Контроль"));
        h += Control();
        // Signed under the sheet and its control, before the estimate.
        h += QStringLiteral("<p style=\"margin-top:22px\">Вычислил: ______________________"
                            "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Проверил: ______________________</p>");
        h += Accuracy();
        h += QStringLiteral("</body></html>");
        return h;
    }

private:
    // A text of this station, escaped, or a marker for it in a template.
    // A text the markup would read otherwise than as it is (spaces that
    // fold, a line break, the marker itself) stays in the markup; a
    // no-break space is read as it is.
    QString V(const QString& text) const
    {
        if (texts_ == nullptr || text.isEmpty() || text.front() == ' ' || text.back() == ' ' ||
            text.contains(QStringLiteral("  ")) || texts_->size() > std::size_t(kLastMarker - kFirstMarker))
            return text.toHtmlEscaped();
        for (const QChar c : text)
            if (IsMarker(c) || c.category() == QChar::Other_Control ||
                (c.isSpace() && c != ' ' && c != QChar::Nbsp))
                return text.toHtmlEscaped();
        texts_->push_back(text);
        return QString(QChar(char16_t(kFirstMarker + texts_->size() - 1)));
    }

    // The text of a field exactly as the window shows it; a dash while it is
    // empty. A result of a page that no longer follows from the data is grey,
    // as on the screen.
    // Fields are named by FieldId, so that a misspelt one does not compile.
    QString F(snesenie::FieldId id) const
    {
        const snesenie::FieldInfo& field = snesenie::Field(id);
        const QString text = Q(s_.fields.GetText(std::string(field.name)));
        if (text.isEmpty())
            return QStringLiteral("—");
        if (field.kind == snesenie::FieldKind::Output && Stale(field.page))
            return QStringLiteral("<span style=\"color:#808080\">%1</span>").arg(V(text));
        return V(text);
    }

    // The page shows results, but not those of its data as they stand.
    bool Stale(int page) const
    {
        if (s_.control.PageCurrent(page))
            return false;
        for (const snesenie::FieldInfo& f : snesenie::Fields())
            if (f.page == page && f.kind == snesenie::FieldKind::Output && !s_.fields.GetText(std::string(f.name)).empty())
                return true;
        return false;
    }

    // Under the title of a page's section, when its results are stale.
    QString StaleNote(int page) const
    {
        if (!Stale(page))
            return {};
        return QStringLiteral("<p style=\"color:#808080; margin-top:0px; margin-bottom:3px\"><i>%1</i></p>")
            .arg(QString::fromUtf8(kStaleNote));
    }

    // An angle typed in three boxes, put together the way the sheet prints angles.
    QString Angle(snesenie::FieldId g, snesenie::FieldId m, snesenie::FieldId s) const
    {
        const auto empty = [this](snesenie::FieldId id) {
            return s_.fields.GetText(std::string(snesenie::Field(id).name)).empty();
        };
        if (empty(g) && empty(m) && empty(s))
            return QStringLiteral("—");
        return F(g) + QStringLiteral("°") + F(m) + QStringLiteral("`") + F(s) + QStringLiteral("``");
    }

    static QString Section(const QString& title)
    {
        return QStringLiteral("<p style=\"margin-top:8px; margin-bottom:3px\"><b>%1</b></p>").arg(title);
    }

    // Every table spans its column; no cell ever breaks a number.
    static QString TableStart(const QStringList& headings)
    {
        QString h = QStringLiteral("<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"2\" "
                                   "style=\"border-collapse:collapse; border-color:#808080\"><tr>");
        for (const QString& heading : headings)
            h += QStringLiteral("<th style=\"white-space:nowrap\">%1</th>").arg(heading);
        return h + QStringLiteral("</tr>");
    }

    static QString Row(const QStringList& cells)
    {
        QString h = QStringLiteral("<tr>");
        for (qsizetype i = 0; i < cells.size(); ++i)
            h += (i % 2 == 0 && cells.size() > 3) || i == 0
                     ? QStringLiteral("<td style=\"white-space:nowrap\">%1</td>").arg(cells[i])
                     : QStringLiteral("<td style=\"white-space:nowrap\" align=\"right\">%1</td>").arg(cells[i]);
        return h + QStringLiteral("</tr>");
    }

    static QString SideBySide(const QString& left, const QString& right)
    {
        return QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"0\"><tr>"
                              "<td width=\"48%\" valign=\"top\">%1</td><td width=\"4%\"></td>"
                              "<td width=\"48%\" valign=\"top\">%2</td></tr></table>")
            .arg(left, right);
    }

    QString Heading() const
    {
        const QString job = s_.jobName.isEmpty() ? QStringLiteral("без имени") : V(s_.jobName);
        // Both sides given: a picture with its height left out is made as
        // tall as it is in pixels when laid out off the window's thread,
        // where a bundle lays out its statements.
        constexpr int width = 210;
        const int height = scheme_.isEmpty() ? width : qRound(qreal(width) * scheme_.height() / scheme_.width());
        QString h = QStringLiteral("<img src=\"snesenie:scheme\" width=\"%1\" height=\"%2\" align=\"right\">")
                        .arg(width)
                        .arg(height);
        h += QStringLiteral("<p align=\"left\" style=\"font-size:14pt; margin-bottom:0px\"><b>Ведомость</b></p>"
                            "<p style=\"margin-top:0px\">вычисления координат пункта P<br>"
                            "(снесение координат с вершины знака на землю)</p>");
        h += QStringLiteral("<p>Задание: <b>%1</b><br>Дата и время: %2<br>Программа: snesenie %3</p>")
                 .arg(job, s_.when.toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                      QString::fromUtf8(snesenie::kVersion));
        QStringList missing;
        for (int page = 1; page <= 3; ++page)
            if (!s_.control.PageCurrent(page))
                missing << QString::number(page);
        if (!missing.isEmpty()) {
            const QString last = missing.takeLast();
            const QString pages = missing.isEmpty()
                                      ? QStringLiteral("Не вычислена по текущим данным: страница %1.").arg(last)
                                      : QStringLiteral("Не вычислены по текущим данным: страницы %1 и %2.")
                                            .arg(missing.join(QStringLiteral(", ")), last);
            h += QStringLiteral("<p><b>%1</b> Поля, которые ещё не вычислялись, отмечены прочерком.</p>").arg(pages);
        }
        return h;
    }

    QString GivenPoints() const
    {
        QString h = TableStart({QStringLiteral("Пункт"), QStringLiteral("X"), QStringLiteral("Y")});
        h += Row({QStringLiteral("A"), F(Id::EXa), F(Id::EYa)});
        h += Row({QStringLiteral("B"), F(Id::EXb), F(Id::EYb)});
        h += Row({QStringLiteral("C"), F(Id::EXc), F(Id::EYc)});
        return h + QStringLiteral("</table>");
    }

    QString Measurements() const
    {
        QString h = TableStart({QString(), QStringLiteral("Вариант АВР"), QStringLiteral("Вариант АСР")});
        h += Row({QStringLiteral("β1"), Angle(Id::Ebb1g, Id::Ebb1m, Id::Ebb1s), Angle(Id::Ebb11g, Id::Ebb11m, Id::Ebb11s)});
        h += Row({QStringLiteral("β2"), Angle(Id::Ebb2g, Id::Ebb2m, Id::Ebb2s), Angle(Id::Ebb22g, Id::Ebb22m, Id::Ebb22s)});
        h += Row({QStringLiteral("δ"), Angle(Id::Edd1g, Id::Edd1m, Id::Edd1s), Angle(Id::Edd2g, Id::Edd2m, Id::Edd2s)});
        h += Row({QStringLiteral("b"), F(Id::Eb1), F(Id::Eb2)});
        return h + QStringLiteral("</table>");
    }

    QString Page1() const
    {
        QString h = TableStart({QString(), QStringLiteral("A → B"), QString(), QStringLiteral("A → C")});
        const struct {
            const char* toB;
            Id b;
            const char* toC;
            Id c;
        } rows[] = {
            {"Xb − Xa", Id::EXbXa, "Xc − Xa", Id::EXcXa},    {"Yb − Ya", Id::EYbYa, "Yc − Ya", Id::EYcYa},
            {"tg(AB)", Id::EtgAB, "tg(AC)", Id::EtgAC},      {"(AB)", Id::EAB, "(AC)", Id::EAC},
            {"cos(AB)", Id::EcosAB, "cos(AC)", Id::EcosAC},  {"sin(AB)", Id::EsinAB, "sin(AC)", Id::EsinAC},
            {"AB = S", Id::ES1, "AC = S", Id::ES11},         {"AB = S`", Id::ES2, "AC = S`", Id::ES22},
        };
        for (const auto& r : rows)
            h += Row({QString::fromUtf8(r.toB), F(r.b), QString::fromUtf8(r.toC), F(r.c)});
        return h + QStringLiteral("</table>");
    }

    // The page's results of both variants side by side, a row for each
    // quantity, as the field table pairs them.
    QString VariantTable(int page) const
    {
        QString h = TableStart({QString(), QStringLiteral("Вариант АВР"), QStringLiteral("Вариант АСР")});
        for (const auto& [b, c] : snesenie::VariantPairs(page)) {
            const std::string_view quantity = snesenie::Quantity(snesenie::Field(b));
            h += Row({QString::fromUtf8(quantity.data(), static_cast<qsizetype>(quantity.size())),
                      F(b), F(c)});
        }
        return h + QStringLiteral("</table>");
    }

    QString Page2() const
    {
        QString h = VariantTable(2);
        h += QStringLiteral("<p style=\"margin-top:3px\">Среднее d = %1</p>").arg(F(Id::d));
        return h;
    }

    QString Page3() const
    {
        QString h = VariantTable(3);
        // A mean that no longer follows from the data is not set off as the result.
        const QString mean = Stale(3) ? QStringLiteral("Xp = %1<br>Yp = %2") : QStringLiteral("<b>Xp = %1</b><br><b>Yp = %2</b>");
        h += QStringLiteral("<p style=\"margin-top:6px; font-size:11pt\">Среднее:<br>%1</p>")
                 .arg(mean.arg(F(Id::Xp), F(Id::Yp)));
        return h;
    }

    QString Control() const
    {
        const std::optional<snesenie::ControlReport>& report = s_.control.Report();
        if (!report && Stale(3))
            return QStringLiteral("<p><b>%1</b></p>").arg(QString::fromUtf8(kControlDoesNotApply));
        if (!report)
            return QStringLiteral("<p>%1</p>").arg(QString::fromUtf8(snesenie::kControlNotComputed));
        QString h = TableStart({QStringLiteral("Проверка"), QStringLiteral("Значение"), QStringLiteral("Допуск"),
                                QStringLiteral("Вывод")});
        for (const snesenie::Check& c : report->checks)
            h += QStringLiteral("<tr><td style=\"white-space:nowrap\">%1</td><td>%2</td><td style=\"white-space:nowrap\">%3</td><td style=\"white-space:nowrap\">%4</td></tr>")
                     .arg(Q(c.title).toHtmlEscaped(), V(Q(c.value)), Q(c.tolerance).toHtmlEscaped(), VerdictHtml(c));
        h += QStringLiteral("</table><p style=\"margin-top:3px\"><b>%1</b></p>").arg(V(Q(report->Summary())));
        return h;
    }

    // The estimate in the words of a cadastral report, and its drawing.
    QString Accuracy() const
    {
        const std::optional<snesenie::ControlReport>& report = s_.control.Report();
        if (!report)
            return {};
        const snesenie::AccuracyEstimate& a = report->accuracy;
        // On a page of its own: the sheet and its control fill the first.
        QString h = QStringLiteral("<p style=\"page-break-before:always; margin-bottom:3px\"><b>%1</b></p>")
                        .arg(QStringLiteral("6. Оценка точности"));
        if (a.none)
            return h + QStringLiteral("<p>Оценку точности дать нельзя: %1.</p>").arg(Q(*a.none).toHtmlEscaped());
        auto m = [this](double metres) { return V(Q(snesenie::FormatMetres4(metres))) + QStringLiteral("\u00A0м"); };
        QString text =
            QStringLiteral("<p>Средняя квадратическая погрешность положения точки P: <b>Mt = √(mx² + my²) = %1\u00A0м</b> "
                           "(mx = %2, my = %3).</p>"
                           "<p>Эллипс средних квадратических погрешностей: a = %4, b = %5, дирекционный угол "
                           "большой полуоси %6°.</p>"
                           "<p>По вариантам: АВР Mt = %7, АСР Mt = %8; ожидаемое расхождение положений P "
                           "m<sub>Δ</sub> = %9.</p>")
                .arg(V(Q(snesenie::FormatMetres3(a.mean.mP))), m(a.mean.mx), m(a.mean.my), m(a.mean.ellipse.a),
                     m(a.mean.ellipse.b), V(Q(snesenie::FormatAxisDirection(a.mean.ellipse.direction))),
                     m(a.variant[0].mP), m(a.variant[1].mP), m(a.mDelta));
        text += QStringLiteral("<p>Оценка априорная, по строгому решению, при средних квадратических ошибках "
                               "измерений: %1; базис — √(a² + (b/N)²).</p>")
                    .arg(Q(snesenie::PrecisionText(report->precision)).toHtmlEscaped());
        return h + SideBySide(text, QStringLiteral("<img src=\"snesenie:accuracy\" width=\"300\">"));
    }

    const StatementSource& s_;
    const QSize scheme_;  // the picture's pixels
    std::vector<QString>* texts_;
};

// The pieces of a document's text, each in one format, in order.
std::vector<QTextFragment> Fragments(const QTextDocument& document)
{
    std::vector<QTextFragment> fragments;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto piece = block.begin(); !piece.atEnd(); ++piece)
            fragments.push_back(piece.fragment());
    return fragments;
}

// The first picture of document named name; invalid when there is none.
QTextFragment FindImage(const QTextDocument& document, const QString& name)
{
    for (const QTextFragment& fragment : Fragments(document))
        if (const QTextCharFormat format = fragment.charFormat();
            format.isImageFormat() && format.toImageFormat().name() == name)
            return fragment;
    return {};
}

// Whether a text holds a letter that reads right only when shaped: Arabic
// joins its letters, Devanagari reorders them, a combining mark is placed on
// its letter by the face. Latin, Cyrillic, Greek, digits and signs are read
// as they are. A template's markers stand for texts of their own.
bool NeedsShaping(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (c < 0x300 || IsMarker(text[i]))
            continue;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        switch (QChar::script(c)) {
        case QChar::Script_Common:
        case QChar::Script_Latin:
        case QChar::Script_Cyrillic:
        case QChar::Script_Greek:
            continue;
        default:
            return true;
        }
    }
    return false;
}

// The format a text is set in where the paper's face leaves shaping out.
QTextCharFormat Shaped(QTextCharFormat format)
{
    format.setFontStyleStrategy(QFont::PreferDefault);
    return format;
}

} // namespace

void SetPaperMarkup(QTextDocument& document, const QString& markup)
{
    // Liberation faces are installed with the program and embedded in the
    // PDF, so the paper looks the same on every machine.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(9);
    // Set glyph by glyph, the advance of each as the face gives it, without
    // the shaper: Russian, Latin, Greek and digits read the same either way,
    // but for the shaper's kerning, a hair between some letters. Shaping was
    // about a seventh of what a bundle of a thousand statements cost.
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setHtml(markup);
    // A name or a typed text in a script that needs the shaper keeps it.
    QTextCursor cursor(&document);
    for (const QTextFragment& fragment : Fragments(document))
        if (NeedsShaping(fragment.text())) {
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(Shaped({}));
        }
}

QString StatementTitle() { return QStringLiteral("Ведомость вычисления координат пункта P"); }

std::unique_ptr<QTextDocument> BuildStatement(const StatementSource& source)
{
    return BuildStatement(source, snesenie::DrawScheme(snesenie::kPrintSchemeScale));
}

namespace {

// A statement's document read from its markup.
std::unique_ptr<QTextDocument> ReadStatement(const QString& markup, const QImage& scheme)
{
    auto document = std::make_unique<QTextDocument>();
    document->setMetaInformation(QTextDocument::DocumentTitle, StatementTitle());
    document->addResource(QTextDocument::ImageResource, QUrl(QStringLiteral("snesenie:scheme")), scheme);
    SetPaperMarkup(*document, markup);
    return document;
}

// The drawing of the accuracy takes the place the markup kept for it.
void PlaceAccuracyDrawing(QTextDocument& document, const StatementSource& source)
{
    if (const std::optional<snesenie::ControlReport>& report = source.control.Report(); report && !report->accuracy.none)
        if (const QTextFragment place = FindImage(document, QStringLiteral("snesenie:accuracy")); place.isValid()) {
            QTextCursor cursor(&document);
            cursor.setPosition(place.position());
            cursor.setPosition(place.position() + place.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(
                AccuracyTextObject::Format(place.charFormat(), *report, place.charFormat().toImageFormat().width()));
        }
}

// Fills the empty copy with document's settings and content, its whole
// text, as QTextDocument::clone does; the pictures (the scheme) are handed
// over before the layout asks for them.
void Copy(QTextDocument& copy, const QTextDocument& document, const QTextDocumentFragment& content)
{
    copy.setDefaultFont(document.defaultFont());
    copy.setIndentWidth(document.indentWidth());
    copy.setDefaultTextOption(document.defaultTextOption());
    copy.setDocumentMargin(document.documentMargin());
    for (const QTextFragment& fragment : Fragments(document))
        if (const QTextCharFormat format = fragment.charFormat(); format.isImageFormat()) {
            const QUrl name(format.toImageFormat().name());
            copy.addResource(QTextDocument::ImageResource, name,
                             document.resource(QTextDocument::ImageResource, name));
        }
    QTextCursor(&copy).insertFragment(content);
    copy.rootFrame()->setFrameFormat(document.rootFrame()->frameFormat());
}

// Templates kept at once by a bundle's thread: its stations differ in a
// verdict or two, each a template of its own; a bundle that runs through
// more starts again.
constexpr std::size_t kTemplates = 16;

} // namespace

std::unique_ptr<QTextDocument> BuildStatement(const StatementSource& source, const QImage& scheme)
{
    std::unique_ptr<QTextDocument> document = ReadStatement(Builder(source, scheme.size()).Html(), scheme);
    PlaceAccuracyDrawing(*document, source);
    return document;
}

struct StatementTemplates::Template {
    std::unique_ptr<QTextDocument> document;  // read from the markup with its markers
    QTextDocumentFragment content;            // its whole text
    std::vector<int> places;                  // where the markers are, in order
    std::vector<std::size_t> texts;           // which text each stands for
    std::vector<QTextCharFormat> formats;     // and the format of each
};

StatementTemplates::StatementTemplates(const QImage& scheme) : scheme_(scheme) {}

StatementTemplates::~StatementTemplates() = default;

std::unique_ptr<DocumentPages> StatementTemplates::LayOut(const StatementSource& source, QPagedPaintDevice& device)
{
    std::vector<QString> texts;
    const QString markup = Builder(source, scheme_.size(), &texts).Html();
    auto found = templates_.find(markup);
    if (found == templates_.end()) {
        auto made = std::make_unique<Template>();
        made->document = ReadStatement(markup, scheme_);
        const QString raw = made->document->toRawText();
        std::vector<bool> seen(texts.size(), false);
        bool whole = true;
        for (int at = 0; at < raw.size(); ++at)
            if (IsMarker(raw[at])) {
                const std::size_t k = raw[at].unicode() - kFirstMarker;
                whole = whole && k < texts.size() && !seen[k];
                if (!whole)
                    break;
                seen[k] = true;
                QTextCursor cursor(made->document.get());
                cursor.setPosition(at + 1);
                made->places.push_back(at);
                made->texts.push_back(k);
                made->formats.push_back(cursor.charFormat());
            }
        // The markup read otherwise than it was written: made as a single
        // statement is.
        if (!whole || made->places.size() != texts.size()) {
            const std::unique_ptr<QTextDocument> statement = BuildStatement(source, scheme_);
            return std::make_unique<DocumentPages>(*statement, QTextDocumentFragment(statement.get()), device);
        }
        made->content = QTextDocumentFragment(made->document.get());
        if (templates_.size() >= kTemplates)
            templates_.clear();
        found = templates_.emplace(markup, std::move(made)).first;
    }
    const Template& made = *found->second;
    return std::make_unique<DocumentPages>(
        [&](QTextDocument& copy) {
            Copy(copy, *made.document, made.content);
            // From the last, so that the places before stay where they were.
            QTextCursor cursor(&copy);
            for (std::size_t k = made.places.size(); k-- > 0;) {
                if (!IsMarker(copy.characterAt(made.places[k])))
                    throw std::logic_error("a statement's template lost a marker in the copy");
                cursor.setPosition(made.places[k]);
                cursor.setPosition(made.places[k] + 1, QTextCursor::KeepAnchor);
                const QString& text = texts[made.texts[k]];
                cursor.insertText(text, NeedsShaping(text) ? Shaped(made.formats[k]) : made.formats[k]);
            }
            PlaceAccuracyDrawing(copy, source);
        },
        device);
}

void PrepareStatementDevice(QPagedPaintDevice& device)
{
    // Paper that comes with no margins (a PDF) gets a narrow edge, so that
    // the document's own margins are measured from where a printer could
    // print anyway.
    if (device.pageLayout().margins(QPageLayout::Millimeter).isNull())
        device.setPageMargins(QMarginsF(2, 2, 2, 2), QPageLayout::Millimeter);
}

int PaintDocumentPages(const QTextDocument& document, QPainter& painter, QPagedPaintDevice& device, int firstNumber,
                       bool ownRules)
{
    const DocumentPages pages(document, QTextDocumentFragment(&document), device, ownRules);
    pages.Paint(painter, firstNumber);
    return pages.Count();
}

DocumentPages::DocumentPages(const QTextDocument& document, const QTextDocumentFragment& content,
                             QPagedPaintDevice& device, bool ownRules)
    : DocumentPages([&](QTextDocument& copy) { Copy(copy, document, content); }, device, ownRules)
{
}

DocumentPages::DocumentPages(const std::function<void(QTextDocument&)>& fill, QPagedPaintDevice& device,
                             bool ownRules)
    : device_(device)
{
    // Laid out at the device's resolution: the lengths of the document (in
    // pixels of the screen it was made for) are scaled to it, so 2 cm of
    // margin are 2 cm on paper whatever the printer. The document is given
    // its layout, the device and the page while it is still empty, and
    // filled in one edit: so it is laid out once, for the device only.
    // A layout made for the screen first would cost as much again, and the
    // layout is most of what a statement in a bundle of a thousand costs.
    const QScreen* screen = QGuiApplication::primaryScreen();
    sourceDpiX_ = screen != nullptr ? qRound(screen->logicalDotsPerInchX()) : 96;
    sourceDpiY_ = screen != nullptr ? qRound(screen->logicalDotsPerInchY()) : 96;
    const int marginX = int(2 / 2.54 * sourceDpiX_);
    const int marginY = int(2 / 2.54 * sourceDpiY_);
    const QSizeF body(device.width(), device.height());
    const auto layOut = [&](bool ownGrids, QList<TableGrid>& grids) {
        auto copy = std::make_unique<QTextDocument>();
        copy->documentLayout()->setPaintDevice(&device);
        copy->documentLayout()->registerHandler(AccuracyTextObject::kType, new AccuracyTextObject(copy.get()));
        copy->setPageSize(body);
        QTextCursor cursor(copy.get());
        cursor.beginEditBlock();
        fill(*copy);
        if (ownGrids)
            grids = TakeTableGrids(*copy, device.logicalDpiY() / sourceDpiY_);
        // Each line's glyphs kept from the layout to the painting, rather
        // than the text shaped a second time to be painted.
        for (QTextBlock block = copy->begin(); block.isValid(); block = block.next())
            block.layout()->setCacheEnabled(true);
        QTextFrameFormat frame = copy->rootFrame()->frameFormat();
        frame.setLeftMargin(marginX);
        frame.setRightMargin(marginX);
        frame.setTopMargin(marginY);
        frame.setBottomMargin(marginY);
        copy->rootFrame()->setFrameFormat(frame);
        cursor.endEditBlock();
        return copy;
    };
    // The ruled tables drawn by the program (see TableGrid.h); a document
    // where they cannot be, such as one whose table runs over a page, keeps
    // the layout's own rules and is laid out again.
    copy_ = layOut(ownRules, grids_);
    if (!grids_.isEmpty() && !GridsCanBePainted(*copy_->documentLayout(), grids_, body.height())) {
        grids_.clear();
        copy_ = layOut(false, grids_);
    }
    count_ = copy_->pageCount();
}

DocumentPages::~DocumentPages() = default;

void DocumentPages::Paint(QPainter& painter, int firstNumber) const
{
    QAbstractTextDocumentLayout* layout = copy_->documentLayout();
    const QRectF body(0, 0, device_.width(), device_.height());
    const int marginX = int(2 / 2.54 * sourceDpiX_);
    const int marginY = int(2 / 2.54 * sourceDpiY_);
    // The page number at the foot, right under the text's right edge.
    const QFont numberFont(copy_->defaultFont(), &device_);
    const QPointF numberAt(body.width() - marginX * device_.logicalDpiX() / sourceDpiX_,
                           body.height() - marginY * device_.logicalDpiY() / sourceDpiY_ +
                               QFontMetricsF(numberFont).ascent() + 5 * device_.logicalDpiY() / 72.0);
    for (int page = 0; page < count_; ++page) {
        if (page > 0)
            device_.newPage();
        painter.save();
        const QRectF view(0, page * body.height(), body.width(), body.height());
        painter.translate(body.left(), body.top() - view.top());
        painter.setClipRect(view);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = view;
        // Black on the paper, whatever the desktop's colour of text.
        context.palette.setColor(QPalette::Text, Qt::black);
        layout->draw(&painter, context);
        PaintTableGrids(painter, *layout, grids_, view);
        painter.setClipping(false);
        painter.setFont(numberFont);
        const QString number = QString::number(firstNumber + page);
        painter.drawText(QPointF(numberAt.x() - painter.fontMetrics().horizontalAdvance(number),
                                 numberAt.y() + view.top()),
                         number);
        painter.restore();
    }
}

void RenderStatement(const QTextDocument& statement, QPagedPaintDevice& device)
{
    PrepareStatementDevice(device);
    QPainter painter(&device);
    if (painter.isActive())
        PaintDocumentPages(statement, painter, device);
}

void SetUpPdfWriter(QPdfWriter& writer, const QString& title)
{
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    // The document keeps its own 2 cm margins.
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(600);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("snesenie %1").arg(QString::fromUtf8(snesenie::kVersion)));
}

QString WritePdfFile(const QByteArray& bytes, const std::filesystem::path& path, const QString& what)
{
    return WritePdfFile(std::string_view(bytes.constData(), std::size_t(bytes.size())), path, what);
}

QString WritePdfFile(std::string_view bytes, const std::filesystem::path& path, const QString& what)
{
    const std::string name = snesenie::job::PathToUtf8(path);
    try {
        snesenie::job::WriteFileAtomically(path, bytes);
    } catch (const snesenie::job::FileError& e) {
        return QStringLiteral("Не удалось записать %1 %2: %3.")
            .arg(what, QString::fromStdString(snesenie::QuotePath(name)), QString::fromUtf8(e.what()));
    }
    return {};
}

QString WriteStatementPdf(const QTextDocument& statement, const QString& path)
{
    return WriteStatementPdf(statement, snesenie::FsPath(path));
}

QString WriteStatementPdf(const QTextDocument& statement, const std::filesystem::path& path)
{
    // Made whole in memory first, then handed to the one checked writer that
    // saves jobs too: a statement cut short by a full disk never replaces an
    // older one.
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        SetUpPdfWriter(writer, StatementTitle());
        RenderStatement(statement, writer);
    }
    return WritePdfFile(bytes, path, QStringLiteral("ведомость"));
}
