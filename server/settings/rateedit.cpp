#include "settings/rateedit.h"

#include "ui_rateedit.h"

#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "datevalue.h"
#include "entitylib.h"
#include "generalhelpers.h"

#include <QButtonGroup>

namespace
{
const QString TimeFromField = QStringLiteral("TimeFrom");
const QString TimeToField = QStringLiteral("TimeTo");
// "Весь день": the whole day on the zero date.
const QTime DayBegin(0, 0);
const QTime DayEnd(23, 59, 59);

QDateTime OnZeroDate(QTime Time)
{
    return QDateTime(DateValue::Zero().date(), Time, Qt::UTC);
}
} // namespace

RateEdit::RateEdit(QWidget *Parent)
    : RateEditBase(Parent)
    , m_ui(std::make_unique<Ui::RateEdit>())
{
    m_ui->setupUi(this);
    // The input's own name; its member cannot carry its class's name.
    m_ui->Days->setObjectName(QStringLiteral("DaysOfWeek"));
    SetUpRateInputs({m_ui->RateName, m_ui->AllDays, m_ui->TheseDays, m_ui->Days, m_ui->RatePriceForHour},
                    PriceUnit::Kopecks);
    auto *times = new QButtonGroup(this);
    times->addButton(m_ui->AllTime);
    times->addButton(m_ui->TheseTime);
    connect(m_ui->TimeFrom, &Time::Changed, this, &RateEdit::InputEdited);
    connect(m_ui->TimeTo, &Time::Changed, this, &RateEdit::InputEdited);
    for (QRadioButton *option : {m_ui->AllTime, m_ui->TheseTime}) {
        connect(option, &QRadioButton::clicked, this, [this] {
            InputEdited();
            UpdateOptionInputs();
        });
    }
    FillControls();
}

RateEdit::~RateEdit() = default;

QList<QObject *> RateEdit::Inputs() const
{
    return RateEditBase::Inputs() << m_ui->AllTime << m_ui->TheseTime << m_ui->TimeFrom << m_ui->TimeTo;
}

void RateEdit::ShowRecord(const Rollstrake::DBRecord *Record)
{
    const QDateTime from = Record ? DateValueOf(*Record, TimeFromField) : OnZeroDate(DayBegin);
    const QDateTime to = Record ? DateValueOf(*Record, TimeToField) : OnZeroDate(DayEnd);
    const bool wholeDay = CompareDates(from, OnZeroDate(DayBegin), cmpTimeOnly) == 0
                          && CompareDates(to, OnZeroDate(DayEnd), cmpTimeOnly) == 0;
    (wholeDay ? m_ui->AllTime : m_ui->TheseTime)->setChecked(true);
    m_ui->TimeFrom->SetValue(wholeDay ? QDateTime() : from);
    m_ui->TimeTo->SetValue(wholeDay ? QDateTime() : to);
    RateEditBase::ShowRecord(Record);
}

bool RateEdit::CheckInput() const
{
    if (!RateEditBase::CheckInput()) {
        return false;
    }
    if (m_ui->TheseTime->isChecked()
        && CompareDates(m_ui->TimeFrom->Value(), m_ui->TimeTo->Value(), cmpTimeOnly) == 2) {
        ShowError(QStringLiteral("Интервал времени задан неверно!"));
        return false;
    }
    return true;
}

void RateEdit::WriteRecord(Rollstrake::DBRecord &Record) const
{
    RateEditBase::WriteRecord(Record);
    const bool wholeDay = m_ui->AllTime->isChecked();
    SetFieldValue(Record, TimeFromField, wholeDay ? OnZeroDate(DayBegin) : m_ui->TimeFrom->Value());
    SetFieldValue(Record, TimeToField, wholeDay ? OnZeroDate(DayEnd) : m_ui->TimeTo->Value());
}

void RateEdit::UpdateOptionInputs()
{
    RateEditBase::UpdateOptionInputs();
    const bool times = m_ui->TheseTime->isChecked() && Record() != nullptr;
    m_ui->TimeFrom->SetEnabled(times);
    m_ui->TimeTo->SetEnabled(times);
}
