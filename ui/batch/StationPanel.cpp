// The list of a batch's stations with their verdicts, and the row of the
// station the sheet holds.

#include "StationPanel.h"

#include "BatchDocument.h"
#include "ControlPage.h"
#include "Errors.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

using snesenie::batch::BatchDocument;

namespace {

// A station that did not come through all three pages has no control to
// judge: it is marked as an exceeded tolerance is, since it passes no better.
const char* const kNotComputed = "не вычислено";

// Between the batch's name and the button that closes the list.
constexpr int kHeadingSpacing = 4;

// Names come from a spreadsheet or from file names: shown as a message
// quotes a text, escaped and cut short, without the quotation marks.
QString Shown(const std::string& text)
{
    const std::string quoted = snesenie::QuoteText(text);
    return QString::fromStdString(quoted.substr(2, quoted.size() - 4));
}

} // namespace

/// The stations of a batch, one row each: the name, and the verdict with
/// its colours in roles of its own.
class StationModel : public QAbstractListModel {
public:
    enum Role { VerdictTextRole = Qt::UserRole, VerdictRole };

    using QAbstractListModel::QAbstractListModel;

    void SetBatch(const BatchDocument* batch)
    {
        beginResetModel();
        batch_ = batch;
        sheetRow_ = -1;
        endResetModel();
    }

    void FollowSheet(int row, const std::optional<snesenie::ControlReport>& control, const QString& why)
    {
        const int before = sheetRow_;
        sheetRow_ = row < rowCount() ? row : -1;
        sheetControl_ = control;
        sheetWhy_ = why;
        for (const int r : {before, sheetRow_})
            if (r >= 0)
                emit dataChanged(index(r), index(r));
    }

    void VerdictsChanged()
    {
        if (rowCount() > 0)
            emit dataChanged(index(0), index(rowCount() - 1));
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() || batch_ == nullptr ? 0 : static_cast<int>(batch_->Size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || batch_ == nullptr)
            return {};
        const auto row = static_cast<std::size_t>(index.row());
        const snesenie::batch::StationResult& result = batch_->ResultAt(row);
        // The station on the sheet as the sheet has it, once fixed there or
        // edited; the others as the file was read.
        const bool onSheet = index.row() == sheetRow_;
        const std::optional<snesenie::ControlReport>& control = onSheet ? sheetControl_ : result.control;
        const bool judged = (onSheet || result.computed) && control.has_value();
        const snesenie::Verdict verdict = judged ? control->Overall() : snesenie::Verdict::Exceeded;
        const QString word = judged ? QString::fromUtf8(snesenie::VerdictWord(verdict)) : QString::fromUtf8(kNotComputed);
        switch (role) {
        case Qt::DisplayRole:
            return Shown(batch_->StationAt(row).name);
        case VerdictTextRole:
            return word;
        case VerdictRole:
            return static_cast<int>(verdict);
        case Qt::AccessibleTextRole:
            return Shown(batch_->StationAt(row).name) + ": " + word;
        case Qt::ToolTipRole:
            if (judged)
                return QString::fromStdString(control->Summary());
            if (onSheet)
                return sheetWhy_.isEmpty() ? QStringLiteral("На листе не вычислено") : sheetWhy_;
            return QString::fromStdString(batch_->Failure(row));
        default:
            return {};
        }
    }

private:
    const BatchDocument* batch_ = nullptr;
    int sheetRow_ = -1;
    std::optional<snesenie::ControlReport> sheetControl_;
    QString sheetWhy_;
};

namespace {

/// A station on two lines: its name, and under it the verdict in its colour
/// on its light background, as the control page marks a check.
class StationDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        const auto verdict = static_cast<snesenie::Verdict>(index.data(StationModel::VerdictRole).toInt());
        const bool selected = (opt.state & QStyle::State_Selected) != 0;
        const QString name = opt.text;
        opt.text.clear();
        const QStyle* style = opt.widget != nullptr ? opt.widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

