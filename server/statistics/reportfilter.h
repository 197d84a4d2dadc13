#pragma once

#include <QDateTime>
#include <QString>

// The filter applied to the statistics reports: the period from 00:00:00 of its first day to
// 23:59:59 of its last, a computer number, a payment type, a desktop and a rate (0 for all).
struct ReportFilter final
{
    // Payment types: every payment, cash only (no card) or card only.
    enum PayTypes : qint32
    {
        AllPays = 0,
        CashPays = 1,
        CardPays = 2,
    };

    // Null until the page first loads: no report is read before.
    QDateTime DateFrom;
    QDateTime DateTo;
    qint32 Computer = 0;
    qint32 PayType = AllPays;
    qint32 Desktop = 0;
    qint32 Rate = 0;

    // A period is set (either date is neither null nor the zero date).
    bool IsSet() const;
    // Both ends fall on one day.
    bool IsOneDay() const;

    bool operator==(const ReportFilter &) const = default;
};

// The period, "05/12/2026" for one day, else "за период с 01/12/2026 по 05/12/2026".
QString PeriodCaption(const ReportFilter &Filter);
// " по всем компьютерам" or " по компьютеру №3".
QString ComputerCaption(const ReportFilter &Filter);
// ", по всем видам оплат", ", оплаченные по карточкам" or ", оплаченные наличными".
QString PayTypeCaption(const ReportFilter &Filter);
// ", по всем рабочим столам" or ", по рабочему столу 'Игры'" (the desktop's current name).
QString DesktopCaption(const ReportFilter &Filter);
// The text that names the applied filter: the period and, as asked, the computer, the payment type
// and the desktop.
QString GetFilterCaption(const ReportFilter &Filter, bool WithComputer, bool WithPayType, bool WithDesktop);
