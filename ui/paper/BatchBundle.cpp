// ui/paper — what goes on paper: the statement of one sheet (Statement), its
// PDF without a window (PdfExport), and the bundle of a whole batch, a
// summary and every station's statement in one PDF (BatchBundle, here, and
// Экспорт пакета в PDF… of the list of stations, BatchListExport).

#include "BatchBundle.h"
#include "PdfJoin.h"
#include "FilePaths.h"

#include "Errors.h"
#include "Results.h"
#include "RunStation.h"
#include "SchemeDrawing.h"
#include "Sheet.h"
#include "Statement.h"
#include "Utf8Path.h"
#include "Version.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QThread>

using namespace snesenie;
using namespace snesenie::batch;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString BundleTitle() { return QStringLiteral("Пакет ведомостей вычисления координат пункта P"); }

// The checks beyond their tolerance (or, when none is, those with a
// warning), in the control's short words.
QString Findings(const ControlReport& report)
{
    QStringList words;
    for (const Check& c : report.checks)
        if (c.verdict == report.Overall())
            words << Q(c.brief);
    return words.join(QStringLiteral(", "));
}

// Digits after the decimal comma of a number as the sheet prints it; -1 for
// a text that is no plain number, which is shown as it is.
int Decimals(const std::string& text)
{
    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(,[0-9]+)?$"));
    const QString t = Q(text);
    if (!number.match(t).hasMatch())
        return -1;
    const qsizetype comma = t.indexOf(',');
    return comma < 0 ? 0 : int(t.size() - comma - 1);
}

// The sheet drops trailing zeros (6227,2); in a column of the summary every
// number gets as many decimals as the longest, so that the commas line up.
QString Aligned(const std::string& text, int decimals)
{
    const int has = Decimals(text);
    QString t = Q(text);
    if (has < 0 || has >= decimals)
        return t;
    if (has == 0)
        t += ',';
    return t + QString(decimals - has, '0');
}

// The summary's table is laid out in tables of so many rows, each with its
// header: one table of thousands of rows takes the text layout time that
// grows faster than the rows (4,000 failed stations took 21 s, in pieces
// 11 s), while a piece costs the same wherever it stands.
constexpr std::size_t kRowsPerTable = 50;

class SummaryBuilder {
public:
    SummaryBuilder(const StationList& list, const std::vector<StationResult>& results, const BundleHeading& heading)
        : list_(list), results_(results), heading_(heading)
    {
        for (const StationResult& r : results_)
            for (int c = 0; c < 2 && r.computed; ++c)
                decimals_[c] = std::max(decimals_[c], Decimals(r.point[4 + c]));
    }

