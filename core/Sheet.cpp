#include "Sheet.h"

#include "Errors.h"
#include "Pages.h"

#include <string>

namespace snesenie {

Sheet::Sheet() : own_(std::make_unique<MemoryFields>()), fields_(own_.get()) {}

Sheet::Sheet(PageFields& fields) : fields_(&fields) {}

Sheet::Sheet(Sheet&&) noexcept = default;
Sheet& Sheet::operator=(Sheet&&) noexcept = default;
Sheet::~Sheet() = default;

int Sheet::PageOf(SheetAction action)
{
    switch (action) {
    case SheetAction::Page1:
    case SheetAction::ClearPage1:
        return 1;
    case SheetAction::Page2:
    case SheetAction::ClearPage2:
        return 2;
    case SheetAction::Page3:
        break;
    }
    return 3;
}

std::optional<PressResult> Sheet::StaleRefusal(int page) const
{
    // A page that never ran, or whose run failed, has the page's own refusal.
    if (page < 2 || !state_.Page1Done || (page == 3 && !state_.Page2Done))
        return std::nullopt;
    for (int earlier = 1; earlier < page; ++earlier) {
        const std::string n = std::to_string(earlier);
        const std::string press = ": нажмите ОК на странице " + n;
        std::string message;
        switch (record_.Status(earlier)) {
        case PageStatus::Current:
            continue;
        case PageStatus::Edited:
            message = "Исходные данные страницы " + n + " изменены после вычисления" + press;
            break;
        case PageStatus::Cleared:
            message = "Страница " + n + " очищена после вычисления: введите исходные данные и нажмите ОК на странице " + n;
            break;
        case PageStatus::NotRun:
        case PageStatus::Failed:
        case PageStatus::EarlierRan:
            message = "Страница " + n + " не вычислена" + press;
            break;
        }
        PressResult refused;
        refused.outcome = Outcome::Refused;
        refused.message = message + ".";
        refused.recompute = earlier;
        return refused;
    }
    return std::nullopt;
}

PressResult Sheet::Press(SheetAction action)
{
    if (action == SheetAction::Page2 || action == SheetAction::Page3)
        if (std::optional<PressResult> refused = StaleRefusal(PageOf(action)))
            return *refused;
    PressResult result;
    try {
        std::optional<Refusal> refusal;
        switch (action) {
        case SheetAction::Page1:
            ComputePage1(*fields_, state_);
            break;
        case SheetAction::Page2:
            refusal = ComputePage2(*fields_, state_);
            break;
        case SheetAction::Page3:
            refusal = ComputePage3(*fields_, state_);
            break;
        case SheetAction::ClearPage1:
            ClearPage1(*fields_);
            break;
        case SheetAction::ClearPage2:
            ClearPage2(*fields_);
            break;
        }
        if (refusal) {
            result.outcome = Outcome::Refused;
            result.message = refusal->message;
        }
    } catch (const UserError& e) {
        result = {Outcome::Failed, e.what(), e.Field(), std::current_exception(), 0};
    } catch (...) {
        // The page stopped half-way all the same: what it shows is no
        // current result, whoever reports the fault.
        record_.Note(action, Outcome::Failed, *fields_, state_);
        throw;
    }
    record_.Note(action, result.outcome, *fields_, state_);
    return result;
}

bool Sheet::InputEdited(int page) { return record_.InputEdited(page); }

void Sheet::Restart()
{
    state_ = CalcState{};
    const Tolerances tolerances = record_.CurrentTolerances();
    const Precision precision = record_.CurrentPrecision();
    record_ = ControlRecord{};
    record_.SetTolerances(tolerances);
    record_.SetPrecision(precision);
}

} // namespace snesenie
