#include "ToleranceSettings.h"

#include "Numbers.h"

#include <QSettings>

namespace {

// Stored as the texts the dialog shows, with the decimal comma, so the file
// reads the same whatever the locale of the machine that wrote it.
const QString kOrganisation = QStringLiteral("snesenie");

QString Key(const snesenie::ToleranceField& field)
{
    return QStringLiteral("control/") + QString::fromLatin1(field.key);
}

} // namespace

snesenie::Tolerances LoadTolerances()
{
    const QSettings settings(kOrganisation, kOrganisation);
    snesenie::Tolerances tolerances;
    for (const snesenie::ToleranceField& field : snesenie::ToleranceFields()) {
        const QVariant stored = settings.value(Key(field));
        double value = 0;
        if (stored.isValid() && !snesenie::ReadTolerance(field, stored.toString().toStdString(), value))
            tolerances.*field.member = value;
    }
    if (snesenie::ToleranceProblem(tolerances))
        return {};
    return tolerances;
}

void SaveTolerances(const snesenie::Tolerances& tolerances)
{
    QSettings settings(kOrganisation, kOrganisation);
    for (const snesenie::ToleranceField& field : snesenie::ToleranceFields())
        settings.setValue(Key(field), QString::fromStdString(snesenie::FormatNumber(tolerances.*field.member)));
}