        const QRect inner = opt.rect.adjusted(kPadX, kPadY, -kPadX, -kPadY);
        const int line = opt.fontMetrics.height();
        painter->save();
        // The verdict's line on its light background, as a verdict cell of
        // the control page; the name above it plain, which parts the rows.
        if (!selected)
            painter->fillRect(QRect(opt.rect.left(), inner.top() + line, opt.rect.width(), opt.rect.bottom() - inner.top() - line + 1),
                              VerdictBackground(verdict));
        painter->setPen(opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(QRect(inner.left(), inner.top(), inner.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                          opt.fontMetrics.elidedText(name, Qt::ElideRight, inner.width()));
        // Where the sheet leaves the list too little room (a small screen at a
        // large scale, where small type still reads), the verdict is set
        // smaller rather than cut; cut only past that.
        const QString word = index.data(StationModel::VerdictTextRole).toString();
        // Type comes in whole pixels: stepped down until the longest verdict
        // fits, so that every row has the same size, whatever its word.
        QFont font = opt.font;
        const double smallest = font.pointSizeF() * kSmallest;
        while (LongestVerdict(font) > inner.width() && font.pointSizeF() > smallest)
            font.setPointSizeF(std::max(smallest, font.pointSizeF() - 0.25));
        painter->setFont(font);
        painter->setPen(selected ? opt.palette.color(QPalette::HighlightedText) : VerdictColor(verdict));
        painter->drawText(QRect(inner.left(), inner.top() + line, inner.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                          QFontMetrics(font).elidedText(word, Qt::ElideRight, inner.width()));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override
    {
        return {StationPanel::kMinWidth, 2 * option.fontMetrics.height() + 2 * kPadY};
    }

    static int LongestVerdict(const QFont& font)
    {
        const QFontMetrics metrics(font);
        int longest = metrics.horizontalAdvance(QString::fromUtf8(kNotComputed));
        for (const snesenie::Verdict v : {snesenie::Verdict::Ok, snesenie::Verdict::Warning, snesenie::Verdict::Exceeded})
            longest = std::max(longest, metrics.horizontalAdvance(QString::fromUtf8(snesenie::VerdictWord(v))));
        return longest;
    }

    // Narrow across: on the smallest screens a verdict has to fit whole in
    // what the sheet leaves.
    static constexpr int kPadX = 3, kPadY = 2;
    static constexpr double kSmallest = 0.75;
};

} // namespace

StationPanel::StationPanel(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StationPanel"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);

    auto* top = new QHBoxLayout;
    top->setSpacing(kHeadingSpacing);
    heading_ = new QLabel(this);
    heading_->setObjectName(QStringLiteral("StationHeading"));
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);
    heading_->setMinimumWidth(1);  // a long name is cut, never widens the panel
    top->addWidget(heading_, 1);
    close_ = new QToolButton(this);
    close_->setObjectName(QStringLiteral("StationPanelClose"));
    close_->setText(QStringLiteral("✕"));
    close_->setToolTip(QStringLiteral("Закрыть список станций"));
    close_->setAccessibleName(QStringLiteral("Закрыть список станций"));
    close_->setAutoRaise(true);
    close_->setFocusPolicy(Qt::StrongFocus);
    connect(close_, &QToolButton::clicked, this, &StationPanel::CloseRequested);
    top->addWidget(close_);
    layout->addLayout(top);

    model_ = new StationModel(this);
}

// The list is made with the first batch: most sessions never open one, and
// an item view is a good part of the window's memory at start. The panel's
// width is fixed, so the list coming later moves nothing in the window.
QListView* StationPanel::List()
{
    if (list_ != nullptr)
        return list_;
    list_ = new QListView(this);
    list_->setObjectName(QStringLiteral("StationList"));
    list_->setAccessibleName(QStringLiteral("Станции пакета"));
    list_->setModel(model_);
    list_->setItemDelegate(new StationDelegate(list_));
    list_->setUniformItemSizes(true);  // a season of stations scrolls without measuring each row
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setMinimumHeight(list_->fontMetrics().height() * 6);
    static_cast<QBoxLayout*>(layout())->addWidget(list_, 1);
    heading_->setBuddy(list_);

    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &StationPanel::CurrentChanged);
    connect(list_, &QListView::activated, this, [this](const QModelIndex& index) { emit Activated(index.row()); });
    return list_;
}

StationPanel::~StationPanel() = default;

void StationPanel::Show(const BatchDocument* batch)
{
    if (batch != nullptr)
        List();
    silent_ = true;
    model_->SetBatch(batch);
    silent_ = false;
    name_ = batch == nullptr ? QString() : QString::fromStdString(snesenie::QuotePath(batch->Name()));
    ShowHeading();
    heading_->setToolTip(batch == nullptr ? QString() : QString::fromStdString(snesenie::QuotePath(batch->Path().string())));
}

void StationPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    ShowHeading();
}

// Alt+П takes the caret to the list from anywhere in the window. A long
// name is shortened in the middle, so that its end (".csv") stays in view.
void StationPanel::ShowHeading()
{
    if (name_.isEmpty()) {
        heading_->clear();
        return;
    }
    const QString word = QStringLiteral("Пакет ");
    const QFontMetrics metrics(heading_->font());
    // Worked out from the panel's own width: the label's is not laid out yet
    // when the panel first shows.
    const QMargins margins = layout()->contentsMargins();
    const int label = width() - margins.left() - margins.right() - close_->sizeHint().width() - kHeadingSpacing;
    const int room = std::max(label - metrics.horizontalAdvance(word) - 2, 0);
    heading_->setText("&" + word + metrics.elidedText(name_, Qt::ElideMiddle, room).replace('&', QStringLiteral("&&")));
}

void StationPanel::Refresh() { model_->VerdictsChanged(); }

void StationPanel::FollowSheet(int row, const std::optional<snesenie::ControlReport>& control, const QString& why)
{
    model_->FollowSheet(row, control, why);
}

int StationPanel::CurrentRow() const
{
    if (list_ == nullptr)
        return -1;
    const QModelIndex current = list_->selectionModel()->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void StationPanel::SetCurrentRow(int row)
{
    silent_ = true;
    QItemSelectionModel* selection = List()->selectionModel();
    if (row < 0 || row >= model_->rowCount()) {
        selection->clear();
    } else {
        const QModelIndex index = model_->index(row, 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        list_->scrollTo(index);
    }
    silent_ = false;
}

// A click makes the row current before it selects it, and a key the other
// way round: the choice is looked at once either is done, and a row set back
// meanwhile is no choice at all.
void StationPanel::CurrentChanged()
{
    if (silent_ || choicePending_)
        return;
    choicePending_ = true;
    QTimer::singleShot(0, this, [this] {
        choicePending_ = false;
        if (const int row = CurrentRow(); row >= 0)
            emit StationChosen(row);
    });
}
