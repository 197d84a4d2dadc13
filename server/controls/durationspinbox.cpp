#include "controls/durationspinbox.h"

#include "controls/inputhelpers.h"
#include "textdates.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace
{
constexpr int MinutesPerHour = 60;
constexpr int HourDigits = 3;
constexpr int MinuteDigits = 2;

// "h:mm" with up to three digits of hours, or only minutes while typing.
const QRegularExpression &Shape()
{
    static const QRegularExpression shape(QStringLiteral("^\\s*(\\d{0,3})(:(\\d{0,2}))?\\s*$"));
    return shape;
}

// Minutes of a text of that shape: hours and minutes, or a plain count of minutes; -1 when none.
int MinutesOf(const QString &Text)
{
    const QRegularExpressionMatch match = Shape().match(Text);
    if (!match.hasMatch() || (match.captured(1).isEmpty() && match.captured(3).isEmpty())) {
        return -1;
    }
    if (!match.hasCaptured(2)) {
        return match.captured(1).toInt();
    }
    return match.captured(1).toInt() * MinutesPerHour + match.captured(3).toInt();
}

// A key that types its text. Shift and the keypad come with characters on many layouts (":" is
// Shift+; or Shift+6, digits take Shift on a French one); only Ctrl, Alt and Meta make a command.
bool TypesText(const QKeyEvent &Event)
{
    return !(Event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}
} // namespace

DurationSpinBox::DurationSpinBox(QWidget *Parent)
    : QSpinBox(Parent)
{
    setRange(0, MaxMinutes);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    InputHelpers::SelectPartOnClick(lineEdit(), [this] {
        m_typed.clear();
        SelectSection(SectionAtCaret());
    });
}

void DurationSpinBox::stepBy(int Steps)
{
    const Section section = SectionAtCaret();
    QSpinBox::stepBy(section == Section::Hours ? Steps * MinutesPerHour : Steps);
    m_typed.clear();
    SelectSection(section);
}

QString DurationSpinBox::textFromValue(int Value) const
{
    return FormatDuration(Value, false);
}

int DurationSpinBox::valueFromText(const QString &Text) const
{
    return qBound(0, MinutesOf(Text), MaxMinutes);
}

QValidator::State DurationSpinBox::validate(QString &Input, int &) const
{
    const QRegularExpressionMatch match = Shape().match(Input);
    if (!match.hasMatch()) {
        return QValidator::Invalid;
    }
    const int minutes = MinutesOf(Input);
    if (minutes < 0 || !match.hasCaptured(2) || match.captured(3).size() != 2 || match.captured(3).toInt() > 59) {
        return QValidator::Intermediate;
    }
    return minutes <= MaxMinutes ? QValidator::Acceptable : QValidator::Intermediate;
}

void DurationSpinBox::fixup(QString &Input) const
{
    const int minutes = MinutesOf(Input);
    if (minutes >= 0) {
        Input = textFromValue(qBound(0, minutes, MaxMinutes));
    }
}

void DurationSpinBox::keyPressEvent(QKeyEvent *Event)
{
    const QString text = Event->text();
    const bool typed = TypesText(*Event) && !text.isEmpty();
    // Arrows and erasing keys with Shift or Ctrl keep what the line edit makes of them.
    const bool plain = (Event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (typed && text.size() == 1 && text.at(0).isDigit()) {
        TypeDigit(text.at(0).digitValue());
    } else if ((typed && text == QStringLiteral(":")) || (plain && Event->key() == Qt::Key_Right)) {
        m_typed.clear();
        SelectSection(Section::Minutes);
    } else if (plain && Event->key() == Qt::Key_Left) {
        m_typed.clear();
        SelectSection(Section::Hours);
    } else if (plain && (Event->key() == Qt::Key_Backspace || Event->key() == Qt::Key_Delete)) {
        ClearSection();
    } else if (typed && text.at(0).isPrint()) {
        // Other characters would make the text differ from the value.
        Event->accept();
    } else {
        QSpinBox::keyPressEvent(Event);
    }
}

void DurationSpinBox::focusInEvent(QFocusEvent *Event)
{
    QSpinBox::focusInEvent(Event);
    m_typed.clear();
    if (Event->reason() != Qt::MouseFocusReason) {
        SelectSection(Section::Hours);
    }
}

DurationSpinBox::Section DurationSpinBox::SectionAtCaret() const
{
    const qsizetype colon = lineEdit()->text().indexOf(QLatin1Char(':'));
    return colon < 0 || lineEdit()->cursorPosition() <= colon ? Section::Hours : Section::Minutes;
}

void DurationSpinBox::SelectSection(Section Which)
{
    m_section = Which;
    const QString text = lineEdit()->text();
    const int colon = static_cast<int>(text.indexOf(QLatin1Char(':')));
    if (colon < 0) {
        return;
    }
    if (Which == Section::Hours) {
        lineEdit()->setSelection(0, colon);
    } else {
        lineEdit()->setSelection(colon + 1, static_cast<int>(text.size()) - colon - 1);
    }
}

void DurationSpinBox::TypeDigit(int Digit)
{
    const int hours = value() / MinutesPerHour;
    const int minutes = value() % MinutesPerHour;
    m_typed += QString::number(Digit);
    if (m_section == Section::Hours) {
        setValue(m_typed.toInt() * MinutesPerHour + minutes);
        // A leading 0 asks for two hour digits, as in "08".
        const bool full = m_typed.size() == HourDigits || (m_typed.size() == 2 && m_typed.startsWith(QLatin1Char('0')));
        if (full) {
            m_typed.clear();
            m_section = Section::Minutes;
        }
    } else {
        // Two minute digits past 59 carry into the hours ("99:99" is 100:39), never cut.
        setValue(hours * MinutesPerHour + m_typed.toInt());
        if (m_typed.size() == MinuteDigits) {
            m_typed.clear();
        }
    }
    SelectSection(m_section);
}

void DurationSpinBox::ClearSection()
{
    const int hours = value() / MinutesPerHour;
    const int minutes = value() % MinutesPerHour;
    m_typed.clear();
    setValue(m_section == Section::Hours ? minutes : hours * MinutesPerHour);
    SelectSection(m_section);
}
