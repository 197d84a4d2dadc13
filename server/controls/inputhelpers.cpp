#include "controls/inputhelpers.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <array>
#include <utility>

namespace
{
constexpr std::array<std::pair<int, qint16>, 33> NamedKeys{{
    {Qt::Key_Backspace, 8},    {Qt::Key_Tab, 9},           {Qt::Key_Backtab, 9},     {Qt::Key_Return, 13},
    {Qt::Key_Enter, 13},       {Qt::Key_Shift, 16},        {Qt::Key_Control, 17},    {Qt::Key_Alt, 18},
    {Qt::Key_Pause, 19},       {Qt::Key_Escape, 27},       {Qt::Key_Space, 32},      {Qt::Key_PageUp, 33},
    {Qt::Key_PageDown, 34},    {Qt::Key_End, 35},          {Qt::Key_Home, 36},       {Qt::Key_Left, 37},
    {Qt::Key_Up, 38},          {Qt::Key_Right, 39},        {Qt::Key_Down, 40},       {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},      {Qt::Key_Semicolon, 186},   {Qt::Key_Equal, 187},     {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},      {Qt::Key_Minus, 189},       {Qt::Key_Period, 190},    {Qt::Key_Slash, 191},
    {Qt::Key_QuoteLeft, 192},  {Qt::Key_BracketLeft, 219}, {Qt::Key_Backslash, 220}, {Qt::Key_BracketRight, 221},
    {Qt::Key_Apostrophe, 222},
}};

// Keys of the numeric keypad that have codes of their own.
constexpr std::array<std::pair<int, qint16>, 5> KeypadKeys{{
    {Qt::Key_Asterisk, 106},
    {Qt::Key_Plus, 107},
    {Qt::Key_Minus, 109},
    {Qt::Key_Period, 110},
    {Qt::Key_Slash, 111},
}};

// Selects the whole text once the focus has arrived, after the click that brought it placed the caret.
class EntrySelector final : public QObject
{
public:
    explicit EntrySelector(QLineEdit *Edit)
        : QObject(Edit)
        , m_edit(Edit)
    {
        Edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *Event) override
    {
        if (Event->type() == QEvent::FocusIn) {
            QTimer::singleShot(0, m_edit, &QLineEdit::selectAll);
        }
        return false;
    }

private:
    QLineEdit *m_edit;
};

// Runs its SelectPart after each click that leaves a bare caret in its line edit.
class PartSelector final : public QObject
{
public:
    PartSelector(QLineEdit *Edit, std::function<void()> SelectPart)
        : QObject(Edit)
        , m_edit(Edit)
        , m_selectPart(std::move(SelectPart))
    {
        Edit->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *Event) override
    {
        // By the release the press has placed the caret; a drag or a double-click has selected.
        if (Event->type() == QEvent::MouseButtonRelease && !m_edit->hasSelectedText()) {
            m_selectPart();
        }
        return false;
    }

private:
    QLineEdit *m_edit;
    std::function<void()> m_selectPart;
};
} // namespace

namespace InputHelpers
{
qint16 KeyCodeOf(const QKeyEvent *Event)
{
    const int key = Event->key();
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z)) {
        return static_cast<qint16>(key);
    }
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return static_cast<qint16>(112 + key - Qt::Key_F1);
    }
    if (Event->modifiers() & Qt::KeypadModifier) {
        for (const auto &[qtKey, code] : KeypadKeys) {
            if (qtKey == key) {
                return code;
            }
        }
    }
    for (const auto &[qtKey, code] : NamedKeys) {
        if (qtKey == key) {
            return code;
        }
    }
    return 0;
}

qint16 ShiftOf(const QKeyEvent *Event)
{
    return ShiftOf(Event->modifiers());
}

qint16 ShiftOf(Qt::KeyboardModifiers Modifiers)
{
    return static_cast<qint16>((Modifiers & Qt::ShiftModifier ? 1 : 0) + (Modifiers & Qt::ControlModifier ? 2 : 0)
                               + (Modifiers & Qt::AltModifier ? 4 : 0));
}

qint16 ButtonOf(Qt::MouseButton Button)
{
    switch (Button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

void SelectAllOnEntry(QLineEdit *Edit)
{
    new EntrySelector(Edit);
}

void SelectPartOnClick(QLineEdit *Edit, std::function<void()> SelectPart)
{
    new PartSelector(Edit, std::move(SelectPart));
}

QLocale DisplayLocale()
{
    return QLocale(QLocale::Russian, QLocale::Russia);
}
} // namespace InputHelpers
