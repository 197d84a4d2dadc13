#include "settings/proxysettingsframe.h"

#include "ui_proxysettingsframe.h"

#include "controls/ipaddress.h"
#include "controls/numeric.h"
#include "settings/wholenumber.h"

#include <QScopedValueRollback>
#include <QSignalBlocker>

namespace
{
constexpr qint32 LimitDigits = 5;
constexpr qint32 MaxLimitKb = 99999;
const QString LimitMask = QStringLiteral("#,###,##0");
constexpr qint32 PortDigits = 4;
constexpr qint32 MaxPort = 9999;
const QString PortMask = QStringLiteral("###0");
constexpr qint32 TimeoutDigits = 3;
constexpr qint32 MaxTimeoutSeconds = 999;
const QString TimeoutMask = QStringLiteral("##0");

void CheckWhenPositive(QCheckBox *Check, const Numeric *Limit)
{
    const QSignalBlocker blocker(Check);
    Check->setChecked(Limit->Value() > Currency());
}
} // namespace

ProxySettingsFrame::ProxySettingsFrame(QWidget *parent)
    : SettingsPage(QStringLiteral("ProxySettings"), parent)
    , m_ui(std::make_unique<Ui::ProxySettingsFrame>())
{
    m_ui->setupUi(this);
    SetUpWholeNumber(m_ui->HourDownloadLimit, LimitDigits, 0, MaxLimitKb, LimitMask);
    SetUpWholeNumber(m_ui->HourUploadLimit, LimitDigits, 0, MaxLimitKb, LimitMask);
    SetUpWholeNumber(m_ui->OuterProxyPort, PortDigits, 0, MaxPort, PortMask);
    SetUpWholeNumber(m_ui->ProxyPort, PortDigits, 0, MaxPort, PortMask);
    SetUpWholeNumber(m_ui->ProxyConnectTimeout, TimeoutDigits, 0, MaxTimeoutSeconds, TimeoutMask);
    m_settings.Bind(QStringLiteral("HourDownloadLimit"), m_ui->HourDownloadLimit);
    m_settings.Bind(QStringLiteral("OuterProxyIP"), m_ui->OuterProxyIP);
    m_settings.Bind(QStringLiteral("OuterProxyPort"), m_ui->OuterProxyPort);
    m_settings.Bind(QStringLiteral("InternetAvailable"), m_ui->InternetAvailable);
    m_settings.Bind(QStringLiteral("ProxyPort"), m_ui->ProxyPort);
    m_settings.Bind(QStringLiteral("ProxyConnectTimeout"), m_ui->ProxyConnectTimeout);
    m_settings.Bind(QStringLiteral("HourUploadLimit"), m_ui->HourUploadLimit);
    connect(m_ui->OuterProxyIP, &IPAddress::Changed, this, &ProxySettingsFrame::MarkEdited);
    for (Numeric *input : {m_ui->OuterProxyPort,
                           m_ui->ProxyPort,
                           m_ui->ProxyConnectTimeout,
                           m_ui->HourDownloadLimit,
                           m_ui->HourUploadLimit}) {
        connect(input, &Numeric::Changed, this, &ProxySettingsFrame::MarkEdited);
    }
    connect(m_ui->InternetAvailable, &QCheckBox::toggled, this, &ProxySettingsFrame::ApplyInternetAvailable);
    connect(m_ui->chHourDownloadLimit, &QCheckBox::toggled, this, &ProxySettingsFrame::ApplyLimitChecks);
    connect(m_ui->chHourUploadLimit, &QCheckBox::toggled, this, &ProxySettingsFrame::ApplyLimitChecks);
}

ProxySettingsFrame::~ProxySettingsFrame() = default;

void ProxySettingsFrame::LoadSettings()
{
    {
        const QScopedValueRollback loading(m_loading, true);
        m_settings.Load();
        ApplyInternetAvailable();
        CheckWhenPositive(m_ui->chHourDownloadLimit, m_ui->HourDownloadLimit);
        CheckWhenPositive(m_ui->chHourUploadLimit, m_ui->HourUploadLimit);
        // Last: after a load each allowance input follows its own check box, also with the proxy off.
        ApplyLimitChecks();
    }
    SetChanged(false);
}

bool ProxySettingsFrame::ValidateAndSave()
{
    if (!Changed()) {
        return true;
    }
    if (!m_ui->chHourDownloadLimit->isChecked()) {
        m_ui->HourDownloadLimit->SetValue(Currency());
    }
    if (!m_ui->chHourUploadLimit->isChecked()) {
        m_ui->HourUploadLimit->SetValue(Currency());
    }
    m_settings.Save();
    emit InternetSettingsChanged();
    SetChanged(false);
    return true;
}

void ProxySettingsFrame::ApplyInternetAvailable()
{
    const bool on = m_ui->InternetAvailable->isChecked();
    m_ui->OuterProxyFrame->setEnabled(on);
    m_ui->OuterProxyIPLabel->setEnabled(on);
    m_ui->OuterProxyIP->SetEnabled(on);
    m_ui->OuterProxyPortLabel->setEnabled(on);
    m_ui->OuterProxyPort->SetEnabled(on);
    m_ui->ProxyPortLabel->setEnabled(on);
    m_ui->ProxyPort->SetEnabled(on);
    m_ui->ProxyConnectTimeoutLabel->setEnabled(on);
    m_ui->ProxyConnectTimeout->SetEnabled(on);
    m_ui->chHourDownloadLimit->setEnabled(on);
    // An allowance whose box is unticked is saved as 0: its input takes nothing that would be lost.
    m_ui->HourDownloadLimit->SetEnabled(on && m_ui->chHourDownloadLimit->isChecked());
    m_ui->chHourUploadLimit->setEnabled(on);
    m_ui->HourUploadLimit->SetEnabled(on && m_ui->chHourUploadLimit->isChecked());
    if (!m_loading) {
        MarkEdited();
    }
}

void ProxySettingsFrame::ApplyLimitChecks()
{
    m_ui->HourDownloadLimit->SetEnabled(m_ui->chHourDownloadLimit->isChecked());
    m_ui->HourUploadLimit->SetEnabled(m_ui->chHourUploadLimit->isChecked());
    if (!m_loading) {
        MarkEdited();
    }
}
