#include "controls/time.h"

#include "controls/inputhelpers.h"
#include "datevalue.h"
#include "generalhelpers.h"
#include "textdates.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QTimeEdit>

Time::Time(QWidget *Parent)
    : QWidget(Parent)
    , m_Picker(new QTimeEdit(this))
{
    m_Picker->setObjectName(QStringLiteral("Picker"));
    m_Picker->setLocale(InputHelpers::DisplayLocale());
    m_Picker->setDisplayFormat(QStringLiteral("HH:mm"));
    m_Picker->setTime(QTime(0, 0));
    setFocusProxy(m_Picker);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_Picker);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_Picker, &QTimeEdit::timeChanged, this, &Time::Changed);
}

QDateTime Time::Value() const
{
    const QTime time = m_Picker->time();
    return DateValue::Zero().addSecs(time.msecsSinceStartOfDay() / 1000);
}

void Time::SetValue(const QDateTime &Value)
{
    const QDateTime onZeroDate = SetTimeOnDate(Value, DateValue::Zero());
    const QSignalBlocker blocker(m_Picker);
    m_Picker->setTime(onZeroDate.isValid() ? onZeroDate.time() : QTime(0, 0));
}

void Time::SetValue(const QString &Text)
{
    SetValue(StringToDate(Text, QStringLiteral("/")));
}

void Time::SetValue(double Serial)
{
    SetValue(DateValue::FromSerial(Serial));
}

bool Time::Enabled() const
{
    return m_Picker->isEnabled();
}

void Time::SetEnabled(bool Value)
{
    m_Picker->setEnabled(Value);
    setEnabled(Value);
}
