#include "controls/time.h"

#include "controls/inputhelpers.h"
#include "controls/sectionediting.h"
#include "datevalue.h"
#include "generalhelpers.h"
#include "textdates.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QTimeEdit>

Time::Time(QWidget *Parent)
    : QWidget(Parent)
    , m_picker(new QTimeEdit(this))
{
    m_picker->setObjectName(QStringLiteral("Picker"));
    m_picker->setLocale(InputHelpers::DisplayLocale());
    m_picker->setDisplayFormat(QStringLiteral("HH:mm"));
    m_picker->setTime(QTime(0, 0));
    setFocusProxy(m_picker);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_picker);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_picker, &QTimeEdit::timeChanged, this, &Time::Changed);
    new SectionEditing(m_picker);
}

QDateTime Time::Value() const
{
    const QTime time = m_picker->time();
    return DateValue::Zero().addSecs(time.msecsSinceStartOfDay() / 1000);
}

void Time::SetValue(const QDateTime &Value)
{
    const QDateTime onZeroDate = SetTimeOnDate(Value, DateValue::Zero());
    const QSignalBlocker blocker(m_picker);
    m_picker->setTime(onZeroDate.isValid() ? onZeroDate.time() : QTime(0, 0));
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
    return m_picker->isEnabled();
}

void Time::SetEnabled(bool Value)
{
    m_picker->setEnabled(Value);
    setEnabled(Value);
}
