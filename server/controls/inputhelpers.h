#pragma once

#include <QLocale>
#include <QtGlobal>

#include <functional>
#include <qnamespace.h>

class QKeyEvent;
class QLineEdit;

// What the inputs of the kit share: the key codes their KeyDown events carry, the whole-text
// selection on entry, the part selected by a click and the locale in which numbers and dates are shown.
namespace InputHelpers
{
// The virtual-key codes that handlers of KeyDown test.
enum VirtualKey : qint16
{
    vkReturn = 13,
    vkEscape = 27,
    vkUp = 38,
    vkDown = 40,
};

// The window system's virtual-key code of a key (13 Enter, 38 Up, 40 Down, 65 "A" ...); 0 for a
// key that has none here (letters of other alphabets).
qint16 KeyCodeOf(const QKeyEvent *Event);
// 1 Shift, 2 Ctrl, 4 Alt, added together.
qint16 ShiftOf(const QKeyEvent *Event);
qint16 ShiftOf(Qt::KeyboardModifiers Modifiers);
// 1 left, 2 right, 4 middle; 0 for another button.
qint16 ButtonOf(Qt::MouseButton Button);

// Hands a key press to a control's KeyDown(KeyCode, Shift) handler; true when the handler cleared
// the key code, which swallows the key.
template <typename Handler>
bool RaiseKeyDown(const QKeyEvent *Event, Handler handler)
{
    const qint16 pressed = KeyCodeOf(Event);
    qint16 keyCode = pressed;
    qint16 shift = ShiftOf(Event);
    handler(keyCode, shift);
    return keyCode == 0 && pressed != 0;
}

// Entering the box (by keyboard or mouse) selects its whole text.
void SelectAllOnEntry(QLineEdit *Edit);

// A click that leaves a bare caret in Edit (no selection dragged or double-clicked) runs SelectPart
// once the caret is placed, so that digits typed next replace the part the click landed in rather
// than being refused by, or run into, a full part.
void SelectPartOnClick(QLineEdit *Edit, std::function<void()> SelectPart);

// Numbers and dates are shown as a Russian system shows them, whatever the machine's locale.
QLocale DisplayLocale();
} // namespace InputHelpers
