#include "Unit1.h"

#include "FieldTable.h"
#include "JobActions.h"
#include "KeyboardRules.h"
#include "ProgramIcon.h"
#include "RangeMarks.h"
#include "ScreenFit.h"
#include "SheetLayout.h"
#include "SheetLook.h"
#include "StaleMarks.h"
#include "StationPanel.h"
#include "Unit2.h"
#include "Unit3.h"
#include "WindowFields.h"
#include "WindowMenus.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QApplication>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

using namespace snesenie;

namespace {


QString Q(std::string_view s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }

// The sheet is drawn at 96 dpi in the faces of its time: MS Sans Serif 8 for
// text, bold Times New Roman 12 for symbols. Liberation faces stand in for
// them elsewhere with the same metrics (the package depends on them). Only a
// face that is there is named: each one missing costs the font system a
// search through its substitutes, nine of them at start.
QFont TextFont()
{
#ifdef Q_OS_WIN
    QFont f(QStringLiteral("MS Sans Serif"));
#else
    QFont f(QStringLiteral("Liberation Sans"));
#endif
    f.setPointSize(8);
    return f;
}

QFont SymbolFont()
{
#ifdef Q_OS_WIN
    QFont f(QStringLiteral("Times New Roman"));
#else
    QFont f(QStringLiteral("Liberation Serif"));
#endif
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
    auto* edit = new QLineEdit(page);
    edit->setObjectName(Q(f.name));
    edit->setAccessibleName(Q(f.caption));
    const sheet::FieldPlace& place = sheet::PlaceOf(f.id);
    edit->setGeometry(place.left, place.top, place.width, sheet::kRowHeight);
    edit->setReadOnly(f.kind == FieldKind::Output);
    // Styled before it is given its text, which is then laid out once, in
    // the box's own face.
    sheet::StyleEdit(edit, f);
    edit->setText(Q(f.example));
    edit->setCursorPosition(0);
    return edit;
}

} // namespace

TForm1::TForm1(const std::filesystem::path& settingsFile, QWidget* parent) : QWidget(parent), settings_(settingsFile)
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
    // The list of a batch's stations stands to the right, so that the sheet
    // stays where it was when the list opens; the sheet takes whatever room
    // the window gains or loses.
    sheetRow_ = new QHBoxLayout;
    sheetRow_->setSpacing(0);
    sheetRow_->addWidget(SheetScroll, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(sheetRow_);
    // Under the sheet and the list alike, so that it is seen from every page.
    MessageLine = new QLabel(KeyHint(), this);
    MessageLine->setObjectName("MessageLine");
    MessageLine->setContentsMargins(6, 2, 6, 2);
    MessageLine->setTextFormat(Qt::PlainText);
    MessageLine->setMinimumWidth(1);  // a long message is cut, never widens the window
    layout->addWidget(MessageLine);

    BuildPages();
    // The sheet's fields are the edit boxes; those of pages 2 and 3 are made
    // when first needed: turned to, computed, or given a job's texts.
    fields_ = std::make_unique<WindowFields>([this](int page) { MakePage(page); });
    connect(PC1, &QTabWidget::currentChanged, this, [this](int index) {
        for (int page = 1; page <= 3; ++page)
            if (PC1->widget(index) == Page(page))
                MakePage(page);
    });
    MakePage(1);
    sheet_ = std::make_unique<snesenie::Sheet>(*fields_);
    sheet_->SetTolerances(settings_.GetTolerances());
    sheet_->SetPrecision(settings_.GetPrecision());
    BuildMenus();
    BuildControl();
    layout->setMenuBar(MenuBar);
    // 717 × 519 outside; the client area holds the lowest row of page 1
    // (top 424) and page 2's buttons with a margin. The menu bar comes on top
    // of that, so the pages keep their own size.
    PC1->setMinimumSize(kSheetWidth, kSheetHeight);
    const QRect wanted(QPoint(191, 101), NaturalSize());
    // Before the window is shown its frame is unknown: room is left for a
    // usual title bar and border.
    setGeometry(screen() != nullptr ? FitToScreen(wanted, screen()->availableGeometry(), QMargins(4, 32, 4, 4))
                                    : wanted);
    BuildJobActions();
    // Made with the window, not with the first batch: added to the laid-out
    // window later, the list left the sheet scrolling sideways at a
    // fractional scale when the window was then fitted to the screen.
    BuildBatchList();
    // The title names the job, or the station the sheet holds.
    jobs_->UpdateTitle();

    // Esc presses "Выход", but only while page 1 is showing: it is that
    // page's cancel button. In the list of stations it is not on the sheet.
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] {
        if (PC1->currentWidget() == TS1 && (Stations == nullptr || !Stations->isAncestorOf(QApplication::focusWidget())))
            BitBtn2->click();
    });
    PC1->setCurrentWidget(TS1);
    // The control and the statement follow the same edits as the grey marks.
    stale_ = new StaleMarks(*fields_, *sheet_, this, [this](int page) { InputEdited(page); });
    keyboard_ = new KeyboardRules(*this, *PC1, {TS1, TS2, TS3});
    // Wherever the caret goes on the sheet, Tab or the program, it is seen.
    followCaret_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && PC1->isAncestorOf(now))
            ScrollIntoView(now);
    });
    rangeMarks_ = new RangeMarks(*fields_, this);
    new TabsInView(*SheetScroll, *PC1);
    // Said once the window shows, not before: a box with no window behind it
    // would leave the user wondering which program asks.
    if (!settings_.Problems().empty())
        QTimer::singleShot(0, this, &TForm1::ReportSettingsProblems);
}

