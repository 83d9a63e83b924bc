#pragma once

#include "PageFields.h"

#include <QHash>
#include <QString>

class QLineEdit;
class QWidget;

/// The core's view of the main window: each named field is the QLineEdit of
/// that objectName. Texts cross as UTF-8.
class WindowFields : public snesenie::PageFields {
public:
    /// Collects the edit boxes of every field of the table below root.
    explicit WindowFields(const QWidget& root);

    std::string GetText(const std::string& name) const override;
    void SetText(const std::string& name, const std::string& text) override;

    /// The edit box of a field; throws std::out_of_range for an unknown name.
    QLineEdit* Edit(const std::string& name) const;

private:
    QHash<QString, QLineEdit*> edits_;
};
