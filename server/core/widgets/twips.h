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

constexpr qint32 FromPixels(qint32 pixels)
{
    return pixels * PerPixel;
}
} // namespace Twips