QSize TForm1::NaturalSize() const
{
    const int list = Stations == nullptr || Stations->isHidden() ? 0 : StationPanel::kWidth;
    // The sheet's own needs, which at a fractional scale may round a pixel
    // above its size at 96 dpi: a pixel short brings both scroll bars.
    const QSize sheet = PC1->minimumSizeHint().expandedTo(QSize(kSheetWidth, kSheetHeight));
    return {sheet.width() + list, sheet.height() + MenuBar->sizeHint().height() + MessageLine->sizeHint().height()};
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    // A window too low for the sheet scrolls it up and down; the scroll bar
    // takes its width from the list too, so that the sheet never scrolls
    // sideways while the list can still give way.
    const QSize sheet = PC1->minimumSizeHint().expandedTo(PC1->minimumSize());
    const int sheetRoom = event->size().height() - MenuBar->sizeHint().height() - MessageLine->sizeHint().height();
    const int bar = sheetRoom < sheet.height() ? style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    if (Stations != nullptr)
        Stations->setFixedWidth(
            std::clamp(event->size().width() - sheet.width() - bar, StationPanel::kMinWidth, StationPanel::kWidth));
    QWidget::resizeEvent(event);
}

// The whole box, not only its text cursor (which is all the scroll area's own
// ensureWidgetVisible looks at for a line edit), with a margin round it, and
// clear of the page tabs that stay over the top of the view.
void TForm1::ScrollIntoView(QWidget* widget)
{
    const QRect at(widget->mapTo(PC1, QPoint(0, 0)), widget->size());
    SheetScroll->ensureVisible(at.center().x(), at.center().y(), at.width() / 2 + 8,
                               at.height() / 2 + 8 + PC1->tabBar()->height());
}

// The focus moves while the boxes are taken down, and the scroll area that
// would follow it goes first.
TForm1::~TForm1() { disconnect(followCaret_); }


