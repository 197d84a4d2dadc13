#include "settings/settingspage.h"

SettingsPage::SettingsPage(const QString &Key, QWidget *parent)
    : QWidget(parent)
    , m_key(Key)
{
    setObjectName(Key + QStringLiteral("Frame"));
}

bool SettingsPage::Changed()
{
    return m_changed;
}

void SettingsPage::SetChanged(bool Value)
{
    m_changed = Value;
}

QWidget *SettingsPage::Widget()
{
    return this;
}

void SettingsPage::MarkEdited()
{
    m_changed = true;
    emit Edited();
}
