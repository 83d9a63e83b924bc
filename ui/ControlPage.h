#pragma once

#include "Control.h"

#include <QColor>
#include <QWidget>

#include <optional>

class QLabel;
class QPushButton;
class QTableWidget;

/// The fourth page, "Контроль": one row per check with its value, its
/// tolerance and the verdict, marked by a word and by a colour. It only lays
/// out what the core's control reports.
class ControlPage : public QWidget {
    Q_OBJECT

public:
    explicit ControlPage(QWidget* parent = nullptr);

    /// Shows the control, or that there is none yet.
    void Show(const std::optional<snesenie::ControlReport>& report);

    QLabel* Summary = nullptr;
    QTableWidget* Table = nullptr;
    QPushButton* TolerancesButton = nullptr;

signals:
    void TolerancesRequested();
};

/// The colour a verdict is marked with; the word always goes with it.
QColor VerdictColor(snesenie::Verdict verdict);
