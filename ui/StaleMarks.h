#pragma once

#include <QObject>
#include <QPalette>

#include <array>
#include <functional>
#include <vector>

class QLineEdit;
class WindowFields;

/// Marks the results of a page that no longer follow from the sheet: after
/// the page's computation stopped half-way, or after an input of that page
/// or of an earlier one changed. A stale result keeps its text but turns grey
/// and says so in its tooltip, until the page is computed again.
class StaleMarks : public QObject {
public:
    static constexpr int kPages = 3;

    /// Told the page of every input whose text changed, once the marks
    /// are set, so that whatever else follows from the results is dropped too.
    using InputListener = std::function<void(int page)>;

    /// Watches the inputs of every page; the results start unmarked.
    StaleMarks(const WindowFields& fields, QObject* parent, InputListener listener = {});

    /// The page ran to the end: its results are current.
    void Computed(int page);
    /// The page's computation stopped: whatever its results show is stale.
    void Failed(int page);
    /// The page was emptied: nothing is left to mark.
    void Cleared(int page);

    bool IsStale(int page) const { return state_.at(Index(page)) == State::Stale; }

    /// The tooltip of a stale result.
    static QString StaleTip();

private:
    enum class State { Empty, Current, Stale };

    struct Output {
        QLineEdit* edit;
        QPalette current;  ///< its colours while current
    };

    static std::size_t Index(int page) { return static_cast<std::size_t>(page - 1); }
    void InputChanged(int page);
    void Set(int page, State state);

    InputListener listener_;
    std::array<State, kPages> state_{};
    std::array<std::vector<Output>, kPages> outputs_;
};
