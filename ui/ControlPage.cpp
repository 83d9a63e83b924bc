#include "ControlPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

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

void ControlPage::showEvent(QShowEvent* event)
{
    Build();
    QWidget::showEvent(event);
}

void ControlPage::Build()
{
    if (table_ != nullptr)
        return;
    auto* layout = new QVBoxLayout(this);

    auto* heading = new QLabel(QStringLiteral("Два варианта вычислены независимо и проверяют друг друга. "
                                              "Контроль выполняется, когда вычислена третья страница."),
                               this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setWordWrap(true);
    layout->addWidget(heading);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("ControlSummary"));
    summary_->setFont(bold);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    table_ = new QTableWidget(0, 4, this);
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

    auto* row = new QHBoxLayout;
    tolerancesButton_ = new QPushButton(QStringLiteral("Допуски…"), this);
    tolerancesButton_->setObjectName(QStringLiteral("TolerancesButton"));
    tolerancesButton_->setAutoDefault(false);
    connect(tolerancesButton_, &QPushButton::clicked, this, &ControlPage::TolerancesRequested);
    row->addWidget(tolerancesButton_);
    row->addStretch(1);
    layout->addLayout(row);

    Refresh();
}

void ControlPage::Show(const std::optional<snesenie::ControlReport>& report)
{
    report_ = report;
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
        return;
    }
    summary_->setText(Q(report_->Summary()));
    palette.setColor(QPalette::WindowText, VerdictColor(report_->Overall()));
    summary_->setPalette(palette);

    table_->setRowCount(static_cast<int>(report_->checks.size()));
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
