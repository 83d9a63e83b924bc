#pragma once

// How the sheet is coloured and set: pages in the button-face colour so that
// the boxes to type into stand out, results on the window colour, red for
// the given data and the final mean, and angle boxes in a face whose minute
// and second marks can be read.

class QColor;
class QLineEdit;
class QWidget;

namespace snesenie {
struct FieldInfo;
}

namespace sheet {

/// Fills a tab page with the system button-face colour.
void PaintPage(QWidget* page);

/// Colours and face of the edit box of field f.
void StyleEdit(QLineEdit* edit, const snesenie::FieldInfo& f);

/// Text colour of a result that no longer follows from the sheet.
QColor StaleTextColour();

} // namespace sheet
