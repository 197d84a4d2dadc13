#include "settings/ratesettingsframe.h"

#include "ui_ratesettingsframe.h"

#include "core/dbvalues.h"
#include "core/rates.h"

RateSettingsFrame::RateSettingsFrame(QWidget *parent)
    : RecordsPage(QStringLiteral("RateSettings"), QStringLiteral("Rates"), parent)
    , m_ui(std::make_unique<Ui::RateSettingsFrame>())
{
    m_ui->setupUi(this);
    // The controls' own names; their members cannot carry their classes' names.
    m_ui->Rates->setObjectName(QStringLiteral("RatesList"));
    m_ui->Editor->setObjectName(QStringLiteral("RateEdit"));
    Attach(m_ui->Rates, m_ui->Editor, m_ui->AddRate, m_ui->DelRate);
}

RateSettingsFrame::~RateSettingsFrame() = default;

void RateSettingsFrame::Refill(qint32 SelectCode)
{
    m_ui->Rates->FillRatesList(SelectCode, RatesList::DayRates);
}

void RateSettingsFrame::InitNewRecord(Rollstrake::DBRecord &Record) const
{
    SetFieldValue(Record, QStringLiteral("Name"), NewRateName());
    SetFieldValue(Record, QStringLiteral("IsNight"), 0);
}
