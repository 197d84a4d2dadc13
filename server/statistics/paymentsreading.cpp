#include "statistics/paymentsreading.h"

PaymentsReading::PaymentsReading(const ReportFilter &Filter, const QString &LinkField)
    : m_filter(Filter)
    , m_linkField(LinkField)
{
}

bool PaymentsReading::Open(QString &ErrString)
{
    if (!m_pays.Open(QStringLiteral("SeancePays"), ErrString)) {
        return false;
    }
    m_link = m_pays.Position(m_linkField);
    m_payDate = m_pays.Position(QStringLiteral("PayDate"));
    m_sum = m_pays.Position(QStringLiteral("Sum"));
    return true;
}

bool PaymentsReading::Read(const QDateTime &From,
                           const QDateTime &To,
                           const std::function<void(const Payment &)> &Take,
                           QString &ErrString)
{
    const auto filter = m_pays.NewFilter();
    ReportTable::SetBetween(*filter, QStringLiteral("PayDate"), From, To);
    ReportTable::SetEvenEmpty(*filter, m_linkField, Rollstrake::cMore, 0);
    if (m_filter.PayType != ReportFilter::AllPays) {
        // Cash is a payment without a card (Card 0), a card payment one with a card.
        ReportTable::SetEvenEmpty(*filter,
                                  QStringLiteral("Card"),
                                  m_filter.PayType == ReportFilter::CardPays ? Rollstrake::cMore : Rollstrake::cEqual,
                                  0);
    }
    return m_pays.ForEach(
        filter,
        [this, &Take](const Rollstrake::RecordReader &Row, QString &) {
            Take({IntAt(Row, m_link), DateAt(Row, m_payDate), IntAt(Row, m_sum)});
            return true;
        },
        ErrString);
}

void SetRecordConditions(Rollstrake::DBFilterFields &Conditions, qint32 ComputerCode, qint32 Desktop, qint32 Rate)
{
    const std::pair<QString, qint32> conditions[] = {
        {QStringLiteral("Computer"), ComputerCode},
        {QStringLiteral("Desktop"), Desktop},
        {QStringLiteral("Rate"), Rate},
    };
    for (const auto &[field, code] : conditions) {
        if (code != 0) {
            ReportTable::SetSlot(Conditions, field, Rollstrake::cEqual, code);
        }
    }
}
