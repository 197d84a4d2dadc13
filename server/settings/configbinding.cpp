#include "settings/configbinding.h"

#include "controls/duration.h"
#include "controls/ipaddress.h"
#include "controls/numeric.h"
#include "controls/time.h"
#include "core/settingsstore.h"
#include "leadingnumber.h"
#include "textdates.h"

#include <QCheckBox>
#include <QSignalBlocker>

namespace
{
const QString NoAddress = QStringLiteral("0.0.0.0");
const QString Checked = QStringLiteral("1");
const QString Unchecked = QStringLiteral("0");
} // namespace

void ConfigBinding::Bind(const QString &Key, IPAddress *Control)
{
    Add(
        Key,
        [Control] { return Control->Value(); },
        [Control](const QString &Text) { Control->SetValue(Text.isEmpty() ? NoAddress : Text); });
}

void ConfigBinding::Bind(const QString &Key, Numeric *Control)
{
    Add(
        Key,
        [Control] { return Control->Value().ToString(); },
        [Control](const QString &Text) { Control->SetValue(Text); });
}

void ConfigBinding::Bind(const QString &Key, QCheckBox *Control)
{
    Add(
        Key,
        [Control] { return Control->isChecked() ? Checked : Unchecked; },
        [Control](const QString &Text) {
            const QSignalBlocker blocker(Control);
            Control->setChecked(LeadingNumber(Text) > 0);
        });
}

void ConfigBinding::Bind(const QString &Key, Time *Control)
{
    Add(
        Key,
        [Control] { return DateToString(Control->Value(), true, QStringLiteral("/")); },
        [Control](const QString &Text) { Control->SetValue(Text); });
}

void ConfigBinding::Bind(const QString &Key, Duration *Control)
{
    Add(
        Key,
        [Control] { return QString::number(Control->Value()); },
        [Control](const QString &Text) {
            const QSignalBlocker blocker(Control);
            Control->SetValue(LeadingInteger(Text));
        });
}

void ConfigBinding::Load() const
{
    for (const Entry &entry : m_entries) {
        entry.Set(GetConfigValue(entry.Key));
    }
}

void ConfigBinding::Save(const std::function<QString(const QString &)> &Clean) const
{
    for (const Entry &entry : m_entries) {
        SetConfigValue(entry.Key, Clean ? Clean(entry.Get()) : entry.Get());
    }
}

void ConfigBinding::Save(const QString &Key) const
{
    for (const Entry &entry : m_entries) {
        if (entry.Key == Key) {
            SetConfigValue(entry.Key, entry.Get());
        }
    }
}

void ConfigBinding::Add(const QString &Key, std::function<QString()> Get, std::function<void(const QString &)> Set)
{
    m_entries.push_back({Key, std::move(Get), std::move(Set)});
}
