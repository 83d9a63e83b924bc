#include "ControlPage.h"

#include "AccuracyDrawing.h"
#include "Accuracy.h"
#include "Numbers.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QString M4(double metres) { return Q(snesenie::FormatMetres4(metres)) + QStringLiteral("\u00A0м"); }

// The estimate in a few lines: each variant, the mean with its ellipse, the
// discrepancy to expect, and the precision it was computed from.
QString AccuracyText(const snesenie::ControlReport& r, const QString& source)
{
    const snesenie::AccuracyEstimate& a = r.accuracy;
    QString text = QStringLiteral("<b>Оценка точности</b> (точность измерений: %1%2)<br>")
                       .arg(Q(snesenie::PrecisionText(r.precision)).toHtmlEscaped(), source.isEmpty() ? QString()
                                                                                      : QStringLiteral(" — ") + source);
    if (a.none)
        return text + QStringLiteral("Оценку дать нельзя: %1.").arg(Q(*a.none).toHtmlEscaped());
    const char* names[2] = {"АВР", "АСР"};
    for (int v = 0; v < 2; ++v)
        text += QStringLiteral("%1: mx = %2, my = %3, m<sub>P</sub> = %4; ")
                    .arg(QString::fromUtf8(names[v]), M4(a.variant[v].mx), M4(a.variant[v].my), M4(a.variant[v].mP));
    text += QStringLiteral("<br>среднее: mx = %1, my = %2, <b>Mt = m<sub>P</sub> = %3</b>; эллипс ошибок a = %4, "
                           "b = %5, направление оси a %6°; ожидаемое расхождение вариантов m<sub>Δ</sub> = %7")
                .arg(M4(a.mean.mx), M4(a.mean.my), M4(a.mean.mP), M4(a.mean.ellipse.a), M4(a.mean.ellipse.b),
                     Q(snesenie::FormatAxisDirection(a.mean.ellipse.direction)), M4(a.mDelta));
    return text;
}

} // namespace

// Light backgrounds for the verdict cells, so the dark text on them stays
// readable for anyone, and the word says it for those who cannot tell them apart.
QColor VerdictBackground(snesenie::Verdict verdict)
{
    switch (verdict) {
    case snesenie::Verdict::Ok:
        return QColor(0xd8, 0xf0, 0xd8);
    case snesenie::Verdict::Exceeded:
        return QColor(0xf8, 0xd0, 0xd0);
    case snesenie::Verdict::Warning:
        return QColor(0xfa, 0xe8, 0xc0);
    }
    return {};
}

QColor VerdictColor(snesenie::Verdict verdict)
{
    switch (verdict) {
    case snesenie::Verdict::Ok:
        return QColor(0x00, 0x70, 0x00);
    case snesenie::Verdict::Exceeded:
        return QColor(0xc0, 0x00, 0x00);
    case snesenie::Verdict::Warning:
        return QColor(0xa0, 0x50, 0x00);
    }
    return {};
}

ControlPage::ControlPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TS4"));
}

QLabel* ControlPage::Summary()
{
    Build();
    return summary_;
}

QTableWidget* ControlPage::Table()
{
    Build();
    return table_;
}

QPushButton* ControlPage::TolerancesButton()
{
    Build();
    return tolerancesButton_;
}

QLabel* ControlPage::AccuracySummary()
{
    Build();
    return accuracy_;
}

AccuracyDrawing* ControlPage::Drawing()
{
    Build();
    return drawing_;
}

void ControlPage::SetPrecisionSource(const QString& source)
{
    precisionSource_ = source;
    if (table_ != nullptr)
        Refresh();
}

void ControlPage::showEvent(QShowEvent* event)
{
    Build();
    QWidget::showEvent(event);
}

