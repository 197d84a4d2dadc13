#include "controls/date.h"

#include "clock.h"
#include "controls/inputhelpers.h"
#include "controls/sectionediting.h"
#include "datevalue.h"
#include "textdates.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace
{
QToolButton *MakeArrow(Qt::ArrowType Arrow, const QString &Name, QWidget *Parent)
{
    auto *button = new QToolButton(Parent);
    button->setObjectName(Name);
    button->setArrowType(Arrow);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedWidth(16);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    return button;
}
} // namespace

Date::Date(QWidget *Parent)
    : QWidget(Parent)
    , m_picker(new QDateEdit(this))
    , m_check(new QCheckBox(this))
    , m_stepper(new QWidget(this))
{
    m_picker->setObjectName(QStringLiteral("Picker"));
    m_picker->setLocale(InputHelpers::DisplayLocale());
    m_picker->setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
    m_picker->setCalendarPopup(true);
    m_picker->setDate(Clock::Now().date());
    new SectionEditing(m_picker);
    m_check->setObjectName(QStringLiteral("Check"));
    m_check->setChecked(true);
    m_check->setToolTip(QStringLiteral("Дата указана"));
    setFocusProxy(m_picker);

    m_stepper->setObjectName(QStringLiteral("DayStepper"));
    auto *arrows = new QVBoxLayout(m_stepper);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    m_dayUp = MakeArrow(Qt::UpArrow, QStringLiteral("DayUp"), m_stepper);
    m_dayDown = MakeArrow(Qt::DownArrow, QStringLiteral("DayDown"), m_stepper);
    arrows->addWidget(m_dayUp);
    arrows->addWidget(m_dayDown);
    // The stepper stands beside the picker with the picker's height.
    const int height = m_picker->sizeHint().height();
    m_stepper->setFixedHeight(height);
    m_dayUp->setFixedHeight(height / 2);
    m_dayDown->setFixedHeight(height - height / 2);
    m_stepper->hide();
    connect(m_dayUp, &QToolButton::clicked, this, [this] { StepDay(1); });
    connect(m_dayDown, &QToolButton::clicked, this, [this] { StepDay(-1); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_check);
    layout->addWidget(m_picker, 1);
    layout->addWidget(m_stepper);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    connect(m_picker, &QDateEdit::dateChanged, this, &Date::OnPickerChanged);
    connect(m_check, &QCheckBox::toggled, this, [this](bool Checked) {
        m_picker->setEnabled(Checked && isEnabled());
        OnPickerChanged();
    });
    UpdateDayStepper();
}

QDateTime Date::Day() const
{
    if (!m_check->isChecked()) {
        return {};
    }
    const QDate day = m_picker->date();
    return DateValue::Make(day.year(), day.month(), day.day());
}

QVariant Date::Value() const
{
    switch (m_valueType) {
    case 0:
        return DateToString(Day(), false, QStringLiteral("/"));
    case 1:
        return Day();
    default:
        return {};
    }
}

void Date::SetValue(const QVariant &Value)
{
    if (m_valueType == 0) {
        SetPickerValue(StringToDate(Value.toString(), QStringLiteral("/")));
    } else if (m_valueType == 1) {
        const bool isDate = Value.typeId() == QMetaType::QDateTime || Value.typeId() == QMetaType::QDate;
        SetPickerValue(isDate ? DateValue::Normalized(Value.toDateTime()) : QDateTime());
    }
}

void Date::SetPickerValue(const QDateTime &Value)
{
    const QSignalBlocker pickerBlocker(m_picker);
    const QSignalBlocker checkBlocker(m_check);
    m_picker->setDate(Clock::Now().date());
    if (Value.isValid()) {
        m_check->setChecked(true);
        m_picker->setDate(Value.date());
    } else if (!m_required) {
        m_check->setChecked(false);
    } else {
        m_check->setChecked(true);
    }
    m_picker->setEnabled(m_check->isChecked() && isEnabled());
    UpdateDayStepper();
}

bool Date::Enabled() const
{
    return isEnabled();
}

void Date::SetEnabled(bool Value)
{
    setEnabled(Value);
    m_check->setEnabled(Value);
    m_picker->setEnabled(Value && m_check->isChecked());
    UpdateDayStepper();
}

void Date::SetRequired(bool Value)
{
    m_required = Value;
    if (Value && !m_check->isChecked()) {
        m_check->setChecked(true);
    }
    m_check->setVisible(!Value);
}

void Date::SetMinimumDay(const QDateTime &Value)
{
    const QSignalBlocker blocker(m_picker);
    if (Value.isValid()) {
        m_picker->setMinimumDate(Value.date());
    } else {
        m_picker->clearMinimumDate();
    }
}

void Date::SetSlider(bool Value)
{
    m_slider = Value;
    m_stepper->setVisible(Value);
}

void Date::StepDay(qint32 Days)
{
    if (m_check->isChecked()) {
        m_picker->setDate(m_picker->date().addDays(Days));
    }
}

void Date::UpdateDayStepper()
{
    m_stepper->setEnabled(m_check->isChecked() && isEnabled());
}

void Date::OnPickerChanged()
{
    UpdateDayStepper();
    emit Changed();
}
