#include "WindowFields.h"

#include "FieldTable.h"

#include <QLineEdit>
#include <stdexcept>

WindowFields::WindowFields(std::function<void(int page)> makePage) : makePage_(std::move(makePage)) {}

void WindowFields::Collect(const QWidget& root, int page)
{
    for (const snesenie::FieldInfo& f : snesenie::Fields())
        if (f.page == page)
            edits_[static_cast<std::size_t>(f.id)] =
                root.findChild<QLineEdit*>(QString::fromUtf8(f.name.data(), static_cast<qsizetype>(f.name.size())));
    made_.at(static_cast<std::size_t>(page - 1)) = true;
}

QLineEdit* WindowFields::Edit(snesenie::FieldId id) const
{
    const snesenie::FieldInfo& f = snesenie::Field(id);
    if (!Made(f.page))
        makePage_(f.page);
    QLineEdit* edit = edits_[static_cast<std::size_t>(id)];
    if (edit == nullptr)
        throw std::out_of_range("no field " + std::string(f.name));
    return edit;
}

QLineEdit* WindowFields::Edit(const std::string& name) const
{
    const snesenie::FieldInfo* f = snesenie::FindField(name);
    if (f == nullptr)
        throw std::out_of_range("no field " + name);
    return Edit(f->id);
}

std::string WindowFields::GetText(snesenie::FieldId id) const
{
    const snesenie::FieldInfo& f = snesenie::Field(id);
    if (!Made(f.page))
        return std::string(f.example);
    return Edit(id)->text().toStdString();
}

void WindowFields::SetText(snesenie::FieldId id, const std::string& text)
{
    const snesenie::FieldInfo& f = snesenie::Field(id);
    if (!Made(f.page) && text == f.example)
        return;
    QLineEdit* edit = Edit(id);
    edit->setText(QString::fromStdString(text));
    // Show a long number from its first digit, as a sheet reads.
    edit->setCursorPosition(0);
}
