#pragma once

#include "Control.h"

#include <QWidget>

#include <optional>

class QLabel;
class QListView;
class QToolButton;
class StationModel;

namespace snesenie::batch {
class BatchDocument;
}

/// The list of a batch's stations beside the sheet: each station's name and,
/// under it, its verdict, marked by the word and the colours of the control
/// page ("не вычислено" for a station that failed). It only shows the
/// batch; what a chosen station does to the sheet is the window's business.
class StationPanel : public QWidget {
    Q_OBJECT

public:
    /// The width the panel asks for at 96 dpi: a long name and the longest
    /// verdict. On a screen too small for that beside the sheet it gives way
    /// down to kMinWidth, where a verdict still reads whole in smaller type
    /// and the sheet's widest line (page 3's verdict, 560 wide) can still be
    /// scrolled into view on a 1366 × 768 screen at scale 2.
    static constexpr int kWidth = 200;
    static constexpr int kMinWidth = 80;

    explicit StationPanel(QWidget* parent = nullptr);
    ~StationPanel() override;

    /// Lists the batch's stations, none of them current; nullptr lists none.
    /// The batch must outlive the listing.
    void Show(const snesenie::batch::BatchDocument* batch);
    /// The stations were judged again: the verdicts are drawn anew.
    void Refresh();
    /// The row whose station is on the sheet shows the sheet's control rather
    /// than the file's (-1: no row does); why says, when there is no control,
    /// where the sheet stopped.
    void FollowSheet(int row, const std::optional<snesenie::ControlReport>& control, const QString& why);

    /// The row of the station that is current, or -1.
    int CurrentRow() const;
    /// Makes the row current (-1: none) without telling anyone: the list
    /// goes back to showing the station the sheet holds.
    void SetCurrentRow(int row);

    /// The list of stations, made on first need.
    QListView* List();
    QToolButton* CloseButton() const { return close_; }
    QLabel* Heading() const { return heading_; }

signals:
    /// The user made another row current. Sent once the list's own handling
    /// of the key or click is over, so that the window may ask questions and
    /// set the row back.
    void StationChosen(int row);
    /// The user asked the list to close.
    void CloseRequested();
    /// Enter or a double click on a row.
    void Activated(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void CurrentChanged();
    void ShowHeading();

    QLabel* heading_ = nullptr;
    QToolButton* close_ = nullptr;
    QListView* list_ = nullptr;
    StationModel* model_ = nullptr;
    QString name_;  ///< the batch's name, quoted, for the heading
    bool silent_ = false;
    bool choicePending_ = false;
};
