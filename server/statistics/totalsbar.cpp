#include "statistics/totalsbar.h"

#include "core/dbvalues.h"
#include "core/widgets/twips.h"
#include "textdates.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace
{
// The blank between the words of the sentence.
constexpr int LabelSpacing = 3;

QString CountLabelName(ReportKind Kind)
{
    switch (Kind) {
    case ReportKind::Seances:
        return QStringLiteral("SeancesNum");
    case ReportKind::NightReserves:
        return QStringLiteral("NightReservesNum");
    case ReportKind::CardPays:
        return QStringLiteral("CardPaysNum");
    case ReportKind::Services:
        return QStringLiteral("ServicesNum");
    case ReportKind::Internet:
        return QStringLiteral("URLsNum");
    default:
        return QStringLiteral("HistoryNum");
    }
}

QString OpeningCaption(ReportKind Kind)
{
    switch (Kind) {
    case ReportKind::Seances:
        return QStringLiteral("Итого: сеансов ");
    case ReportKind::NightReserves:
        return QStringLiteral("Итого: резервов");
    case ReportKind::CardPays:
        return QStringLiteral("Итого: пополнений ");
    case ReportKind::Services:
        return QStringLiteral("Итого: оказано услуг");
    case ReportKind::Internet:
        return QStringLiteral("Итого: ссылок");
    default:
        return QStringLiteral("Итого: ");
    }
}

QString SumCaption(ReportKind Kind)
{
    switch (Kind) {
    case ReportKind::Seances:
        return QStringLiteral("Мб., сумма: ");
    case ReportKind::NightReserves:
        return QStringLiteral(", сумма: ");
    default:
        return QStringLiteral(", сумма:");
    }
}

bool HasSum(ReportKind Kind)
{
    return Kind == ReportKind::Seances || Kind == ReportKind::NightReserves || Kind == ReportKind::CardPays
           || Kind == ReportKind::Services;
}

} // namespace

TotalsBar::TotalsBar(ReportKind Kind, QWidget *Parent)
    : QWidget(Parent)
    , m_kind(Kind)
{
    setFixedHeight(Twips::ToPixels(HeightTwips));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(LabelSpacing);
    m_captions << AddLabel(QStringLiteral("Label1"), OpeningCaption(Kind));
    m_count = AddLabel(CountLabelName(Kind), QStringLiteral("0"));
    if (Kind == ReportKind::Seances) {
        AddLabel(QStringLiteral("Label2"), QStringLiteral(", длительность:"));
        m_duration = AddLabel(QStringLiteral("Duration"), QString());
        m_captions << AddLabel(QStringLiteral("Label4"), QStringLiteral(", трафик (D/U):"));
        m_traffic = AddLabel(QStringLiteral("Traffic"), QString());
    }
    if (HasSum(Kind)) {
        m_captions << AddLabel(QStringLiteral("Label3"), SumCaption(Kind));
        m_sum = AddLabel(QStringLiteral("Sum"), QString());
        m_captions << AddLabel(QStringLiteral("RubLabel"), QStringLiteral("руб."));
    }
    layout->addStretch(1);
    if (Kind == ReportKind::NightReserves) {
        m_delete = new QPushButton(QApplication::style()->standardIcon(QStyle::SP_TrashIcon),
                                   QStringLiteral("Удалить сеансы"),
                                   this);
        m_delete->setObjectName(QStringLiteral("DeleteBtn"));
        layout->addWidget(m_delete);
        connect(m_delete, &QPushButton::clicked, this, &TotalsBar::DeleteClick);
    }
    m_export = new QPushButton(QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                               QStringLiteral("Экспорт в MS Word"),
                               this);
    m_export->setObjectName(QStringLiteral("ExportWordBtn"));
    layout->addWidget(m_export);
    connect(m_export, &QPushButton::clicked, this, &TotalsBar::ExportClick);
    SetTotals(ReportTotals());
}

QLabel *TotalsBar::AddLabel(const QString &Name, const QString &Text)
{
    auto *label = new QLabel(Text, this);
    label->setObjectName(Name);
    layout()->addWidget(label);
    return label;
}

bool TotalsBar::Enabled() const
{
    return m_count->isEnabled();
}

void TotalsBar::SetEnabled(bool Value)
{
    m_count->setEnabled(Value);
    for (QLabel *caption : std::as_const(m_captions)) {
        caption->setEnabled(Value);
    }
}

void TotalsBar::SetCount(qint64 Count)
{
    m_totals.Count = Count;
    m_count->setText(QString::number(Count));
}

void TotalsBar::SetSum(Currency Sum)
{
    m_totals.Sum = Sum;
    if (m_sum) {
        m_sum->setText(FormatSum(Sum));
    }
}

Currency TotalsBar::Sum() const
{
    return m_totals.Sum;
}

void TotalsBar::SetDownload(Currency Megabytes)
{
    m_totals.Download = Megabytes;
    ShowTraffic();
}

Currency TotalsBar::Download() const
{
    return m_totals.Download;
}

void TotalsBar::SetUpload(Currency Megabytes)
{
    m_totals.Upload = Megabytes;
    ShowTraffic();
}

Currency TotalsBar::Upload() const
{
    return m_totals.Upload;
}

void TotalsBar::SetDuration(qint64 Minutes)
{
    m_totals.Duration = Minutes;
    if (m_duration) {
        m_duration->setText(FormatDuration(Saturated32(Minutes), false));
    }
}

void TotalsBar::SetTotals(const ReportTotals &Totals)
{
    SetCount(Totals.Count);
    SetSum(Totals.Sum);
    SetDuration(Totals.Duration);
    m_totals.Download = Totals.Download;
    m_totals.Upload = Totals.Upload;
    ShowTraffic();
}

const ReportTotals &TotalsBar::Totals() const
{
    return m_totals;
}

void TotalsBar::SetActionsEnabled(bool Value)
{
    m_export->setEnabled(Value);
    if (m_delete) {
        m_delete->setEnabled(Value);
    }
}

void TotalsBar::ShowTraffic()
{
    if (m_traffic) {
        m_traffic->setText(FormatSum(m_totals.Download) + QLatin1Char('/') + FormatSum(m_totals.Upload));
    }
}
