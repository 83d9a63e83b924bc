#include "Unit1.h"

#include "FieldTable.h"
#include "KeyboardRules.h"
#include "Pages.h"
#include "RangeMarks.h"
#include "ScreenFit.h"
#include "SheetLayout.h"
#include "SheetLook.h"
#include "StaleMarks.h"
#include "Unit2.h"
#include "Unit3.h"
#include "WindowFields.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace snesenie;

namespace {

// The page whose results a press writes.
int PageNumber(SheetAction action)
{
    switch (action) {
    case SheetAction::Page1:
    case SheetAction::ClearPage1:
        return 1;
    case SheetAction::Page2:
    case SheetAction::ClearPage2:
        return 2;
    case SheetAction::Page3:
        break;
    }
    return 3;
}

QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The sheet is drawn at 96 dpi in the faces of its time: MS Sans Serif 8 for
// text, bold Times New Roman 12 for symbols. Liberation faces stand in for
// them on Linux with the same metrics.
QFont TextFont()
{
    QFont f;
    f.setFamilies({"MS Sans Serif", "Liberation Sans", "Arial"});
    f.setPointSize(8);
    return f;
}

QFont SymbolFont()
{
    QFont f;
    f.setFamilies({"Times New Roman", "Liberation Serif"});
    f.setPointSize(12);
    f.setBold(true);
    return f;
}

void Paint(QWidget* w, const QColor& color)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::Text, color);
    w->setPalette(p);
}

QLabel* MakeLabel(QWidget* page, const sheet::LabelInfo& info)
{
    auto* label = new QLabel(QString::fromUtf8(info.text), page);
    QFont font = TextFont();
    switch (info.style) {
    case sheet::LabelStyle::Symbol:
    case sheet::LabelStyle::GivenData:
        font = SymbolFont();
        break;
    case sheet::LabelStyle::Heading:
        font.setBold(true);
        break;
    case sheet::LabelStyle::Mark:
        font.setPointSize(7);
        font.setBold(true);
        break;
    case sheet::LabelStyle::Final:
        font.setPointSize(10);
        font.setBold(true);
        font.setItalic(true);
        break;
    }
    label->setFont(font);
    if (info.style == sheet::LabelStyle::GivenData)
        Paint(label, Qt::red);
    label->adjustSize();
    const int width = label->width();
    // A symbol stands centred on its box's row; a raised mark keeps its own
    // small height so that it sits above the middle of the boxes.
    const int height = info.style == sheet::LabelStyle::Mark ? label->height()
                                                             : std::max(label->height(), sheet::kRowHeight);
    label->setGeometry(info.alignRight ? info.x - width : info.x, info.y, width, height);
    label->setAlignment(Qt::AlignVCenter | (info.alignRight ? Qt::AlignRight : Qt::AlignLeft));
    return label;
}

