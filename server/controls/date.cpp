#include "controls/date.h"

#include "clock.h"
#include "controls/inputhelpers.h"
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
    , m_Picker(new QDateEdit(this))
    , m_Check(new QCheckBox(this))
    , m_Stepper(new QWidget(this))
{
    m_Picker->setObjectName(QStringLiteral("Picker"));
    m_Picker->setLocale(InputHelpers::DisplayLocale());
    m_Picker->setDisplayFormat(QStringLiteral("dd-MM-yyyy"));
    m_Picker->setCalendarPopup(true);
    m_Picker->setDate(Clock::Now().date());
    m_Check->setObjectName(QStringLiteral("Check"));
    m_Check->setChecked(true);
    m_Check->setToolTip(QStringLiteral("Дата указана"));
    setFocusProxy(m_Picker);

    m_Stepper->setObjectName(QStringLiteral("DayStepper"));
    auto *arrows = new QVBoxLayout(m_Stepper);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    m_DayUp = MakeArrow(Qt::UpArrow, QStringLiteral("DayUp"), m_Stepper);
    m_DayDown = MakeArrow(Qt::DownArrow, QStringLiteral("DayDown"), m_Stepper);
    arrows->addWidget(m_DayUp);
    arrows->addWidget(m_DayDown);
    // The stepper stands beside the picker with the picker's height.
    const int height = m_Picker->sizeHint().height();
    m_Stepper->setFixedHeight(height);
    m_DayUp->setFixedHeight(height / 2);
    m_DayDown->setFixedHeight(height - height / 2);
    m_Stepper->hide();
    connect(m_DayUp, &QToolButton::clicked, this, [this] { StepDay(1); });
    connect(m_DayDown, &QToolButton::clicked, this, [this] { StepDay(-1); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_Check);
    layout->addWidget(m_Picker, 1);
    layout->addWidget(m_Stepper);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    connect(m_Picker, &QDateEdit::dateChanged, this, &Date::OnPickerChanged);
    connect(m_Check, &QCheckBox::toggled, this, [this](bool Checked) {
        m_Picker->setEnabled(Checked && isEnabled());
        OnPickerChanged();
    });
    UpdateDayStepper();
}

QDateTime Date::Day() const
{
    if (!m_Check->isChecked()) {
        return {};
    }
    const QDate day = m_Picker->date();
    return DateValue::Make(day.year(), day.month(), day.day());
}

QVariant Date::Value() const
{
    switch (m_ValueType) {
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
    if (m_ValueType == 0) {
        SetPickerValue(StringToDate(Value.toString(), QStringLiteral("/")));
    } else if (m_ValueType == 1) {
        const bool isDate = Value.typeId() == QMetaType::QDateTime || Value.typeId() == QMetaType::QDate;
        SetPickerValue(isDate ? DateValue::Normalized(Value.toDateTime()) : QDateTime());
    }
}

void Date::SetPickerValue(const QDateTime &Value)
{
    const QSignalBlocker pickerBlocker(m_Picker);
    const QSignalBlocker checkBlocker(m_Check);
    m_Picker->setDate(Clock::Now().date());
    if (Value.isValid()) {
        m_Check->setChecked(true);
        m_Picker->setDate(Value.date());
    } else if (!m_Required) {
        m_Check->setChecked(false);
    } else {
        m_Check->setChecked(true);
    }
    m_Picker->setEnabled(m_Check->isChecked() && isEnabled());
    UpdateDayStepper();
}

bool Date::Enabled() const
{
    return isEnabled();
}

void Date::SetEnabled(bool Value)
{
    setEnabled(Value);
    m_Check->setEnabled(Value);
    m_Picker->setEnabled(Value && m_Check->isChecked());
    UpdateDayStepper();
}

void Date::SetRequired(bool Value)
{
    m_Required = Value;
    if (Value && !m_Check->isChecked()) {
        m_Check->setChecked(true);
    }
    m_Check->setVisible(!Value);
}

void Date::SetSlider(bool Value)
{
    m_Slider = Value;
    m_Stepper->setVisible(Value);
}

void Date::StepDay(qint32 Days)
{
    if (m_Check->isChecked()) {
        m_Picker->setDate(m_Picker->date().addDays(Days));
    }
}

void Date::UpdateDayStepper()
{
    m_Stepper->setEnabled(m_Check->isChecked() && isEnabled());
}

void Date::OnPickerChanged()
{
    UpdateDayStepper();
    emit Changed();
}
