#include "WindowFields.h"

#include "FieldTable.h"

#include <QLineEdit>
#include <stdexcept>

namespace {

const snesenie::FieldInfo& Field(const std::string& name)
{
    const snesenie::FieldInfo* f = snesenie::FindField(name);
    if (f == nullptr || f->page < 1 || f->page > 3)
        throw std::out_of_range("no field " + name);
    return *f;
}

} // namespace

WindowFields::WindowFields(std::function<void(int page)> makePage) : makePage_(std::move(makePage)) {}

void WindowFields::Collect(const QWidget& root, int page)
{
    for (const snesenie::FieldInfo& f : snesenie::Fields()) {
        if (f.page != page)
            continue;
        const QString name = QString::fromUtf8(f.name.data(), static_cast<qsizetype>(f.name.size()));
        edits_.insert(name, root.findChild<QLineEdit*>(name));
    }
    made_.at(static_cast<std::size_t>(page - 1)) = true;
}

QLineEdit* WindowFields::Edit(const std::string& name) const
{
    const snesenie::FieldInfo& f = Field(name);
    if (!Made(f.page))
        makePage_(f.page);
    QLineEdit* edit = edits_.value(QString::fromStdString(name));
    if (edit == nullptr)
        throw std::out_of_range("no field " + name);
    return edit;
}

std::string WindowFields::GetText(const std::string& name) const
{
    const snesenie::FieldInfo& f = Field(name);
    if (!Made(f.page))
        return std::string(f.example);
    return Edit(name)->text().toStdString();
}

void WindowFields::SetText(const std::string& name, const std::string& text)
{
    const snesenie::FieldInfo& f = Field(name);
    if (!Made(f.page) && text == f.example)
        return;
    QLineEdit* edit = Edit(name);
    edit->setText(QString::fromStdString(text));
    // Show a long number from its first digit, as a sheet reads.
    edit->setCursorPosition(0);
}
