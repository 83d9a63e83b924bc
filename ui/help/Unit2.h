#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

/// The help window: a short description of the task in a read-only text box.
/// It is created once and hidden; closing it only hides it again.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    /// The description, one entry per line of the box, blanks and word breaks
    /// as the box shows them.
    static QStringList HelpLines();

    QPlainTextEdit* RichEdit1;
};