    QString Html() const
    {
        int computed = 0, failed = 0, exceeded = 0;
        for (const StationResult& r : results_) {
            computed += r.computed ? 1 : 0;
            failed += r.computed ? 0 : 1;
            exceeded += r.computed && ControlExceeded(r.control) ? 1 : 0;
        }
        QString h = QStringLiteral("<html><body>");
        h += QStringLiteral("<p style=\"font-size:14pt; margin-bottom:0px\"><b>Сводка пакета станций</b></p>"
                            "<p style=\"margin-top:0px\">вычисления координат пункта P "
                            "(снесение координат с вершины знака на землю)</p>");
        h += QStringLiteral("<p>Таблица станций: <b>%1</b><br>Дата и время: %2<br>Программа: snesenie %3<br>"
                            "Допуски: %4</p>")
                 .arg(heading_.stationsName.toHtmlEscaped(), heading_.when.toString(QStringLiteral("dd.MM.yyyy HH:mm")),
                      QString::fromUtf8(kVersion), Q(TolerancesText(heading_.tolerances)).toHtmlEscaped());
        h += QStringLiteral("<p style=\"font-size:10pt\">Станций: <b>%1</b>. Вычислено: <b>%2</b>, "
                            "не вычислено: <b>%3</b>, допуск превышен: <b>%4</b>.</p>")
                 .arg(results_.size())
                 .arg(computed)
                 .arg(failed)
                 .arg(exceeded);
        const QString head = QStringLiteral(
            "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\" "
            "style=\"border-collapse:collapse; border-color:#808080\">"
            "<thead><tr style=\"background-color:#e8e8e8\"><th width=\"5%\">№</th>"
            "<th width=\"21%\">Станция</th><th width=\"12%\">Xp</th><th width=\"12%\">Yp</th>"
            "<th width=\"8%\">Mt, м</th><th width=\"42%\">Вывод</th></tr></thead>");
        h += head;
        for (std::size_t i = 0; i < results_.size() && i < list_.stations.size(); ++i) {
            if (i > 0 && i % kRowsPerTable == 0)
                h += QStringLiteral("</table>") + head;
            h += Row(i);
        }
        h += QStringLiteral("</table>");
        h += QStringLiteral("<p style=\"margin-top:8px\">Xp, Yp — среднее двух вариантов, как на странице 3; Mt — "
                            "средняя квадратическая погрешность положения P по точности измерений (%1), у станции "
                            "со своими столбцами точности — по её точности. "
                            "Ведомости вычисленных станций следуют далее, каждая с новой страницы; "
                            "у станции, которая не вычислена, ведомости нет.</p>")
                 .arg(Q(PrecisionText(heading_.precision)).toHtmlEscaped());
        h += QStringLiteral("<p style=\"margin-top:22px\">Вычислил: ______________________"
                            "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;Проверил: ______________________</p>");
        h += QStringLiteral("</body></html>");
        return h;
    }

private:
    QString Row(std::size_t i) const
    {
        const Station& station = list_.stations[i];
        const StationResult& result = results_[i];
        QString verdict, xp = QStringLiteral("—"), yp = QStringLiteral("—"), mt = QStringLiteral("—"), shade;
        if (!result.computed) {
            // The reason in the words of the message, where it stopped first.
            verdict = QStringLiteral("<b>НЕ ВЫЧИСЛЕНА:</b> %1").arg(Q(FailureText(station, result, list_)).toHtmlEscaped());
            shade = QStringLiteral(" style=\"background-color:#f2caca\"");
        } else {
            xp = Aligned(result.point[4], decimals_[0]).toHtmlEscaped();
            yp = Aligned(result.point[5], decimals_[1]).toHtmlEscaped();
            if (result.control && !result.control->accuracy.none)
                mt = Q(FormatMetres3(result.control->accuracy.mean.mP));
            const Verdict overall = result.control ? result.control->Overall() : Verdict::Ok;
            const QString word = Q(VerdictWord(overall));
            if (overall == Verdict::Exceeded) {
                verdict = QStringLiteral("<b>%1:</b> %2").arg(word.toUpper(), Findings(*result.control).toHtmlEscaped());
                shade = QStringLiteral(" style=\"background-color:#fbe3c0\"");
            } else if (overall == Verdict::Warning) {
                verdict = QStringLiteral("%1: %2").arg(word, Findings(*result.control).toHtmlEscaped());
            } else {
                verdict = word;
            }
        }
        return QStringLiteral("<tr%1><td align=\"right\">%2</td><td>%3</td>"
                              "<td align=\"right\" style=\"white-space:nowrap\">%4</td>"
                              "<td align=\"right\" style=\"white-space:nowrap\">%5</td>"
                              "<td align=\"right\" style=\"white-space:nowrap\">%6</td><td>%7</td></tr>")
            .arg(shade)
            .arg(i + 1)
            .arg(BundleStationName(station.name).toHtmlEscaped(), xp, yp, mt, verdict);
    }

    const StationList& list_;
    const std::vector<StationResult>& results_;
    const BundleHeading& heading_;
    int decimals_[2] = {0, 0};
};

// The statements of a bundle painted in parts, one a core. A part is a run
// of computed stations that one thread computes again, lays out and paints
// into a PDF of its own: text laid out on a thread is painted on that
// thread, since its glyphs belong to the thread's fonts. The parts are
// joined at the end (PdfJoin.h). The pages are numbered through the
// bundle, but a part learns where it truly begins only when the parts
// before it are painted; it begins where it would if every statement before
// it took as many pages as its own first one, the summary's pages once they
// are known, and a part that guessed wrong is painted again when all are
// done. Every statement of a batch takes the same pages unless a long name
// or a long control runs one over, so that is rare.
// Stations in a part, at least, once there are enough for every thread.
constexpr std::size_t kStationsPerPart = 25;
// Statements a part lays out at most while it waits to learn where it begins.
constexpr std::size_t kWaiting = 8;

class BundleParts {
public:
    using Stop = std::function<bool(int done)>;

