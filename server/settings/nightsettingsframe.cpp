#include "settings/nightsettingsframe.h"

#include "ui_nightsettingsframe.h"

#include "clock.h"
#include "core/dbvalues.h"
#include "core/night.h"
#include "core/rates.h"
#include "core/settingsstore.h"
#include "core/widgets/messagebox.h"
#include "textdates.h"

NightSettingsFrame::NightSettingsFrame(QWidget *parent)
    : RecordsPage(QStringLiteral("NightSettings"), QStringLiteral("Rates"), parent)
    , m_ui(std::make_unique<Ui::NightSettingsFrame>())
{
    m_ui->setupUi(this);
    // The controls' own names; their members cannot carry their classes' names.
    m_ui->Rates->setObjectName(QStringLiteral("RatesList"));
    m_ui->Editor->setObjectName(QStringLiteral("RateEdit"));
    // Shown, loaded and written back, but not for the operator to change here.
    m_ui->NightReserveExpirationPeriod->SetEnabled(false);
    m_settings.Bind(QStringLiteral("NightBeginTime"), m_ui->NightBeginTime);
    m_settings.Bind(QStringLiteral("NightEndTime"), m_ui->NightEndTime);
    m_settings.Bind(QStringLiteral("NightReserveExpirationPeriod"), m_ui->NightReserveExpirationPeriod);
    connect(m_ui->NightBeginTime, &Time::Changed, this, &NightSettingsFrame::MarkEdited);
    connect(m_ui->NightEndTime, &Time::Changed, this, &NightSettingsFrame::MarkEdited);
    connect(m_ui->NightReserveExpirationPeriod, &Duration::Changed, this, &NightSettingsFrame::MarkEdited);
    Attach(m_ui->Rates, m_ui->Editor, m_ui->AddRate, m_ui->DelRate);
}

NightSettingsFrame::~NightSettingsFrame() = default;

void NightSettingsFrame::LoadSettings()
{
    m_settings.Load();
    RecordsPage::LoadSettings();
}

bool NightSettingsFrame::ValidateAndSave()
{
    if (!Changed()) {
        return true;
    }
    if (!ConfirmLostReserves()) {
        return false;
    }
    m_settings.Save();
    SetConfigValue(QStringLiteral("LastServerSettingsUpdate"), DateToString(Clock::Now(), true, QStringLiteral("/")));
    return RecordsPage::ValidateAndSave();
}

bool NightSettingsFrame::ConfirmLostReserves()
{
    // Otherwise a reserve that the move lapses would go from its tile with no word, its money kept.
    const NightSettings proposed{m_ui->NightBeginTime->Value().time(),
                                 m_ui->NightEndTime->Value().time(),
                                 m_ui->NightReserveExpirationPeriod->Value()};
    const QList<qint32> lost = ReservesLostUnder(proposed, Clock::Now());
    if (lost.isEmpty()) {
        return true;
    }
    QStringList nums;
    for (qint32 num : lost) {
        nums.append(QStringLiteral("№") + QString::number(num));
    }
    return MessageBox::Question(this,
                                QStringLiteral("Внимание!"),
                                QStringLiteral("При новом ночном времени резерв сегодняшней ночи нельзя будет "
                                               "активировать на компьютерах: ")
                                    + nums.join(QStringLiteral(", ")) + QStringLiteral(". Сохранить?"),
                                QMessageBox::Yes | QMessageBox::No,
                                QMessageBox::No)
           == QMessageBox::Yes;
}

void NightSettingsFrame::Refill(qint32 SelectCode)
{
    m_ui->Rates->FillRatesList(SelectCode, RatesList::NightRates);
}

void NightSettingsFrame::InitNewRecord(Rollstrake::DBRecord &Record) const
{
    SetFieldValue(Record, QStringLiteral("Name"), NewRateName());
    SetFieldValue(Record, QStringLiteral("IsNight"), 1);
}