QLineEdit* MakeEdit(QWidget* page, const FieldInfo& f)
{
    auto* edit = new QLineEdit(Q(f.example), page);
    edit->setObjectName(Q(f.name));
    edit->setAccessibleName(Q(f.caption));
    edit->setGeometry(f.left, f.top, f.width, sheet::kRowHeight);
    edit->setReadOnly(f.kind == FieldKind::Output);
    edit->setCursorPosition(0);
    sheet::StyleEdit(edit, f);
    return edit;
}

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    setObjectName("Form1");
    setWindowTitle("Снесение координат с вершины знака на землю.");
    setFont(TextFont());

    // The pages keep their size at 96 dpi; a window smaller than the sheet
    // (a small screen, a large scale) scrolls it instead of cutting it off.
    SheetScroll = new QScrollArea(this);
    SheetScroll->setObjectName("SheetScroll");
    SheetScroll->setFrameShape(QFrame::NoFrame);
    SheetScroll->setWidgetResizable(true);
    SheetScroll->setFocusPolicy(Qt::NoFocus);  // Tab goes from box to box, never to the frame
    PC1 = new QTabWidget;
    PC1->setObjectName("PC1");
    SheetScroll->setWidget(PC1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(SheetScroll);

    BuildPages();
    BuildButtons();
    BuildMenus();
    BuildControl();
    layout->setMenuBar(MenuBar);
    // 717 × 519 outside; the client area holds the lowest row of page 1
    // (top 424) and page 2's buttons with a margin. The menu bar comes on top
    // of that, so the pages keep their own size.
    PC1->setMinimumSize(kSheetWidth, kSheetHeight);
    const QRect wanted(191, 101, kSheetWidth, kSheetHeight + MenuBar->sizeHint().height());
    // Before the window is shown its frame is unknown: room is left for a
    // usual title bar and border.
    setGeometry(screen() != nullptr ? FitToScreen(wanted, screen()->availableGeometry(), QMargins(4, 32, 4, 4))
                                    : wanted);
    fields_ = std::make_unique<WindowFields>(*this);
    BuildJobActions();

    // Esc presses "Выход", but only while page 1 is showing: it is that
    // page's cancel button.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] {
        if (PC1->currentWidget() == TS1)
            BitBtn2->click();
    });
    PC1->setCurrentWidget(TS1);
    // The control and the statement follow the same edits as the grey marks.
    stale_ = new StaleMarks(*fields_, this, [this](int page) { InputEdited(page); });
    keyboard_ = new KeyboardRules(*this);
    // Wherever the caret goes on the sheet, Tab or the program, it is seen.
    followCaret_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && PC1->isAncestorOf(now))
            ScrollIntoView(now);
    });
    rangeMarks_ = new RangeMarks(*fields_, this);
}

// The whole box, not only its text cursor (which is all the scroll area's own
// ensureWidgetVisible looks at for a line edit), with a margin round it.
void TForm1::ScrollIntoView(QWidget* widget)
{
    const QRect at(widget->mapTo(PC1, QPoint(0, 0)), widget->size());
    SheetScroll->ensureVisible(at.center().x(), at.center().y(), at.width() / 2 + 8, at.height() / 2 + 8);
}

// The focus moves while the boxes are taken down, and the scroll area that
// would follow it goes first.
TForm1::~TForm1() { disconnect(followCaret_); }

void TForm1::BuildPages()
{
    const char* captions[] = {"Вычисление (АВ), АВ=S.", "Вычисление АР=d, (AP).", "Вычисление  Xp,Yp"};
    QWidget** pages[] = {&TS1, &TS2, &TS3};
    for (int i = 0; i < 3; ++i) {
        *pages[i] = new QWidget;
        (*pages[i])->setObjectName(QString("TS%1").arg(i + 1));
        sheet::PaintPage(*pages[i]);
        PC1->addTab(*pages[i], QString::fromUtf8(captions[i]));
    }
    for (const sheet::LabelInfo& info : sheet::Labels())
        MakeLabel(Page(info.page), info);
    for (const sheet::BevelInfo& b : sheet::Bevels()) {
        auto* line = new QFrame(Page(b.page));
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(b.x, b.y, b.width, 2);
    }
    // The Tab order through the boxes is set once the window is built
    // (KeyboardRules).
    for (const FieldInfo& f : Fields())
        MakeEdit(Page(f.page), f);
}

QWidget* TForm1::Page(int number) const
{
    return number == 1 ? TS1 : number == 2 ? TS2 : TS3;
}

void TForm1::BuildButtons()
{
    const std::pair<const char*, std::pair<QPushButton**, void (TForm1::*)()>> handlers[] = {
        {"BitBtn1", {&BitBtn1, &TForm1::BitBtn1Click}}, {"BitBtn2", {&BitBtn2, &TForm1::BitBtn2Click}},
        {"BitBtn3", {&BitBtn3, &TForm1::BitBtn3Click}}, {"BitBtn4", {&BitBtn4, &TForm1::BitBtn4Click}},
        {"BitBtn5", {&BitBtn5, &TForm1::BitBtn5Click}}, {"BitBtn6", {&BitBtn6, &TForm1::BitBtn6Click}},
        {"Button1", {&Button1, &TForm1::Button1Click}}, {"Button2", {&Button2, &TForm1::Button2Click}},
        {"Button3", {&Button3, &TForm1::Button3Click}}, {"Button4", {&Button4, &TForm1::Button4Click}},
    };
    for (const sheet::ButtonInfo& b : sheet::Buttons()) {
        auto* button = new QPushButton(QString::fromUtf8(b.caption), Page(b.page));
        button->setObjectName(b.name);
        button->setGeometry(b.x, b.y, b.width, sheet::kButtonHeight);
        // No default button: Enter in an edit box runs nothing.
        button->setAutoDefault(false);
        switch (b.icon) {
        case sheet::ButtonIcon::Help:
            button->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
            break;
        case sheet::ButtonIcon::Cancel:
            button->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
            break;
        case sheet::ButtonIcon::Retry:
            button->setIcon(style()->standardIcon(QStyle::SP_BrowserReload));
            break;
        case sheet::ButtonIcon::None:
            break;
        }
        for (const auto& [name, target] : handlers) {
            if (std::string_view(name) == b.name) {
                *target.first = button;
                connect(button, &QPushButton::clicked, this, target.second);
            }
        }
    }
}