    BundleParts(const StationList& list, const std::vector<StationResult>& results, const BundleHeading& heading,
                int painters)
        : list_(list), results_(results), heading_(heading), scheme_(DrawScheme(kPrintSchemeScale))
    {
        std::vector<std::size_t> computed;
        for (std::size_t i = 0; i < results.size() && i < list.stations.size(); ++i)
            if (results[i].computed)
                computed.push_back(i);
        painters_ = std::size_t(std::max(painters > 0 ? painters : QThread::idealThreadCount(), 1));
        // Parts taken in turn, each a share of the stations still left, so
        // that they grow smaller towards the end and the threads finish
        // together; not smaller than a few dozen stations, since each part
        // embeds its own fonts. A small bundle is shared out evenly.
        const std::size_t n = computed.size();
        std::vector<std::size_t> firsts;  // of each part, in computed
        if (n / kStationsPerPart < painters_) {
            const std::size_t parts = std::clamp<std::size_t>(painters_, 1, std::max<std::size_t>(n, 1));
            for (std::size_t k = 0; k < parts; ++k)
                firsts.push_back(n * k / parts);
        } else {
            for (std::size_t at = 0; at < n;) {
                firsts.push_back(at);
                at += std::max(kStationsPerPart, (n - at + 2 * painters_ - 1) / (2 * painters_));
            }
        }
        parts_.resize(firsts.size());
        for (std::size_t k = 0; k < parts_.size(); ++k) {
            Part& part = parts_[k];
            part.before = static_cast<int>(firsts[k]);
            part.from = k == 0 ? 0 : computed[firsts[k]];
            part.to = k + 1 == parts_.size() ? list.stations.size() : computed[firsts[k + 1]];
        }
        parts_[0].firstNumber = 1;
    }

    ~BundleParts() { Join(); }
    BundleParts(const BundleParts&) = delete;
    BundleParts& operator=(const BundleParts&) = delete;

    /// Paints every part. stop is told, on this thread, of every station
    /// passed, in order, and asked again while none is, so that a window
    /// waiting here paints; when it says stop, every part stops. Throws what
    /// a part threw.
    void Paint(const Stop& stop)
    {
        std::vector<Part*> all;
        for (Part& part : parts_)
            all.push_back(&part);
        if (!Run(all, stop))
            return;
        std::vector<Part*> again;
        int number = 1;
        for (Part& part : parts_) {
            if (part.firstNumber != number) {
                part.firstNumber = number;
                again.push_back(&part);
            }
            number += part.pages;
        }
        repainting_ = true;
        Run(again, stop);
    }

    /// The whole bundle, once painted; the parts are let go.
    std::string Joined()
    {
        std::string joined;
        if (parts_.size() == 1) {
            joined.assign(parts_[0].pdf.constData(), std::size_t(parts_[0].pdf.size()));
        } else {
            std::vector<std::string_view> pdfs;
            for (const Part& part : parts_)
                pdfs.emplace_back(part.pdf.constData(), std::size_t(part.pdf.size()));
            joined = JoinPdfs(pdfs);
        }
        for (Part& part : parts_)
            part.pdf = QByteArray();
        return joined;
    }

private:
    struct Part {
        std::size_t from = 0, to = 0;  // the stations it passes, failed ones too
        int before = 0;                // computed stations in the parts before it
        int firstNumber = 0;           // of its first page; 0 until it is guessed
        int pages = 0;
        QByteArray pdf;
    };

    // False when stopped.
    bool Run(const std::vector<Part*>& which, const Stop& stop)
    {
        // The parts are taken in order: the first, with the summary whose
        // pages the others wait for, is taken at once.
        std::size_t taken = 0;
        // The threads use taken: whatever leaves here, stop says or throws,
        // they are stopped and joined first.
        struct Joined {
            BundleParts& parts;
            ~Joined() { parts.Join(); }
        } joined{*this};
        std::unique_lock<std::mutex> lock(mutex_);
        int told = passed_;
        const std::size_t threads = std::min(painters_, which.size());
        running_ = static_cast<int>(threads);
        for (std::size_t t = 0; t < threads; ++t)
            threads_.emplace_back([this, &which, &taken] {
                for (;;) {
                    Part* part = nullptr;
                    {
                        const std::lock_guard<std::mutex> next(mutex_);
                        if (stopped_ || taken == which.size())
                            break;
                        part = which[taken++];
                    }
                    try {
                        PaintPart(*part);
                    } catch (...) {
                        const std::lock_guard<std::mutex> failed(mutex_);
                        if (!failure_)
                            failure_ = std::current_exception();
                        stopped_ = true;
                    }
                }
                const std::lock_guard<std::mutex> done(mutex_);
                --running_;
                changed_.notify_all();
            });
        bool stopping = false;
        while (!stopping) {
            changed_.wait_for(lock, std::chrono::milliseconds(50), [&] { return running_ == 0 || passed_ != told; });
            const int passed = passed_;
            const bool finished = running_ == 0;
            lock.unlock();
            // Told one by one, as if painted one after another.
            if (passed == told && !finished)
                stopping = stop(told);
            while (told < passed && !stopping)
                stopping = stop(++told);
            lock.lock();
            if (stopping) {
                stopped_ = true;
                changed_.notify_all();
            }
            if (finished)
                break;
        }
        lock.unlock();
        Join();
        if (failure_)
            std::rethrow_exception(failure_);
        return !stopping;
    }

