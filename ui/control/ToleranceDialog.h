#pragma once

#include "Control.h"

#include <QDialog>
#include <QList>

class QLabel;
class QLineEdit;

/// Файл → Допуски…: the tolerances of the control and, beside them, the
/// precision of the measurements the accuracy of P is estimated from, one box
/// each, typed with a decimal comma. OK takes them only when every one reads
/// as usable; otherwise the dialog stays open, says what is wrong and puts
/// the cursor in the box to retype. A box the caret comes to from the
/// keyboard has its text selected, and an Alt chord never types into one.
class ToleranceDialog : public QDialog {
    Q_OBJECT

public:
    explicit ToleranceDialog(const snesenie::Tolerances& current, QWidget* parent = nullptr);
    ToleranceDialog(const snesenie::Tolerances& current, const snesenie::Precision& precision,
                    QWidget* parent = nullptr);

    /// What was accepted; the tolerances given at the start until then.
    const snesenie::Tolerances& Result() const { return result_; }
    /// The precision accepted; the one given at the start until then.
    const snesenie::Precision& PrecisionResult() const { return precision_; }

    /// The box of a tolerance, by its settings key (distanceRatio, …).
    QLineEdit* Edit(const char* key) const;
    QLabel* Problem = nullptr;

public slots:
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill(const snesenie::Tolerances& tolerances, const snesenie::Precision& precision);

    QList<QLineEdit*> edits_;
    QList<QLineEdit*> precisionEdits_;
    snesenie::Tolerances result_;
    snesenie::Precision precision_;
};
