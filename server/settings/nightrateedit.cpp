#include "settings/nightrateedit.h"

#include "ui_nightrateedit.h"

#include "core/dbvalues.h"
#include "entitylib.h"
#include "seances/dialogsupport.h"
#include "settings/wholenumber.h"

namespace
{
constexpr qint32 PrepayDigits = 4;
constexpr qint32 MaxPrepay = 9999;
const QString PrepayField = QStringLiteral("PrepaySum");
} // namespace

NightRateEdit::NightRateEdit(QWidget *Parent)
    : RateEditBase(Parent)
    , m_ui(std::make_unique<Ui::NightRateEdit>())
{
    m_ui->setupUi(this);
    // The input's own name; its member cannot carry its class's name.
    m_ui->Days->setObjectName(QStringLiteral("DaysOfWeek"));
    SetUpRateInputs({m_ui->RateName, m_ui->AllDays, m_ui->TheseDays, m_ui->Days, m_ui->RatePriceForHour},
                    PriceUnit::WholeRoubles);
    SetUpWholeNumber(m_ui->RatePrepaySum, PrepayDigits, 0, MaxPrepay);
    connect(m_ui->RatePrepaySum, &Numeric::Changed, this, &NightRateEdit::InputEdited);
    FillControls();
}

NightRateEdit::~NightRateEdit() = default;

QList<QObject *> NightRateEdit::Inputs() const
{
    return RateEditBase::Inputs() << m_ui->RatePrepaySum;
}

void NightRateEdit::ShowRecord(const Rollstrake::DBRecord *Record)
{
    m_ui->RatePrepaySum->SetValue(Currency(Record ? IntValue(*Record, PrepayField) : 0));
    RateEditBase::ShowRecord(Record);
}

void NightRateEdit::WriteRecord(Rollstrake::DBRecord &Record) const
{
    RateEditBase::WriteRecord(Record);
    SetFieldValue(Record, PrepayField, SeanceDialogs::WholeValue(m_ui->RatePrepaySum));
}
