#pragma once

#include <QList>
#include <QPoint>

// Where the computer-selection grid puts its buttons (twips): columns of 320, rows of 255, the
// spare width and height shared out as equal gaps. Buttons are 315 × 255.
namespace GridLayout
{
constexpr int ButtonWidth = 315;
constexpr int ButtonHeight = 255;

// The top-left corners of Count buttons in a control of Width × Height, in collection order.
// A control narrower than one column still gets one column, so that every button stays reachable.
QList<QPoint> Arrange(int Width, int Height, int Count);
} // namespace GridLayout