    void Join()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (running_ > 0)
                stopped_ = true;
            changed_.notify_all();
        }
        for (std::thread& thread : threads_)
            thread.join();
        threads_.clear();
    }

    bool Stopped()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return stopped_;
    }

    void PaintPart(Part& part)
    {
        part.pdf.clear();
        part.pages = 0;
        QBuffer buffer(&part.pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        SetUpPdfWriter(writer, BundleTitle());
        PrepareStatementDevice(writer);
        QPainter painter(&writer);
        StatementTemplates templates(scheme_);
        int number = part.firstNumber;
        const auto paint = [&](const DocumentPages& pages) {
            if (part.pages > 0)
                writer.newPage();
            pages.Paint(painter, number);
            number += pages.Count();
            part.pages += pages.Count();
        };
        // Where a part after the first begins, guessed once the summary is
        // laid out (waiting for it when wait is true); false before.
        std::deque<std::unique_ptr<DocumentPages>> waiting;
        const auto begin = [&](bool wait) {
            std::unique_lock<std::mutex> lock(mutex_);
            if (wait)
                changed_.wait(lock, [this] { return summaryPages_ > 0 || stopped_; });
            if (summaryPages_ == 0 || stopped_)
                return false;
            number = part.firstNumber = 1 + summaryPages_ + part.before * waiting.front()->Count();
            return true;
        };
        if (&part == &parts_.front()) {
            const std::unique_ptr<QTextDocument> summary = BuildBatchSummary(list_, results_, heading_);
            const DocumentPages pages(*summary, QTextDocumentFragment(summary.get()), writer);
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                summaryPages_ = pages.Count();
                changed_.notify_all();
            }
            paint(pages);
        }
        for (std::size_t i = part.from; i < part.to; ++i) {
            if (Stopped())
                return;
            if (results_[i].computed) {
                // Computed again from the same texts rather than kept from
                // the summary's run: a sheet per station held for a whole
                // season would grow with the batch.
                Sheet sheet;
                RunStation(list_.stations[i], heading_.tolerances, heading_.precision, sheet);
                std::unique_ptr<DocumentPages> laidOut = templates.LayOut(
                    {sheet.Fields(), sheet.Record(), BundleStationName(list_.stations[i].name), heading_.when},
                    writer);
                if (number != 0) {
                    paint(*laidOut);
                } else {
                    // Laid out while the summary is, to be painted once
                    // the part knows where it begins.
                    waiting.push_back(std::move(laidOut));
                    if (begin(waiting.size() >= kWaiting)) {
                        for (const std::unique_ptr<DocumentPages>& pages : waiting)
                            paint(*pages);
                        waiting.clear();
                    }
                }
            }
            if (!repainting_) {
                const std::lock_guard<std::mutex> lock(mutex_);
                ++passed_;
                changed_.notify_all();
            }
        }
        // A part shorter than the summary's layout.
        if (!waiting.empty()) {
            if (!begin(true))
                return;
            for (const std::unique_ptr<DocumentPages>& pages : waiting)
                paint(*pages);
        }
    }

    const StationList& list_;
    const std::vector<StationResult>& results_;
    const BundleHeading& heading_;
    const QImage scheme_;  // one picture for every statement: each part's PDF holds it once
    std::size_t painters_ = 1;  // threads
    std::vector<Part> parts_;
    std::vector<std::thread> threads_;
    bool repainting_ = false;  // the second round paints stations already counted

    std::mutex mutex_;
    std::condition_variable changed_;
    int passed_ = 0;        // stations passed, all parts together
    int summaryPages_ = 0;  // 0 until the summary is laid out
    int running_ = 0;
    bool stopped_ = false;
    std::exception_ptr failure_;
};

} // namespace

