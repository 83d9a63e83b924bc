#pragma once

#include <QObject>
#include <QPalette>

#include <map>
#include <string>

class QLineEdit;
class WindowFields;

/// Marks an input whose number lies outside its usual range (75 minutes, a
/// base of 0, β1 + β2 of 180° and more) the moment the box is left: a warm
/// background, which no other state of a box uses, and a tooltip that names
/// the range. The sheet still computes with it; the mark only makes a slip of
/// the hand visible. A box put right loses its mark as soon as it is.
class RangeMarks : public QObject {
public:
    /// Watches page 2's inputs once that page is made (AddPage).
    RangeMarks(const WindowFields& fields, QObject* parent);

    /// Watches the inputs of a page made since, and marks them by their text.
    void AddPage(int page);

    /// Marks every input by its present text, as after a job is opened.
    void Refresh();

    bool IsMarked(const std::string& field) const;

    /// Background of a marked box.
    static QColor MarkColour();

private:
    void Update(bool leaving);

    struct Box {
        QLineEdit* edit;
        QPalette normal;
    };
    const WindowFields& fields_;
    std::map<std::string, Box> boxes_;
};
