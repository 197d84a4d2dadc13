#include "settings/serversettingsframe.h"

#include "ui_serversettingsframe.h"

#include "controls/numeric.h"
#include "settings/wholenumber.h"

#include <utility>

namespace
{
constexpr qint32 IntervalDigits = 2;
constexpr qint32 MaxStatusMinutes = 60;
constexpr qint32 MinRefreshSeconds = 3;
constexpr qint32 MaxRefreshSeconds = 60;
constexpr qint32 MinAlarmMinutes = 2;
constexpr qint32 MaxAlarmMinutes = 30;
} // namespace

ServerSettingsFrame::ServerSettingsFrame(QWidget *parent)
    : SettingsPage(QStringLiteral("ServerSettings"), parent)
    , m_ui(std::make_unique<Ui::ServerSettingsFrame>())
{
    m_ui->setupUi(this);
    SetUpWholeNumber(m_ui->OnLineStatusCheckInterval, IntervalDigits, 1, MaxStatusMinutes);
    SetUpWholeNumber(m_ui->OffLineStatusCheckInterval, IntervalDigits, 1, MaxStatusMinutes);
    SetUpWholeNumber(m_ui->SeancesRefreshInterval, IntervalDigits, MinRefreshSeconds, MaxRefreshSeconds);
    SetUpWholeNumber(m_ui->SeanceAlarmTime, IntervalDigits, MinAlarmMinutes, MaxAlarmMinutes);
    for (auto [key, input] : {std::pair{QStringLiteral("OnLineStatusCheckInterval"), m_ui->OnLineStatusCheckInterval},
                              std::pair{QStringLiteral("OffLineStatusCheckInterval"), m_ui->OffLineStatusCheckInterval},
                              std::pair{QStringLiteral("SeancesRefreshInterval"), m_ui->SeancesRefreshInterval},
                              std::pair{QStringLiteral("SeanceAlarmTime"), m_ui->SeanceAlarmTime}}) {
        m_settings.Bind(key, input);
        connect(input, &Numeric::Changed, this, &ServerSettingsFrame::MarkEdited);
    }
}

ServerSettingsFrame::~ServerSettingsFrame() = default;

void ServerSettingsFrame::LoadSettings()
{
    m_settings.Load();
    SetChanged(false);
}

bool ServerSettingsFrame::ValidateAndSave()
{
    if (Changed()) {
        m_settings.Save();
        emit ServerSettingsChanged();
        SetChanged(false);
    }
    return true;
}
