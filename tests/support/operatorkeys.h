#pragma once

#include <QTest>

#include <algorithm>
#include <array>
#include <tuple>

// Presses Keys on Receiver as a keyboard sends them: A select-all (Ctrl+A), E End, H Home, B BackSpace,
// X Delete, U D L R the arrows up, down, left and right, ">" Shift+Right (one more character selected),
// N NumLock, C CapsLock, S Shift alone, ":" with Shift; any other character is typed as itself.
inline void PressKeys(QWidget *Receiver, const QString &Keys)
{
    static constexpr std::array<std::tuple<char, Qt::Key, Qt::KeyboardModifier>, 14> named{{
        {'A', Qt::Key_A, Qt::ControlModifier},
        {'E', Qt::Key_End, Qt::NoModifier},
        {'H', Qt::Key_Home, Qt::NoModifier},
        {'B', Qt::Key_Backspace, Qt::NoModifier},
        {'X', Qt::Key_Delete, Qt::NoModifier},
        {'U', Qt::Key_Up, Qt::NoModifier},
        {'D', Qt::Key_Down, Qt::NoModifier},
        {'L', Qt::Key_Left, Qt::NoModifier},
        {'R', Qt::Key_Right, Qt::NoModifier},
        {'>', Qt::Key_Right, Qt::ShiftModifier},
        {'N', Qt::Key_NumLock, Qt::NoModifier},
        {'C', Qt::Key_CapsLock, Qt::NoModifier},
        {'S', Qt::Key_Shift, Qt::NoModifier},
        {':', Qt::Key_Colon, Qt::ShiftModifier},
    }};
    for (const QChar key : Keys) {
        const auto found = std::find_if(named.begin(), named.end(), [key](const auto &Named) {
            return key == QLatin1Char(std::get<0>(Named));
        });
        if (found != named.end()) {
            QTest::keyClick(Receiver, std::get<1>(*found), std::get<2>(*found));
        } else {
            QTest::keyClicks(Receiver, QString(key));
        }
    }
}