// The three tabs, empty: what stands on a page is made by MakePage.
void TForm1::BuildPages()
{
    QWidget** pages[] = {&TS1, &TS2, &TS3};
    for (int i = 0; i < 3; ++i) {
        *pages[i] = new QWidget;
        (*pages[i])->setObjectName(QString("TS%1").arg(i + 1));
        sheet::PaintPage(*pages[i]);
        const std::string_view title = snesenie::PageTitle(i + 1);
        PC1->addTab(*pages[i], QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    }
}

// Pages 2 and 3 hold two thirds of the window's widgets, and most sessions
// look at page 1 for a while before they turn: they are made on first need.
void TForm1::MakePage(int number)
{
    if (number < 1 || number > 3 || std::exchange(pagesMade_[static_cast<std::size_t>(number - 1)], true))
        return;
    QWidget* page = Page(number);
    for (const sheet::LabelInfo& info : sheet::Labels())
        if (info.page == number)
            MakeLabel(page, info);
    for (const sheet::BevelInfo& b : sheet::Bevels()) {
        if (b.page != number)
            continue;
        auto* line = new QFrame(page);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setGeometry(b.x, b.y, b.width, 2);
    }
    // The Tab order through the boxes is KeyboardRules' to set.
    for (const FieldInfo& f : Fields())
        if (f.page == number)
            MakeEdit(page, f);
    BuildButtons(number);
    // Made on a page already showing (turned to), they must be shown too.
    if (page->isVisible())
        for (QWidget* child : page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->isHidden() && !child->testAttribute(Qt::WA_WState_ExplicitShowHide))
                child->show();
    fields_->Collect(*page, number);
    // The watchers set up before the page was made take it in.
    if (stale_ != nullptr)
        stale_->AddPage(number);
    if (rangeMarks_ != nullptr)
        rangeMarks_->AddPage(number);
    if (keyboard_ != nullptr)
        keyboard_->AddPage(number);
    if (jobs_ != nullptr)
        WatchJobInputs(number);
}

QWidget* TForm1::Page(int number) const
{
    return number == 1 ? TS1 : number == 2 ? TS2 : TS3;
}

void TForm1::BuildButtons(int page)
{
    const std::pair<const char*, std::pair<QPushButton**, void (TForm1::*)()>> handlers[] = {
        {"BitBtn1", {&BitBtn1, &TForm1::BitBtn1Click}}, {"BitBtn2", {&BitBtn2, &TForm1::BitBtn2Click}},
        {"BitBtn3", {&BitBtn3, &TForm1::BitBtn3Click}}, {"BitBtn4", {&BitBtn4, &TForm1::BitBtn4Click}},
        {"BitBtn5", {&BitBtn5, &TForm1::BitBtn5Click}}, {"BitBtn6", {&BitBtn6, &TForm1::BitBtn6Click}},
        {"Button1", {&Button1, &TForm1::Button1Click}}, {"Button2", {&Button2, &TForm1::Button2Click}},
        {"Button3", {&Button3, &TForm1::Button3Click}}, {"Button4", {&Button4, &TForm1::Button4Click}},
    };
    for (const sheet::ButtonInfo& b : sheet::Buttons()) {
        if (b.page != page)
            continue;
        auto* button = new QPushButton(QString::fromUtf8(b.caption), Page(b.page));
        button->setObjectName(b.name);
        button->setGeometry(b.x, b.y, b.width, sheet::kButtonHeight);
        // No default button: Enter in an edit box runs nothing.
        button->setAutoDefault(false);
        switch (b.icon) {
        case sheet::ButtonIcon::Help:
            button->setIcon(ButtonPicture("help"));
            break;
        case sheet::ButtonIcon::Cancel:
            button->setIcon(ButtonPicture("cancel"));
            break;
        case sheet::ButtonIcon::Retry:
            button->setIcon(ButtonPicture("retry"));
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

// The menus own their actions and say what was asked; the window does it.
void TForm1::BuildMenus()
{
    menus_ = new WindowMenus(*this);
    MenuBar = menus_->Bar;
    FileMenu = menus_->File;
    CalcMenu = menus_->Calc;
    HelpMenu = menus_->Help;
    FileJobsEnd = menus_->JobsEnd;
    FileStatementEnd = menus_->StatementEnd;
    ExitAction = menus_->Exit;
    ComputeAllAction = menus_->ComputeAll;
    NextPageAction = menus_->NextPage;
    PreviousPageAction = menus_->PreviousPage;
    HelpAction = menus_->HelpText;
    SchemeAction = menus_->Scheme;
    AboutAction = menus_->About;
    connect(menus_, &WindowMenus::ExitRequested, this, &QWidget::close);
    connect(menus_, &WindowMenus::ComputeAllRequested, this, &TForm1::ComputeAll);
    connect(menus_, &WindowMenus::PageTurnRequested, this, &TForm1::TurnPage);
    connect(menus_, &WindowMenus::HelpRequested, this, &TForm1::BitBtn5Click);
    connect(menus_, &WindowMenus::SchemeRequested, this, &TForm1::BitBtn6Click);
}

void TForm1::SetHelpWindows(TForm2* help, TForm3* scheme)
{
    form2_ = help;
    form3_ = scheme;
}

QString TForm1::Title() { return QStringLiteral("Снесение координат"); }

void TForm1::ResetComputation()
{
    sheet_->Restart();
    stale_->Refresh();
    SayOnMessageLine({});
    ShowControl();
}

// Every press runs through here: whatever it raises is shown in one place
// and never crosses the event loop. The fields and the carried values stay
// as the computation left them.
bool TForm1::Run(SheetAction action)
{
    SayOnMessageLine({});
    PressResult result;
    try {
        result = sheet_->Press(action);
    } catch (const std::exception& e) {
        // A fault of the program, not of the sheet: said, and the window
        // goes on with the page marked as not computed.
        result = {Outcome::Failed, std::string("Внутренняя ошибка программы: действие не выполнено. Сообщите о ней разработчикам (") + e.what() + ").", {}, std::current_exception(), 0};
    }
    stale_->Refresh();
    ShowControl();
    if (result.outcome == Outcome::Refused) {
        Report(QMessageBox::NoIcon, QString::fromStdString(result.message));
        // A page refused because an earlier one no longer holds: straight to
        // the OK that computes that one again.
        if (result.recompute >= 1 && result.recompute <= 3) {
            MakePage(result.recompute);
            QPushButton* const ok[] = {BitBtn1, BitBtn3, Button1};
            QPushButton* button = ok[result.recompute - 1];
            PC1->setCurrentWidget(button->parentWidget());
            QTimer::singleShot(0, button, [this, button] {
                activateWindow();
                button->setFocus(Qt::OtherFocusReason);
            });
        }
    } else if (result.outcome == Outcome::Failed)
        Report(QMessageBox::Critical, QString::fromStdString(result.message), result.field);
    return result.Completed();
}

void TForm1::Report(QMessageBox::Icon icon, const QString& message, const std::string& field)
{
    if (holdReports_) {
        SayOnMessageLine(message);
        heldReport_ = HeldReport{icon, message, field};
        return;
    }
    QMessageBox(icon, Title(), message, QMessageBox::Ok, this).exec();
    // A failure that names a field (a text that is no number, a number too
    // large to hold, a text no job may keep): straight back to that box.
    if (!field.empty() && snesenie::FindField(field) != nullptr)
        PointAt(field);
}

void TForm1::Report(const UserError& error)
{
    Report(QMessageBox::Critical, QString::fromUtf8(error.what()), error.Field());
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

QString TForm1::KeyHint()
{
    return QStringLiteral("F9 — вычислить всё;  Ctrl+PgDn, Ctrl+PgUp — следующая и предыдущая страница");
}

void TForm1::SayOnMessageLine(const QString& text)
{
    heldReport_.reset();
    MessageLine->setText(text.isEmpty() ? KeyHint() : text);
    MessageLine->setToolTip(text);
    // A failure in red, as a message box would mark it; the hint plain.
    QPalette palette = MessageLine->palette();
    palette.setColor(QPalette::WindowText, text.isEmpty() ? this->palette().color(QPalette::WindowText) : QColor(0xc0, 0, 0));
    MessageLine->setPalette(palette);
}

void TForm1::ComputeAll()
{
    const std::pair<SheetAction, QWidget*> steps[] = {
        {SheetAction::Page1, TS1}, {SheetAction::Page2, TS2}, {SheetAction::Page3, TS3}};
    for (const auto& [action, page] : steps) {
        QWidget* before = PC1->currentWidget();
        if (!Run(action)) {
            // A failure that names a box has turned to it already; any other
            // stop is shown on the page that made it.
            if (PC1->currentWidget() == before)
                PC1->setCurrentWidget(page);
            return;
        }
    }
    PC1->setCurrentWidget(TS3);
}

void TForm1::TurnPage(int step)
{
    const int count = PC1->count();
    PC1->setCurrentIndex((PC1->currentIndex() + step + count) % count);
}

void TForm1::BitBtn1Click() { Run(SheetAction::Page1); }
void TForm1::BitBtn3Click() { Run(SheetAction::Page2); }
void TForm1::Button1Click() { Run(SheetAction::Page3); }

void TForm1::Button3Click()
{
    Run(SheetAction::ClearPage1);
    keyboard_->CaretToPageStart();
}

void TForm1::Button4Click()
{
    Run(SheetAction::ClearPage2);
    keyboard_->CaretToPageStart();
}

void TForm1::BitBtn2Click() { close(); }
void TForm1::BitBtn4Click() { close(); }
void TForm1::Button2Click() { close(); }

// The help and scheme windows are made the first time they are asked for:
// most sessions never open them, and they cost the start a tenth of its time.
void TForm1::BitBtn5Click()
{
    if (form2_ == nullptr) {
        ownHelp_ = std::make_unique<TForm2>();
        form2_ = ownHelp_.get();
    }
    form2_->exec();
}

void TForm1::BitBtn6Click()
{
    if (form3_ == nullptr) {
        ownScheme_ = std::make_unique<TForm3>();
        form3_ = ownScheme_.get();
    }
    form3_->exec();
}
