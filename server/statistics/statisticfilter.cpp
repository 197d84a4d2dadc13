#include "statistics/statisticfilter.h"

#include "ui_statisticfilter.h"

#include "clock.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "core/mainlog.h"
#include "core/widgets/desktopscombo.h"
#include "core/widgets/guihelpers.h"
#include "core/widgets/twips.h"
#include "generalhelpers.h"

#include <QSignalBlocker>

StatisticFilter::StatisticFilter(QWidget *Parent)
    : QWidget(Parent)
    , m_ui(std::make_unique<Ui::StatisticFilter>())
{
    m_ui->setupUi(this);
    setFixedHeight(Twips::ToPixels(HeightTwips));
    for (Date *date : {m_ui->DateFrom, m_ui->DateTo}) {
        date->SetRequired(true);
        date->SetValueType(1);
        date->setMinimumWidth(Twips::ToPixels(DateWidthTwips));
    }
    for (QWidget *picker : {static_cast<QWidget *>(m_ui->Computer),
                            static_cast<QWidget *>(m_ui->PayTypesList),
                            static_cast<QWidget *>(m_ui->Desktop),
                            static_cast<QWidget *>(m_ui->Rate)}) {
        picker->setMinimumWidth(Twips::ToPixels(PickerWidthTwips));
    }
    for (int index = 0; index < m_ui->PayTypesList->count(); ++index) {
        m_ui->PayTypesList->setItemData(index, index);
    }
    connect(m_ui->OKEY, &QPushButton::clicked, this, &StatisticFilter::Apply);
    connect(m_ui->DateFrom, &Date::Changed, this, &StatisticFilter::DateFromChanged);
    connect(m_ui->DateTo, &Date::Changed, this, &StatisticFilter::DateToChanged);
}

StatisticFilter::~StatisticFilter() = default;

void StatisticFilter::Init(bool Initialized)
{
    if (!Initialized) {
        const QDateTime today = GetDayBound(Clock::Now(), false);
        m_ui->DateFrom->SetValue(today);
        m_ui->DateTo->SetValue(today);
        const QSignalBlocker blocker(m_ui->PayTypesList);
        m_ui->PayTypesList->setCurrentIndex(ReportFilter::AllPays);
    }
    FillComputers();
    {
        const QSignalBlocker blocker(m_ui->Desktop);
        FillDesktopsCombo(m_ui->Desktop, true);
        // A desktop deleted since gives way to "Все".
        if (m_ui->Desktop->currentIndex() < 0 && m_ui->Desktop->count() > 0) {
            m_ui->Desktop->setCurrentIndex(0);
        }
    }
    m_ui->Rate->FillRatesList(0, RatesList::AllRates, QStringLiteral("Все"));
}

void StatisticFilter::FillComputers()
{
    const QSignalBlocker blocker(m_ui->Computer);
    const int selected = m_ui->Computer->currentIndex();
    const qint32 remembered = selected >= 0 ? m_ui->Computer->itemData(selected).toInt() : 0;
    m_ui->Computer->clear();
    AddListItem(m_ui->Computer, QStringLiteral("Все"), 0);
    QString err;
    const auto computers = AllRecords(QStringLiteral("Computers"), err);
    if (!computers) {
        MainLog().Log(QStringLiteral("Список компьютеров не прочитан: ") + err, Logger::KindError);
    } else {
        for (const auto &computer : *computers) {
            const qint32 num = IntValue(*computer, QStringLiteral("Num"));
            AddListItem(m_ui->Computer, QString::number(num), num);
        }
    }
    // A computer deleted since leaves nothing chosen, and OK says so.
    m_ui->Computer->setCurrentIndex(FindListIndexByData(m_ui->Computer, remembered));
}

void StatisticFilter::SetModeEnable(const QString &Mode)
{
    const bool payments = Mode == QStringLiteral("Seances") || Mode == QStringLiteral("NightReserves");
    const bool computer = payments || Mode == QStringLiteral("Chart") || Mode == QStringLiteral("Internet")
                          || Mode == QStringLiteral("History");
    for (QWidget *control : {static_cast<QWidget *>(m_ui->PayTypesLabel),
                             static_cast<QWidget *>(m_ui->PayTypesList),
                             static_cast<QWidget *>(m_ui->DesktopLabel),
                             static_cast<QWidget *>(m_ui->Desktop),
                             static_cast<QWidget *>(m_ui->RateLabel)}) {
        control->setEnabled(payments);
    }
    m_ui->Rate->SetEnabled(payments);
    m_ui->ComputerLabel->setEnabled(computer);
    m_ui->Computer->setEnabled(m_ui->ComputerLabel->isEnabled());
}

ReportFilter StatisticFilter::Choice() const
{
    ReportFilter filter;
    filter.DateFrom = GetDayBound(m_ui->DateFrom->Value().toDateTime(), false);
    filter.DateTo = GetDayBound(m_ui->DateTo->Value().toDateTime(), true);
    filter.Computer = m_ui->Computer->currentIndex() >= 0 ? m_ui->Computer->currentData().toInt() : 0;
    filter.PayType = m_ui->PayTypesList->currentIndex();
    filter.Desktop = m_ui->Desktop->currentIndex() >= 0 ? m_ui->Desktop->currentData().toInt() : 0;
    filter.Rate = m_ui->Rate->Value();
    return filter;
}

void StatisticFilter::Apply()
{
    const ReportFilter filter = Choice();
    if (filter.DateFrom > filter.DateTo) {
        ShowError(QStringLiteral("Некорректный интервал дат!"));
        return;
    }
    if (m_ui->Computer->currentIndex() < 0) {
        ShowError(QStringLiteral("Не выбран компьютер(ы)!"));
        return;
    }
    emit FilterApplied(filter);
}

void StatisticFilter::DateFromChanged()
{
    const QDateTime from = GetDayBound(m_ui->DateFrom->Value().toDateTime(), false);
    if (GetDayBound(m_ui->DateTo->Value().toDateTime(), false) < from) {
        m_ui->DateTo->SetValue(from);
    }
}

void StatisticFilter::DateToChanged()
{
    const QDateTime to = GetDayBound(m_ui->DateTo->Value().toDateTime(), false);
    if (GetDayBound(m_ui->DateFrom->Value().toDateTime(), false) > to) {
        m_ui->DateFrom->SetValue(to);
    }
}
