#pragma once

#include "Control.h"

#include <QColor>
#include <QWidget>

#include <optional>

class AccuracyDrawing;
class QLabel;
class QPushButton;
class QTableWidget;

/// The fourth page, "Контроль": one row per check with its value, its
/// tolerance and the verdict, marked by a word and by a colour. It only lays
/// out what the core's control reports. Its widgets are made when the page is
/// first shown or asked for, not with the window.
class ControlPage : public QWidget {
    Q_OBJECT

public:
    explicit ControlPage(QWidget* parent = nullptr);

    /// Shows the control, or that there is none yet. stale: there is none
    /// because the inputs changed since the last one, whose accuracy drawing
    /// then stays, grey.
    void Show(const std::optional<snesenie::ControlReport>& report, bool stale = false);
    /// Where the precision of the estimate comes from, in words.
    void SetPrecisionSource(const QString& source);

    QLabel* Summary();
    QTableWidget* Table();
    QPushButton* TolerancesButton();
    QLabel* AccuracySummary();
    AccuracyDrawing* Drawing();

signals:
    void TolerancesRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Build();
    void Refresh();
    void FitTable();

    std::optional<snesenie::ControlReport> report_;
    std::optional<snesenie::ControlReport> last_;  ///< the last control shown, for the grey drawing
    bool stale_ = false;
    QString precisionSource_;
    QLabel* accuracy_ = nullptr;
    AccuracyDrawing* drawing_ = nullptr;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* tolerancesButton_ = nullptr;
};

/// The colour a verdict is marked with; the word always goes with it.
QColor VerdictColor(snesenie::Verdict verdict);
/// The light background of a verdict's cell, under the text in VerdictColor.
QColor VerdictBackground(snesenie::Verdict verdict);
