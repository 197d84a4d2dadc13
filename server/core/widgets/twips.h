#pragma once

#include <QtGlobal>

// Sizes and positions that forms, controls and the layout store keep are in twips
// (1/1440 inch); the program works at 15 twips per pixel.
namespace Twips
{
constexpr qint32 PerPixel = 15;

constexpr qint32 ToPixels(qint32 twips)
{
    return twips / PerPixel;
}

// To the nearest pixel, halves away from zero: the computer tiles and their buttons are laid out
// this way, while forms and controls truncate (ToPixels); each keeps the sizes it always had.
constexpr qint32 ToNearestPixels(qint32 twips)
{
    constexpr qint32 half = PerPixel / 2;
    return twips >= 0 ? (twips + half) / PerPixel : -((-twips + half) / PerPixel);
}

constexpr qint32 FromPixels(qint32 pixels)
{
    return pixels * PerPixel;
}
} // namespace Twips
