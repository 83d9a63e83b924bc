#include "WindowFields.h"

#include "FieldTable.h"

#include <QLineEdit>
#include <stdexcept>

WindowFields::WindowFields(const QWidget& root)
{
    for (const snesenie::FieldInfo& f : snesenie::Fields()) {
        const QString name = QString::fromUtf8(f.name.data(), static_cast<qsizetype>(f.name.size()));
        edits_.insert(name, root.findChild<QLineEdit*>(name));
    }
}

QLineEdit* WindowFields::Edit(const std::string& name) const
{
    QLineEdit* edit = edits_.value(QString::fromStdString(name));
    if (edit == nullptr)
        throw std::out_of_range("no field " + name);
    return edit;
}

std::string WindowFields::GetText(const std::string& name) const
{
    return Edit(name)->text().toStdString();
}

void WindowFields::SetText(const std::string& name, const std::string& text)
{
    QLineEdit* edit = Edit(name);
    edit->setText(QString::fromStdString(text));
    // Show a long number from its first digit, as a sheet reads.
    edit->setCursorPosition(0);
}
