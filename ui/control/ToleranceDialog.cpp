#include "ToleranceDialog.h"

#include "KeyboardRules.h"
#include "Numbers.h"

#include <QDialogButtonBox>
#include <QFocusEvent>
#include <QFormLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* RangeLabel(const std::string& range, const char* reason, const char* key, QWidget* parent)
{
    // The range under its box, with why it is that wide: a value outside
    // it is refused, and the user should see before typing why.
    auto* label = new QLabel(QString::fromStdString("допустимо " + range + ": " + reason), parent);
    label->setObjectName(QString::fromLatin1(key) + QStringLiteral("Range"));
    label->setWordWrap(true);
    QFont small = label->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    label->setFont(small);
    label->setContentsMargins(12, 0, 0, 6);
    return label;
}

} // namespace

ToleranceDialog::ToleranceDialog(const snesenie::Tolerances& current, QWidget* parent)
    : ToleranceDialog(current, snesenie::Precision{}, parent)
{
}

ToleranceDialog::ToleranceDialog(const snesenie::Tolerances& current, const snesenie::Precision& precision,
                                 QWidget* parent)
    : QDialog(parent), result_(current), precision_(precision)
{
    setObjectName(QStringLiteral("ToleranceDialog"));
    setWindowTitle(QStringLiteral("Допуски"));

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(QStringLiteral("Допуски контроля по вашей инструкции. Числа пишутся с запятой: 0,05."),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    auto* form = new QFormLayout;
    for (const snesenie::ToleranceField& field : snesenie::ToleranceFields()) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(field.key));
        edit->setAccessibleName(QString::fromUtf8(field.label));
        form->addRow(QString::fromUtf8(field.label), edit);
        edits_.append(edit);
        edit->installEventFilter(this);
        form->addRow(RangeLabel(snesenie::ToleranceRange(field), field.reason, field.key, this));
    }
    layout->addLayout(form);

    auto* precisionIntro = new QLabel(QStringLiteral("<b>Точность измерений</b> — по ней оценивается точность "
                                                     "положения P (средние квадратические ошибки):"),
                                      this);
    precisionIntro->setWordWrap(true);
    layout->addWidget(precisionIntro);
    auto* precisionForm = new QFormLayout;
    for (const snesenie::PrecisionField& field : snesenie::PrecisionFields()) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(field.key));
        edit->setAccessibleName(QString::fromUtf8(field.label));
        edit->installEventFilter(this);
        precisionForm->addRow(QString::fromUtf8(field.label), edit);
        precisionEdits_.append(edit);
        precisionForm->addRow(RangeLabel(snesenie::PrecisionRange(field), field.reason, field.key, this));
    }
    layout->addLayout(precisionForm);
    // Wide enough that each reason wraps to two lines at most, and the
    // dialog keeps the height its wrapped texts need.
    setMinimumWidth(560);
    layout->setSizeConstraint(QLayout::SetMinimumSize);

    // Said in words and in red, next to the boxes, while the dialog stays open.
    Problem = new QLabel(this);
    Problem->setObjectName(QStringLiteral("Problem"));
    Problem->setWordWrap(true);
    QPalette red = Problem->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Problem->setPalette(red);
    Problem->hide();
    layout->addWidget(Problem);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    // Every button has its access key; Enter and Esc stay OK and Отмена.
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("О&К"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("&Отмена"));
    QPushButton* defaults = buttons->addButton(QStringLiteral("&По умолчанию"), QDialogButtonBox::ResetRole);
    defaults->setObjectName(QStringLiteral("DefaultsButton"));
    connect(defaults, &QPushButton::clicked, this, [this] { Fill(snesenie::Tolerances{}, snesenie::Precision{}); });
    connect(buttons, &QDialogButtonBox::accepted, this, &ToleranceDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ToleranceDialog::reject);
    layout->addWidget(buttons);

    Fill(current, precision);
}

void ToleranceDialog::Fill(const snesenie::Tolerances& tolerances, const snesenie::Precision& precision)
{
    const auto fields = snesenie::ToleranceFields();
    for (qsizetype i = 0; i < edits_.size(); ++i)
        edits_[i]->setText(QString::fromStdString(snesenie::FormatNumber(tolerances.*fields[i].member)));
    const auto precisionFields = snesenie::PrecisionFields();
    for (qsizetype i = 0; i < precisionEdits_.size(); ++i)
        precisionEdits_[i]->setText(
            QString::fromStdString(snesenie::FormatNumber(precision.*precisionFields[i].member)));
    Problem->hide();
}

QLineEdit* ToleranceDialog::Edit(const char* key) const
{
    return findChild<QLineEdit*>(QString::fromLatin1(key));
}

void ToleranceDialog::accept()
{
    snesenie::Tolerances read;
    const auto fields = snesenie::ToleranceFields();
    auto refuse = [this](const std::string& message, QLineEdit* edit) {
        Problem->setText(QString::fromStdString(message));
        Problem->show();
        // The dialog grows by the message: squeezed instead, the wrapped
        // ranges above would lose lines.
        layout()->activate();
        const int needed = layout()->totalHeightForWidth(width());
        if (height() < needed)
            resize(width(), needed);
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
    };
    for (qsizetype i = 0; i < edits_.size(); ++i) {
        double value = 0;
        if (const auto message = snesenie::ReadTolerance(fields[i], edits_[i]->text().toStdString(), value)) {
            refuse(*message, edits_[i]);
            return;
        }
        read.*fields[i].member = value;
    }
    snesenie::Precision readPrecision;
    const auto precisionFields = snesenie::PrecisionFields();
    for (qsizetype i = 0; i < precisionEdits_.size(); ++i) {
        double value = 0;
        if (const auto message =
                snesenie::ReadPrecision(precisionFields[i], precisionEdits_[i]->text().toStdString(), value)) {
            refuse(*message, precisionEdits_[i]);
            return;
        }
        readPrecision.*precisionFields[i].member = value;
    }
    precision_ = readPrecision;
    // Each value within its own range leaves the set usable as a whole
    // (γ min below 90°, γ max above), so nothing more is checked together.
    result_ = read;
    QDialog::accept();
}

void ToleranceDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // The first box starts selected: what is typed replaces the old value.
    if (!edits_.isEmpty()) {
        edits_.front()->setFocus(Qt::OtherFocusReason);
        edits_.front()->selectAll();
    }
}

bool ToleranceDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr)
        return false;
    if (event->type() == QEvent::FocusIn && static_cast<QFocusEvent*>(event)->reason() != Qt::MouseFocusReason)
        edit->selectAll();
    // An Alt chord that is no access key here would type its letter.
    return event->type() == QEvent::KeyPress && KeyboardRules::IsStrayAltChord(*static_cast<QKeyEvent*>(event));
}
