#include "WindowFields.h"

#include "FieldTable.h"

#include <QLineEdit>
#include <stdexcept>

WindowFields::WindowFields(const QWidget& root)
{
    for (const snesenie::FieldInfo& f : snesenie::Fields())
        edits_[static_cast<std::size_t>(f.id)] =
            root.findChild<QLineEdit*>(QString::fromUtf8(f.name.data(), static_cast<qsizetype>(f.name.size())));
}

QLineEdit* WindowFields::Edit(snesenie::FieldId id) const
{
    QLineEdit* edit = edits_[static_cast<std::size_t>(id)];
    if (edit == nullptr)
        throw std::out_of_range("no field " + std::string(snesenie::Field(id).name));
    return edit;
}

QLineEdit* WindowFields::Edit(const std::string& name) const
{
    const snesenie::FieldInfo* info = snesenie::FindField(name);
    if (info == nullptr)
        throw std::out_of_range("no field " + name);
    return Edit(info->id);
}

std::string WindowFields::GetText(snesenie::FieldId id) const { return Edit(id)->text().toStdString(); }

void WindowFields::SetText(snesenie::FieldId id, const std::string& text)
{
    QLineEdit* edit = Edit(id);
    edit->setText(QString::fromStdString(text));
    // Show a long number from its first digit, as a sheet reads.
    edit->setCursorPosition(0);
}
