#pragma once

#include "FieldTable.h"

#include <array>
#include <string>
#include <string_view>

namespace snesenie {

/// The page computations' only view of the window: the text fields of the
/// field table, by their typed ids. Texts are UTF-8.
class PageFields {
public:
    virtual ~PageFields() = default;
    /// The current text of the field.
    virtual std::string GetText(FieldId id) const = 0;
    /// Replaces the text of the field at once; read-only fields too.
    virtual void SetText(FieldId id, const std::string& text) = 0;

    /// The same by object name (EXc, EAP1, …), as jobs and the command line
    /// carry it. Throws std::out_of_range for a name that is not in the table.
    std::string GetText(std::string_view name) const;
    void SetText(std::string_view name, const std::string& text);
};

/// Fields held in memory, for the command line, the batch and the tests.
/// Starts as the window starts: every input with its example text, every
/// output empty.
class MemoryFields : public PageFields {
public:
    MemoryFields();
    using PageFields::GetText;
    using PageFields::SetText;
    std::string GetText(FieldId id) const override;
    void SetText(FieldId id, const std::string& text) override;

private:
    std::array<std::string, kFieldCount> texts_;
};

} // namespace snesenie
