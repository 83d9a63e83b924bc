#include "ControlPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

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

} // namespace

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
    auto* layout = new QVBoxLayout(this);

    auto* heading = new QLabel(QStringLiteral("Два варианта вычислены независимо и проверяют друг друга. "
                                              "Контроль выполняется, когда посчитана третья страница."),
                               this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->setWordWrap(true);
    layout->addWidget(heading);

    Summary = new QLabel(this);
    Summary->setObjectName(QStringLiteral("ControlSummary"));
    Summary->setFont(bold);
    Summary->setWordWrap(true);
    layout->addWidget(Summary);

    Table = new QTableWidget(0, 4, this);
    Table->setObjectName(QStringLiteral("ControlTable"));
    Table->setAccessibleName(QStringLiteral("Проверки контроля"));
    Table->setHorizontalHeaderLabels({QStringLiteral("Проверка"), QStringLiteral("Значение"),
                                      QStringLiteral("Допуск"), QStringLiteral("Вывод")});
    Table->verticalHeader()->hide();
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionMode(QAbstractItemView::NoSelection);
    Table->setFocusPolicy(Qt::NoFocus);
    Table->setWordWrap(false);
    QHeaderView* header = Table->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(3, QHeaderView::ResizeToContents);
    layout->addWidget(Table, 1);

    auto* note = new QLabel(
        QStringLiteral("Строгое решение находит ψ по теореме синусов (arcsin), а лист — как арктангенс "
                       "синуса; они совпадают, пока d много меньше S. Допуски по умолчанию — типичные "
                       "значения инструкций; задайте допуски своей инструкции."),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto* row = new QHBoxLayout;
    TolerancesButton = new QPushButton(QStringLiteral("Допуски…"), this);
    TolerancesButton->setObjectName(QStringLiteral("TolerancesButton"));
    TolerancesButton->setAutoDefault(false);
    connect(TolerancesButton, &QPushButton::clicked, this, &ControlPage::TolerancesRequested);
    row->addWidget(TolerancesButton);
    row->addStretch(1);
    layout->addLayout(row);

    Show(std::nullopt);
}

void ControlPage::Show(const std::optional<snesenie::ControlReport>& report)
{
    QPalette palette = Summary->palette();
    if (!report) {
        Summary->setText(QString::fromUtf8(snesenie::kControlNotComputed));
        palette.setColor(QPalette::WindowText, this->palette().color(QPalette::WindowText));
        Summary->setPalette(palette);
        Table->setRowCount(0);
        return;
    }
    Summary->setText(Q(report->Summary()));
    palette.setColor(QPalette::WindowText, VerdictColor(report->Overall()));
    Summary->setPalette(palette);

    Table->setRowCount(static_cast<int>(report->checks.size()));
    for (int r = 0; r < Table->rowCount(); ++r) {
        const snesenie::Check& check = report->checks[static_cast<std::size_t>(r)];
        const QString texts[] = {Q(check.title), Q(check.value), Q(check.tolerance),
                                 QString::fromUtf8(snesenie::VerdictWord(check.verdict))};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            item->setToolTip(texts[c]);
            Table->setItem(r, c, item);
        }
        QTableWidgetItem* verdict = Table->item(r, 3);
        verdict->setBackground(VerdictBackground(check.verdict));
        verdict->setForeground(VerdictColor(check.verdict));
        QFont font = verdict->font();
        font.setBold(true);
        verdict->setFont(font);
    }
}
