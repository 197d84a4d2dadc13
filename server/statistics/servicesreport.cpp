#include "statistics/servicesreport.h"

#include "core/dbvalues.h"
#include "generalhelpers.h"
#include "textdates.h"

ServicesReport::ServicesReport(const ReportFilter &Filter)
    : PeriodTableReport(Filter, QStringLiteral("Services"), QStringLiteral("ServiceTime"))
{
}

bool ServicesReport::Prepare(QString &)
{
    m_type = Source().Position(QStringLiteral("ServiceType"));
    m_amount = Source().Position(QStringLiteral("Amount"));
    m_time = Source().Position(QStringLiteral("ServiceTime"));
    m_comment = Source().Position(QStringLiteral("Comment"));
    return true;
}

bool ServicesReport::AddRecord(const Rollstrake::RecordReader &Record, QString &ErrString)
{
    const qint32 typeCode = IntAt(Record, m_type);
    auto found = m_types.constFind(typeCode);
    if (found == m_types.constEnd()) {
        const auto typeField = Record.MakeDBField(m_type, ErrString);
        const auto type = typeField ? typeField->GetForeignKeyDBRecord(ErrString) : nullptr;
        if (!type) {
            return false;
        }
        found = m_types.insert(typeCode,
                               {TextValue(*type, QStringLiteral("Name")), MoneyValue(*type, QStringLiteral("Price"))});
    }
    const qint32 amount = IntAt(Record, m_amount);
    const Currency sum = ToKopecks(Currency(amount) * found->Price);
    AddRow(MakeItemKey(Record.Code()),
           {DateTimeCell(DateAt(Record, m_time)),
            found->Name,
            QString::number(amount),
            FormatSum(sum),
            TextAt(Record, m_comment)});
    ++RunningTotals().Count;
    RunningTotals().Sum += sum;
    return true;
}
