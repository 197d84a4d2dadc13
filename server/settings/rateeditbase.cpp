#include "settings/rateeditbase.h"

#include "controls/daysofweek.h"
#include "controls/numeric.h"
#include "controls/string.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "entitylib.h"
#include "settings/wholenumber.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace
{
constexpr qint32 PriceDigits = 4;
constexpr qint32 MaxPrice = 9999;
const QString NameField = QStringLiteral("Name");
const QString DaysField = QStringLiteral("DaysOfWeek");
const QString PriceField = QStringLiteral("PriceForHour");
} // namespace

RateEditBase::RateEditBase(QWidget *Parent)
    : RecordEditor(Parent)
{
}

void RateEditBase::SetUpRateInputs(const RateInputs &Inputs, PriceUnit Unit)
{
    m_inputs = Inputs;
    auto *days = new QButtonGroup(this);
    days->addButton(Inputs.AllDays);
    days->addButton(Inputs.TheseDays);
    if (Unit == PriceUnit::Kopecks) {
        SetUpPrice(Inputs.Price, PriceDigits, MaxPrice);
    } else {
        SetUpWholeNumber(Inputs.Price, PriceDigits, 0, MaxPrice);
    }
    connect(Inputs.Name, &String::Changed, this, &RateEditBase::InputEdited);
    connect(Inputs.Days, &DaysOfWeek::Changed, this, &RateEditBase::InputEdited);
    connect(Inputs.Price, &Numeric::Changed, this, &RateEditBase::InputEdited);
    for (QRadioButton *option : {Inputs.AllDays, Inputs.TheseDays}) {
        connect(option, &QRadioButton::clicked, this, [this] {
            InputEdited();
            UpdateOptionInputs();
        });
    }
}

QList<QObject *> RateEditBase::Inputs() const
{
    return {m_inputs.Name, m_inputs.AllDays, m_inputs.TheseDays, m_inputs.Days, m_inputs.Price};
}

void RateEditBase::ShowRecord(const Rollstrake::DBRecord *Record)
{
    m_inputs.Name->SetValue(Record ? TextValue(*Record, NameField) : QString());
    const qint32 mask = Record ? IntValue(*Record, DaysField) : AllDaysMask;
    // Every day shows as the option, with no day ticked.
    const bool allDays = mask == AllDaysMask;
    m_inputs.Days->SetValue(allDays ? 0 : static_cast<quint8>(mask));
    (allDays ? m_inputs.AllDays : m_inputs.TheseDays)->setChecked(true);
    m_inputs.Price->SetValue(Record ? MoneyValue(*Record, PriceField) : Currency());
    UpdateOptionInputs();
}

bool RateEditBase::CheckInput() const
{
    if (m_inputs.TheseDays->isChecked() && m_inputs.Days->Value() == 0) {
        ShowError(QStringLiteral("Не выбран ни один день!"));
        return false;
    }
    return true;
}

void RateEditBase::WriteRecord(Rollstrake::DBRecord &Record) const
{
    SetFieldValue(Record, NameField, m_inputs.Name->Value().trimmed());
    SetFieldValue(Record,
                  DaysField,
                  static_cast<qint32>(m_inputs.AllDays->isChecked() ? AllDaysMask : m_inputs.Days->Value()));
    SetFieldValue(Record, PriceField, QVariant::fromValue(m_inputs.Price->Value()));
}

void RateEditBase::UpdateOptionInputs()
{
    m_inputs.Days->SetEnabled(m_inputs.TheseDays->isChecked() && Record() != nullptr);
}
