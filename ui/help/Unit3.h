#pragma once

#include <QDialog>

class QLabel;

/// The scheme window: a drawing of the points, bases and measured angles,
/// shown at its full size where the screen has room for it, and drawn smaller
/// to fit a screen that has not. It is created once and hidden; closing it
/// only hides it again.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);

    QLabel* Image1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// Draws the scheme to fit within size, keeping its proportions.
    void Fit(QSize size);
};
