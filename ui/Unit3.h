#pragma once

#include <QDialog>

class QLabel;

/// The scheme window: a drawing of the points, bases and measured angles,
/// shown at its full size. It is created once and hidden; closing it only
/// hides it again.
class TForm3 : public QDialog {
    Q_OBJECT

public:
    explicit TForm3(QWidget* parent = nullptr);

    QLabel* Image1;
};