void ControlPage::Build()
{
    if (table_ != nullptr)
        return;
    // The checks, the estimate and its drawing are taller than the page: it
    // scrolls, and every part keeps the height it needs.
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("ControlScroll"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    outer->addWidget(scroll);
    auto* content = new QWidget(scroll);
    scroll->setWidget(content);
    auto* layout = new QVBoxLayout(content);

    auto* heading = new QLabel(QStringLiteral("Два варианта вычислены независимо и проверяют друг друга. "
                                              "Контроль выполняется, когда вычислена третья страница."),
                               this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setWordWrap(true);
    layout->addWidget(heading);

    summary_ = new QLabel(content);
    summary_->setObjectName(QStringLiteral("ControlSummary"));
    summary_->setFont(bold);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    table_ = new QTableWidget(0, 4, content);
    table_->setObjectName(QStringLiteral("ControlTable"));
    table_->setAccessibleName(QStringLiteral("Проверки контроля"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Проверка"), QStringLiteral("Значение"),
                                      QStringLiteral("Допуск"), QStringLiteral("Вывод")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->setFocusPolicy(Qt::NoFocus);
    // A long value (the rigorous point, every slip of the inputs) wraps in
    // its cell, and the row grows to hold it: the whole of it is read on the
    // page, not only in a tooltip.
    table_->setWordWrap(true);
    table_->setTextElideMode(Qt::ElideNone);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    layout->addWidget(table_, 1);

    auto* note = new QLabel(
        QStringLiteral("Строгое решение находит ψ по теореме синусов (arcsin), а лист — как арктангенс "
                       "синуса; они совпадают, пока d много меньше S. Допуски по умолчанию — типичные "
                       "значения инструкций; задайте допуски своей инструкции."),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);

    accuracy_ = new QLabel(content);
    accuracy_->setObjectName(QStringLiteral("AccuracySummary"));
    accuracy_->setTextFormat(Qt::RichText);
    accuracy_->setWordWrap(true);
    layout->addWidget(accuracy_);
    drawing_ = new AccuracyDrawing(content);
    layout->addWidget(drawing_, 1);

    auto* row = new QHBoxLayout;
    tolerancesButton_ = new QPushButton(QStringLiteral("Допуски…"), content);
    tolerancesButton_->setObjectName(QStringLiteral("TolerancesButton"));
    tolerancesButton_->setAutoDefault(false);
    connect(tolerancesButton_, &QPushButton::clicked, this, &ControlPage::TolerancesRequested);
    row->addWidget(tolerancesButton_);
    row->addStretch(1);
    layout->addLayout(row);

    Refresh();
}

// Every check in sight without a scroll bar of its own: the page scrolls.
void ControlPage::FitTable()
{
    table_->resizeRowsToContents();
    int height = table_->horizontalHeader()->height() + 2 * table_->frameWidth() + 4;
    for (int r = 0; r < table_->rowCount(); ++r)
        height += table_->rowHeight(r);
    table_->setMinimumHeight(std::max(height, 120));
}

void ControlPage::Show(const std::optional<snesenie::ControlReport>& report, bool stale)
{
    report_ = report;
    stale_ = !report && stale;
    if (report)
        last_ = report;
    else if (!stale)
        last_.reset();
    if (table_ != nullptr)
        Refresh();
}

void ControlPage::Refresh()
{
    QPalette palette = summary_->palette();
    if (!report_) {
        summary_->setText(QString::fromUtf8(snesenie::kControlNotComputed));
        palette.setColor(QPalette::WindowText, this->palette().color(QPalette::WindowText));
        summary_->setPalette(palette);
        table_->setRowCount(0);
        FitTable();
        accuracy_->setText(stale_ && last_ ? QStringLiteral("<b>Оценка точности</b>: не пересчитана после изменения "
                                                            "исходных данных.")
                                           : QStringLiteral("<b>Оценка точности</b>: нет контроля."));
        drawing_->Show(stale_ ? last_ : std::nullopt, true);
        return;
    }
    accuracy_->setText(AccuracyText(*report_, precisionSource_));
    drawing_->Show(report_, false);
    summary_->setText(Q(report_->Summary()));
    palette.setColor(QPalette::WindowText, VerdictColor(report_->Overall()));
    summary_->setPalette(palette);

    table_->setRowCount(static_cast<int>(report_->checks.size()));
    FitTable();
    for (int r = 0; r < table_->rowCount(); ++r) {
        const snesenie::Check& check = report_->checks[static_cast<std::size_t>(r)];
        const QString texts[] = {Q(check.title), Q(check.value), Q(check.tolerance),
                                 QString::fromUtf8(snesenie::VerdictWord(check))};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setToolTip(texts[c]);
            table_->setItem(r, c, item);
        }
        QTableWidgetItem* verdict = table_->item(r, 3);
        verdict->setBackground(VerdictBackground(check.verdict));
        verdict->setForeground(VerdictColor(check.verdict));
        QFont font = verdict->font();
        font.setBold(true);
        verdict->setFont(font);
    }
}
