#pragma once

#include <QObject>
#include <QPalette>

#include <array>
#include <functional>
#include <vector>

class QLineEdit;
class WindowFields;

namespace snesenie {
class Sheet;
}

/// Marks the results of a page that no longer follow from the sheet: the
/// sheet does not hold them current (the page's computation stopped
/// half-way, an input of that page or of an earlier one changed, a page
/// before it ran again) yet they still show a text. A stale result keeps its
/// text but turns grey and says so in its tooltip, until the page is
/// computed again. Which pages are current is the sheet's to say; the marks
/// only draw it.
class StaleMarks : public QObject {
public:
    static constexpr int kPages = 3;

    /// Told the page of every input whose text changed, before the marks
    /// are drawn again, so that the sheet hears of the edit first.
    using InputListener = std::function<void(int page)>;

    /// Watches the inputs of every page made so far; the results start
    /// unmarked.
    StaleMarks(const WindowFields& fields, const snesenie::Sheet& sheet, QObject* parent,
               InputListener listener = {});

    /// Watches the inputs of a page made since, and marks its results.
    void AddPage(int page);

    /// Draws the marks as the sheet now stands: after every press.
    void Refresh();

    bool IsStale(int page) const { return stale_.at(Index(page)); }

    /// The tooltip of a stale result.
    static QString StaleTip();

private:
    struct Output {
        QLineEdit* edit;
        QPalette current;  ///< its colours while current
    };

    static std::size_t Index(int page) { return static_cast<std::size_t>(page - 1); }
    void InputChanged(int page);
    void Set(int page, bool stale);

    const WindowFields& fields_;
    const snesenie::Sheet& sheet_;
    InputListener listener_;
    std::array<bool, kPages> stale_{};
    std::array<std::vector<Output>, kPages> outputs_;
};
