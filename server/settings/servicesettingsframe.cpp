#include "settings/servicesettingsframe.h"

#include "ui_servicesettingsframe.h"

#include "core/dbvalues.h"
#include "core/rates.h"

ServiceSettingsFrame::ServiceSettingsFrame(QWidget *parent)
    : RecordsPage(QStringLiteral("ServiceSettings"), QStringLiteral("ServiceTypes"), parent)
    , m_ui(std::make_unique<Ui::ServiceSettingsFrame>())
{
    m_ui->setupUi(this);
    // The controls' own names; their members cannot carry their classes' names.
    m_ui->Services->setObjectName(QStringLiteral("ServicesList"));
    m_ui->Editor->setObjectName(QStringLiteral("ServiceEdit"));
    Attach(m_ui->Services, m_ui->Editor, m_ui->AddService, m_ui->DelService);
}

ServiceSettingsFrame::~ServiceSettingsFrame() = default;

void ServiceSettingsFrame::Refill(qint32 SelectCode)
{
    m_ui->Services->FillServicesList(SelectCode);
}

void ServiceSettingsFrame::InitNewRecord(Rollstrake::DBRecord &Record) const
{
    SetFieldValue(Record, QStringLiteral("Name"), NewServiceName());
}
