#include "Pages.h"

#include "FieldTable.h"
#include "Numbers.h"
#include "PageIo.h"

namespace snesenie {
namespace {

void ClearPage(PageFields& fields, int page)
{
    for (const FieldInfo& f : Fields())
        if (f.page == page)
            fields.SetText(std::string(f.name), {});
}

} // namespace

double ReadHeld(const PageFields& fields, FieldId id)
{
    const std::string name(Name(id));
    const std::string text = fields.GetText(name);
    try {
        return Hold(ParseNumber(text));
    } catch (const ConversionError& e) {
        throw ConversionError(text, name, e.Hint());
    } catch (const ArithmeticError& e) {
        // A number of the extended range that no double can hold (1e4932):
        // as much the fault of the text as a misspelt one.
        throw ArithmeticError(e.Fault(), name, text);
    }
}

void ClearPage1(PageFields& fields) { ClearPage(fields, 1); }
void ClearPage2(PageFields& fields) { ClearPage(fields, 2); }

} // namespace snesenie
