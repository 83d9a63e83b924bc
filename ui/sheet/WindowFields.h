#pragma once

#include "PageFields.h"

#include <array>
#include <functional>
#include <string>

class QLineEdit;
class QWidget;

/// The core's view of the main window: each field is the QLineEdit whose
/// objectName is the field's name. Texts cross as UTF-8.
///
/// The boxes of a page are made when the page is first needed: until then a
/// field reads as its example, which is what the box would show, and a text
/// that differs from it (a result, a job's input) has the page made first.
class WindowFields : public snesenie::PageFields {
public:
    /// makePage builds the boxes of a page (1 to 3) and then calls Collect.
    explicit WindowFields(std::function<void(int page)> makePage);

    /// Takes the edit boxes of every field of the page below root.
    void Collect(const QWidget& root, int page);
    /// Whether the boxes of the page are made.
    bool Made(int page) const { return made_.at(static_cast<std::size_t>(page - 1)); }

    using PageFields::GetText;
    using PageFields::SetText;
    std::string GetText(snesenie::FieldId id) const override;
    void SetText(snesenie::FieldId id, const std::string& text) override;

    /// The edit box of a field, its page made if it was not; throws
    /// std::out_of_range for an unknown name.
    QLineEdit* Edit(const std::string& name) const;
    QLineEdit* Edit(snesenie::FieldId id) const;

private:
    std::function<void(int page)> makePage_;
    std::array<bool, 3> made_{};
    std::array<QLineEdit*, snesenie::kFieldCount> edits_{};
};
