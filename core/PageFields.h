#pragma once

#include <map>
#include <string>

namespace snesenie {

/// The page computations' only view of the window: named text fields, by the
/// names of the field table (EXc, EAP1, …). Texts are UTF-8.
class PageFields {
public:
    virtual ~PageFields() = default;
    /// The current text of the named field.
    virtual std::string GetText(const std::string& name) const = 0;
    /// Replaces the text of the named field at once; read-only fields too.
    virtual void SetText(const std::string& name, const std::string& text) = 0;
};

/// Fields held in memory, for the command line and the tests. Starts as the
/// window starts: every input with its example text, every output empty.
class MemoryFields : public PageFields {
public:
    MemoryFields();
    /// Throws std::out_of_range for a name that is not in the field table.
    std::string GetText(const std::string& name) const override;
    void SetText(const std::string& name, const std::string& text) override;

private:
    std::map<std::string, std::string, std::less<>> texts_;
};

} // namespace snesenie
