#include "seances/tilelook.h"

#include "textdates.h"

#include <algorithm>

namespace TileLook
{
QColor ScreenColour(bool Online, qint32 ServerSeance, qint32 ClientSeance, const QColor &TileColour)
{
    if (!Online) {
        return QColor(0x00, 0x00, 0x00);
    }
    if (ServerSeance == 0) {
        return QColor(0x00, 0xFF, 0xFF);
    }
    if (ClientSeance <= 0) {
        return QColor(0xFF, 0xC0, 0xC0);
    }
    return TileColour;
}

QString RemainingText(std::optional<qint64> Minutes)
{
    if (!Minutes) {
        return QString();
    }
    return FormatDuration(static_cast<qint32>(std::clamp<qint64>(*Minutes, -INT32_MAX, INT32_MAX)), false);
}

QString TrafficText(Currency Bytes)
{
    return FormatSum(Bytes / Currency(1024) / Currency(1024)) + QStringLiteral("Mb");
}

Night NightLook(qint32 NightState)
{
    switch (NightState) {
    case 0:
        return {true, QColor(0x00, 0xFF, 0x00), QStringLiteral("Сегодняшняя ночь свободна")};
    case 1:
        return {true, QColor(0xFF, 0x00, 0x00), QStringLiteral("Сегодняшняя полностью оплачена")};
    case 2:
        return {true, QColor(0xFF, 0xFF, 0x00), QStringLiteral("Сегодняшняя ночь зарезервирована")};
    case 3:
        return {true, QColor(0x00, 0x00, 0xFF), QStringLiteral("Запущен ночной сеанс")};
    case 4:
        return {true, QColor(0x00, 0xFF, 0x00), QStringLiteral("Резерв сегодняшней ночи уже был использован")};
    default:
        return {};
    }
}
} // namespace TileLook