QString BundleStationName(const std::string& text)
{
    // Shown as a message shows a text, without the quotes.
    std::string quoted = QuoteText(text);
    const std::string open = "«", close = "»";
    if (quoted.starts_with(open) && quoted.ends_with(close))
        quoted = quoted.substr(open.size(), quoted.size() - open.size() - close.size());
    return Q(quoted);
}

QString StationsName(const std::filesystem::path& path)
{
    // "jobs/" names the folder jobs.
    const std::filesystem::path name = path.has_filename() ? path.filename() : path.parent_path().filename();
    return QtPath(name);
}

std::unique_ptr<QTextDocument> BuildBatchSummary(const StationList& list, const std::vector<StationResult>& results,
                                                 const BundleHeading& heading)
{
    auto document = std::make_unique<QTextDocument>();
    document->setMetaInformation(QTextDocument::DocumentTitle, BundleTitle());
    SetPaperMarkup(*document, SummaryBuilder(list, results, heading).Html());
    return document;
}

BundleReport WriteBatchBundle(const StationList& list, const BundleHeading& heading, const QString& path,
                              const BundleProgress& progress, int painters)
{
    return WriteBatchBundle(list, heading, FsPath(path), progress, painters);
}

BundleReport WriteBatchBundle(const StationList& list, const BundleHeading& heading, const std::filesystem::path& path,
                              const BundleProgress& progress, int painters)
{
    BundleReport report;
    const std::string target = job::PathToUtf8(path);
    if (const std::string problem = BundleTargetProblem(path, list); !problem.empty()) {
        report.error = QStringLiteral("Не удалось записать пакет ведомостей %1: %2.")
                           .arg(Q(QuotePath(target)), Q(problem));
        return report;
    }

    // The summary goes first, so every station is computed before a page is
    // painted; its statement is made later from the same texts, on a sheet
    // of its own, so that no more than one sheet is held at a time.
    const int total = static_cast<int>(list.stations.size());
    const auto stop = [&](int done) {
        if (!progress || progress(done, total))
            return false;
        report.stopped = true;
        std::error_code error;
        report.error = (std::filesystem::exists(job::PathFromUtf8(target), error)
                            ? QStringLiteral("Пакет ведомостей не записан: запись прервана; файл %1 остался прежним.")
                            : QStringLiteral("Пакет ведомостей не записан: запись прервана; файл %1 не создан."))
                           .arg(Q(QuotePath(target)));
        return true;
    };
    std::vector<StationResult> results;
    results.reserve(list.stations.size());
    for (const Station& station : list.stations) {
        // Computing is quick beside painting; asked now and then, so that a
        // stop is heard at once.
        if (results.size() % 64 == 0 && stop(0))
            return report;
        results.push_back(RunStation(station, heading.tolerances, heading.precision));
        const StationResult& result = results.back();
        if (!result.computed) {
            ++report.failed;
            report.failures << QStringLiteral("Станция %1, %2")
                                   .arg(Q(QuoteText(station.name)), Q(FailureText(station, result, list)));
        } else {
            ++report.computed;
            report.exceeded += ControlExceeded(result.control) ? 1 : 0;
        }
    }

    // Painted in parts, a part to a core, each into a PDF of its own and
    // joined at the end; this thread tells the progress meanwhile, so the
    // window that waits here keeps painting.
    std::string bytes;
    try {
        BundleParts parts(list, results, heading, painters);
        parts.Paint(stop);
        if (report.stopped)
            return report;
        bytes = parts.Joined();
    } catch (const PdfJoinError& e) {
        report.error = QStringLiteral("Не удалось записать пакет ведомостей %1: ошибка программы при сборке PDF (%2).")
                           .arg(Q(QuotePath(target)), QString::fromUtf8(e.what()));
        return report;
    }
    // The last word before the file is touched: a stop heard while the last
    // page was made still leaves the old file as it was.
    if (stop(total))
        return report;
    report.error = WritePdfFile(bytes, path, QStringLiteral("пакет ведомостей"));
    return report;
}
