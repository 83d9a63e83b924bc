#pragma once

#include "PageFields.h"

#include <array>
#include <string>

class QLineEdit;
class QWidget;

/// The core's view of the main window: each field is the QLineEdit whose
/// objectName is the field's name. Texts cross as UTF-8.
class WindowFields : public snesenie::PageFields {
public:
    /// Collects the edit boxes of every field of the table below root.
    explicit WindowFields(const QWidget& root);

    using PageFields::GetText;
    using PageFields::SetText;
    std::string GetText(snesenie::FieldId id) const override;
    void SetText(snesenie::FieldId id, const std::string& text) override;

    /// The edit box of a field; throws std::out_of_range for an unknown name.
    QLineEdit* Edit(const std::string& name) const;
    QLineEdit* Edit(snesenie::FieldId id) const;

private:
    std::array<QLineEdit*, snesenie::kFieldCount> edits_{};
};
