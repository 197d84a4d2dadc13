#pragma once

#include <QIcon>
#include <QString>

// The pictures of the settings tree's nodes by image key ("ServerSettings", "ComputersSettings",
// "NightSettings", "InternetSettings", "CardsSettings", "RateSettings", "ServiceSettings",
// "ClientsSettings"), drawn here; an unknown key gives an empty icon.
QIcon SettingsTreeImage(const QString &ImageKey);