void TForm1::SetHelpWindows(TForm2* help, TForm3* scheme)
{
    form2_ = help;
    form3_ = scheme;
}

QString TForm1::Title() { return QStringLiteral("Снесение координат"); }

void TForm1::ResetComputation()
{
    state_ = CalcState{};
    // A fresh record, judged by the tolerances already in force.
    const Tolerances tolerances = control_.CurrentTolerances();
    control_ = ControlRecord{};
    control_.SetTolerances(tolerances);
    for (int page = 1; page <= StaleMarks::kPages; ++page)
        stale_->Cleared(page);
    ShowControl();
}

// Every computation runs through here: whatever it raises is shown in one
// place and never crosses the event loop. The fields and the carried values
// stay as the computation left them.
void TForm1::Run(SheetAction action, const std::function<std::optional<Refusal>()>& compute)
{
    try {
        const std::optional<Refusal> refusal = compute();
        Note(action, refusal ? Outcome::Refused : Outcome::Completed);
        if (refusal) {
            QMessageBox(QMessageBox::NoIcon, Title(), QString::fromStdString(refusal->message),
                        QMessageBox::Ok, this)
                .exec();
        } else {
            stale_->Computed(PageNumber(action));
        }
    } catch (const CalcError& e) {
        Note(action, Outcome::Failed);
        stale_->Failed(PageNumber(action));
        QMessageBox(QMessageBox::Critical, Title(), QString::fromUtf8(e.what()), QMessageBox::Ok, this).exec();
        // A failure that names a field (a text that is no number, or a number
        // too large to hold): straight back to that box, ready to retype.
        if (!e.Field().empty())
            PointAt(e.Field());
    }
}

void TForm1::PointAt(const std::string& field)
{
    QLineEdit* edit = fields_->Edit(field);
    PC1->setCurrentWidget(edit->parentWidget());
    // Queued, so that it comes after the window is active again and its old
    // focus (the button just pressed) has been restored.
    QTimer::singleShot(0, edit, [this, edit] {
        activateWindow();
        KeyboardRules::PutCaret(edit);
    });
}

void TForm1::BitBtn1Click()
{
    Run(SheetAction::Page1, [this] {
        ComputePage1(*fields_, state_);
        return std::optional<Refusal>();
    });
}

void TForm1::BitBtn3Click()
{
    Run(SheetAction::Page2, [this] { return ComputePage2(*fields_, state_); });
}

void TForm1::Button1Click()
{
    Run(SheetAction::Page3, [this] { return ComputePage3(*fields_, state_); });
}

void TForm1::Button3Click()
{
    ClearPage1(*fields_);
    stale_->Cleared(1);
    Note(SheetAction::ClearPage1, Outcome::Completed);
    keyboard_->CaretToPageStart();
}

void TForm1::Button4Click()
{
    ClearPage2(*fields_);
    stale_->Cleared(2);
    Note(SheetAction::ClearPage2, Outcome::Completed);
    keyboard_->CaretToPageStart();
}

void TForm1::BitBtn2Click() { close(); }
void TForm1::BitBtn4Click() { close(); }
void TForm1::Button2Click() { close(); }

void TForm1::BitBtn5Click()
{
    if (form2_ != nullptr)
        form2_->exec();
}

void TForm1::BitBtn6Click()
{
    if (form3_ != nullptr)
        form3_->exec();
}
