#include "settings/serviceedit.h"

#include "ui_serviceedit.h"

#include "core/dbvalues.h"
#include "entitylib.h"
#include "settings/wholenumber.h"

namespace
{
constexpr qint32 PriceDigits = 4;
constexpr qint32 MaxPrice = 9999;
const QString NameField = QStringLiteral("Name");
const QString PriceField = QStringLiteral("Price");
} // namespace

ServiceEdit::ServiceEdit(QWidget *Parent)
    : RecordEditor(Parent)
    , m_ui(std::make_unique<Ui::ServiceEdit>())
{
    m_ui->setupUi(this);
    SetUpPrice(m_ui->ServicePrice, PriceDigits, MaxPrice);
    connect(m_ui->ServiceName, &String::Changed, this, &ServiceEdit::InputEdited);
    connect(m_ui->ServicePrice, &Numeric::Changed, this, &ServiceEdit::InputEdited);
    FillControls();
}

ServiceEdit::~ServiceEdit() = default;

QList<QObject *> ServiceEdit::Inputs() const
{
    return {m_ui->ServiceName, m_ui->ServicePrice};
}

void ServiceEdit::ShowRecord(const Rollstrake::DBRecord *Record)
{
    m_ui->ServiceName->SetValue(Record ? TextValue(*Record, NameField) : QString());
    m_ui->ServicePrice->SetValue(Record ? MoneyValue(*Record, PriceField) : Currency());
}

void ServiceEdit::WriteRecord(Rollstrake::DBRecord &Record) const
{
    SetFieldValue(Record, NameField, m_ui->ServiceName->Value().trimmed());
    SetFieldValue(Record, PriceField, QVariant::fromValue(m_ui->ServicePrice->Value()));
}
