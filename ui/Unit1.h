#pragma once

#include "CalcState.h"
#include "Errors.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class KeyboardRules;
class QAction;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class StaleMarks;
class TForm2;
class TForm3;
class WindowFields;

/// The main window: the three-page computation sheet. It moves texts between
/// its edit boxes and the core and shows what the core reports; it computes
/// nothing itself.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    /// The help and scheme windows opened from page 1; created after this one.
    void SetHelpWindows(TForm2* help, TForm3* scheme);

    /// The values carried between pages, for as long as the window lives.
    const snesenie::CalcState& State() const { return state_; }

    /// Title of the message boxes.
    static QString Title();

    QTabWidget* PC1 = nullptr;
    QWidget* TS1 = nullptr;
    QWidget* TS2 = nullptr;
    QWidget* TS3 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* Button4 = nullptr;

    /// The menu bar above the pages. Файл holds the job actions, then the
    /// statement actions, then Выход; each section is closed by a separator
    /// that later actions are inserted before.
    QMenuBar* MenuBar = nullptr;
    QMenu* FileMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* FileJobsEnd = nullptr;
    QAction* FileStatementEnd = nullptr;
    QAction* ExitAction = nullptr;
    QAction* HelpAction = nullptr;
    QAction* SchemeAction = nullptr;
    QAction* AboutAction = nullptr;

public slots:
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

private:
    void BuildPages();
    void BuildButtons();
    void BuildMenus();
    void ShowAbout();
    /// The tab sheet of page 1, 2 or 3.
    QWidget* Page(int number) const;
    /// Runs the computation of that page and shows whatever it reports.
    void Run(int page, const std::function<std::optional<snesenie::Refusal>()>& compute);

    std::unique_ptr<WindowFields> fields_;
    StaleMarks* stale_ = nullptr;
    KeyboardRules* keyboard_ = nullptr;
    snesenie::CalcState state_;
    TForm2* form2_ = nullptr;
    TForm3* form3_ = nullptr;
};
