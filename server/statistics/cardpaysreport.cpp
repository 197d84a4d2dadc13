#include "statistics/cardpaysreport.h"

#include "core/dbvalues.h"
#include "generalhelpers.h"
#include "textdates.h"

CardPaysReport::CardPaysReport(const ReportFilter &Filter)
    : PeriodTableReport(Filter, QStringLiteral("CardPays"), QStringLiteral("PayDate"))
{
}

bool CardPaysReport::Prepare(QString &)
{
    m_card = Source().Position(QStringLiteral("Card"));
    m_payDate = Source().Position(QStringLiteral("PayDate"));
    m_sum = Source().Position(QStringLiteral("Sum"));
    return true;
}

bool CardPaysReport::AddRecord(const Rollstrake::RecordReader &Record, QString &ErrString)
{
    const qint32 cardCode = IntAt(Record, m_card);
    auto found = m_cards.constFind(cardCode);
    if (found == m_cards.constEnd()) {
        const auto cardField = Record.MakeDBField(m_card, ErrString);
        const auto card = cardField ? cardField->GetForeignKeyDBRecord(ErrString) : nullptr;
        if (!card) {
            return false;
        }
        found = m_cards.insert(cardCode,
                               {TextValue(*card, QStringLiteral("Barcode")),
                                TextValue(*card, QStringLiteral("OwnerNickname")),
                                TextValue(*card, QStringLiteral("OwnerLastName"))});
    }
    const qint32 sum = IntAt(Record, m_sum);
    AddRow(MakeItemKey(Record.Code()),
           QStringList{DateTimeCell(DateAt(Record, m_payDate))} << *found << FormatSum(sum));
    ++RunningTotals().Count;
    RunningTotals().Sum += Currency(sum);
    return true;
}
