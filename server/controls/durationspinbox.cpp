#include "controls/durationspinbox.h"

#include "textdates.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace
{
// "h:mm" with up to four digits of hours, or only minutes while typing.
const QRegularExpression &Shape()
{
    static const QRegularExpression shape(QStringLiteral("^\\s*(\\d{0,4})(:(\\d{0,2}))?\\s*$"));
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
    return match.captured(1).toInt() * 60 + match.captured(3).toInt();
}
} // namespace

DurationSpinBox::DurationSpinBox(QWidget *Parent)
    : QSpinBox(Parent)
{
    setRange(0, MaxMinutes);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

void DurationSpinBox::stepBy(int Steps)
{
    const int colon = static_cast<int>(lineEdit()->text().indexOf(QLatin1Char(':')));
    const bool inHours = colon >= 0 && lineEdit()->cursorPosition() <= colon;
    const int caret = lineEdit()->cursorPosition();
    QSpinBox::stepBy(inHours ? Steps * 60 : Steps);
    lineEdit()->setCursorPosition(caret);
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
