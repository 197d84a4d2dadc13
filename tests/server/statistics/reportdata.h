#pragma once

#include "coredatabase.h"
#include "datevalue.h"
#include "statistics/reportfilter.h"

#include <QTest>

// The records the statistics suites report on: a club's computers, desktops and rates, seances with
// their payments, reserves, cards and services, added through the data-entity library.
class ReportData
{
public:
    explicit ReportData(CoreDatabase &Database)
        : m_db(Database)
    {
    }

    static QDateTime At(int Day, int Hours, int Minutes = 0, int Month = 12)
    {
        return DateValue::Make(2026, Month, Day, Hours, Minutes, 0);
    }

    // One day of December 2026 as the filter applies it: 00:00:00 to 23:59:59.
    static ReportFilter Days(int First, int Last, int Month = 12)
    {
        ReportFilter filter;
        filter.DateFrom = DateValue::Make(2026, Month, First);
        filter.DateTo = DateValue::Make(2026, Month, Last, 23, 59, 59);
        return filter;
    }

    qint32 Pay(qint32 Seance, const QDateTime &When, qint32 Sum, qint32 Card = 0, qint32 Reserve = 0) const
    {
        return m_db.Add(QStringLiteral("SeancePays"),
                        {{QStringLiteral("Seance"), Seance},
                         {QStringLiteral("NightReserve"), Reserve},
                         {QStringLiteral("PayDate"), When},
                         {QStringLiteral("Card"), Card},
                         {QStringLiteral("Sum"), Sum}});
    }

    qint32 AddCard(const QString &Barcode, const QString &Nickname, const QString &LastName = QString()) const
    {
        return m_db.Add(QStringLiteral("Cards"),
                        {{QStringLiteral("Barcode"), Barcode},
                         {QStringLiteral("OwnerNickname"), Nickname},
                         {QStringLiteral("OwnerLastName"), LastName}});
    }

    void TopUp(qint32 Card, const QDateTime &When, qint32 Sum) const
    {
        m_db.Add(QStringLiteral("CardPays"),
                 {{QStringLiteral("Card"), Card}, {QStringLiteral("PayDate"), When}, {QStringLiteral("Sum"), Sum}});
    }

    qint32 AddServiceType(const QString &Name, const Currency &Price) const
    {
        return m_db.Add(QStringLiteral("ServiceTypes"),
                        {{QStringLiteral("Name"), Name}, {QStringLiteral("Price"), QVariant::fromValue(Price)}});
    }

    void Sell(qint32 Type, qint32 Amount, const QDateTime &When, const QString &Comment) const
    {
        m_db.Add(QStringLiteral("Services"),
                 {{QStringLiteral("ServiceType"), Type},
                  {QStringLiteral("Amount"), Amount},
                  {QStringLiteral("ServiceTime"), When},
                  {QStringLiteral("Comment"), Comment}});
    }

    // An access of computer code Computer.
    void Access(qint32 Computer, const QDateTime &When, const QString &Url) const
    {
        m_db.Add(QStringLiteral("Traffic"),
                 {{QStringLiteral("Computer"), Computer},
                  {QStringLiteral("AccessTime"), When},
                  {QStringLiteral("URL"), Url}});
    }

    // A history line keeps the computer's number, not its record.
    qint32 AddHistory(const QDateTime &When, qint32 ComputerNum, const QString &Description) const
    {
        return m_db.Add(QStringLiteral("History"),
                        {{QStringLiteral("HistoryDate"), When},
                         {QStringLiteral("ComputerNum"), ComputerNum},
                         {QStringLiteral("Description"), Description}});
    }

    // A seance of computer code Computer with its traffic in bytes.
    qint32 AddSeance(qint32 Computer,
                     const QDateTime &Begin,
                     const QDateTime &End,
                     double Downloaded = 0,
                     double Uploaded = 0) const
    {
        const qint32 code = m_db.AddSeance(Computer, m_desktop, m_rate, Begin, End);
        const auto record = m_db.Record(QStringLiteral("Seances"), code);
        SetFieldValue(*record, QStringLiteral("Downloaded"), QVariant::fromValue(Currency::FromDouble(Downloaded)));
        SetFieldValue(*record, QStringLiteral("Uploaded"), QVariant::fromValue(Currency::FromDouble(Uploaded)));
        QString err;
        [&] {
            QVERIFY2(record->Update(err), qPrintable(err));
        }();
        return code;
    }

    // Computers 1 to 3, the desktop "Игры" and the rate "День".
    void AddClub()
    {
        for (qint32 num = 1; num <= 3; ++num) {
            m_computers << m_db.AddComputer(num);
        }
        m_desktop = m_db.AddDesktop(QStringLiteral("Игры"));
        m_rate = m_db.AddRate(QStringLiteral("День"), 0, 60);
    }

    qint32 Computer(int Num) const
    {
        return m_computers.value(Num - 1);
    }

    qint32 Desktop() const
    {
        return m_desktop;
    }

    qint32 Rate() const
    {
        return m_rate;
    }

private:
    CoreDatabase &m_db;
    QList<qint32> m_computers;
    qint32 m_desktop = 0;
    qint32 m_rate = 0;
};
