#pragma once

#include "currency.h"

#include <QColor>
#include <QString>

#include <optional>

// How a computer tile shows its state: the screen colour and the night strip.
namespace TileLook
{
// The screen colour, the first rule that holds: off line black, no server seance cyan, a client
// that runs no seance light red, otherwise the tile's own colour (red, or its blink colour).
QColor ScreenColour(bool Online, qint32 ServerSeance, qint32 ClientSeance, const QColor &TileColour);

struct Night
{
    bool Known = false;
    QColor Colour;
    QString ToolTip;
};

// The time left as hours and minutes ("01:15", "-00:05" once the end has passed); empty without
// a seance.
QString RemainingText(std::optional<qint64> Minutes);

// A traffic counter in megabytes as the tile's label shows it ("1,50Mb" in the Russian form).
QString TrafficText(Currency Bytes);

// The strip's colour and tooltip for a night state 0 to 4; any other value is not Known and
// leaves the strip as it was.
Night NightLook(qint32 NightState);
} // namespace TileLook
