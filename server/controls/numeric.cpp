#include "controls/numeric.h"

#include "controls/focusvalidator.h"
#include "controls/inputhelpers.h"
#include "controls/numberformat.h"
#include "leadingnumber.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
// Long enough for 14 grouped digits, a sign and four decimals.
constexpr int TextBoxLength = 24;

QToolButton *MakeArrow(Qt::ArrowType Arrow, const QString &Name, QWidget *Parent)
{
    auto *button = new QToolButton(Parent);
    button->setObjectName(Name);
    button->setArrowType(Arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedWidth(16);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    return button;
}

qint32 ToInt32(Currency Value)
{
    const std::int64_t whole = NumberFormat::Rounded(Value, 0).Units() / Currency::Scale;
    return static_cast<qint32>(
        std::clamp<std::int64_t>(whole, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

// Digits, signs and decimal separators: what the caret is kept after when the text is rewritten.
bool IsSignificant(QChar Char)
{
    return Char.isDigit() || Char == QLatin1Char('-') || Char == QLatin1Char('+') || Char == QLatin1Char('.')
           || Char == QLatin1Char(',');
}

int SignificantCount(const QString &Text)
{
    return static_cast<int>(std::count_if(Text.begin(), Text.end(), IsSignificant));
}

Currency Abs(Currency Value)
{
    return Value < Currency() ? -Value : Value;
}
} // namespace

Numeric::Numeric(QWidget *Parent)
    : QWidget(Parent)
    , m_TextBox(new QLineEdit(QStringLiteral("0"), this))
    , m_Validator(new FocusValidator(m_TextBox))
    , m_MaxValue(999999999)
    , m_MinValue(-999999999)
{
    m_TextBox->setObjectName(QStringLiteral("TextBox"));
    m_TextBox->setMaxLength(TextBoxLength);
    m_TextBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_TextBox->installEventFilter(this);
    InputHelpers::SelectAllOnEntry(m_TextBox);
    connect(m_Validator, &FocusValidator::Validate, this, &Numeric::Validate);
    setFocusProxy(m_TextBox);

    auto *upDown = new QWidget(this);
    upDown->setObjectName(QStringLiteral("UpDown"));
    auto *arrows = new QVBoxLayout(upDown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    m_Up = MakeArrow(Qt::UpArrow, QStringLiteral("UpButton"), upDown);
    m_Down = MakeArrow(Qt::DownArrow, QStringLiteral("DownButton"), upDown);
    arrows->addWidget(m_Up);
    arrows->addWidget(m_Down);
    // The buttons stand beside the box with the box's height.
    const int height = m_TextBox->sizeHint().height();
    upDown->setFixedHeight(height);
    m_Up->setFixedHeight(height / 2);
    m_Down->setFixedHeight(height - height / 2);
    connect(m_Up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_Down, &QToolButton::clicked, this, [this] { Step(-1); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_TextBox);
    layout->addWidget(upDown);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    NormalizeNumericLimits();
    UpdateUpDown();
    connect(m_TextBox, &QLineEdit::textChanged, this, &Numeric::OnTextChanged);
}

Numeric::~Numeric()
{
    // The focus leaves the inner box as the input goes away: that is no edit to validate, and the
    // handlers of Validate would run against a half-destroyed input.
    delete m_Validator;
}

Currency Numeric::Value() const
{
    Currency value;
    return NumberFormat::ReadShown(m_TextBox->text(), value) ? value : Currency();
}

void Numeric::SetValue(Currency Value)
{
    const QSignalBlocker blocker(m_TextBox);
    m_TextBox->setText(Format(Clamped(Value)));
}

void Numeric::SetValue(double Value)
{
    SetValue(Currency::FromDouble(std::isnan(Value) ? 0.0 : Value));
}

void Numeric::SetValue(const QString &Text)
{
    SetValue(LeadingNumber(Text));
}

void Numeric::SetPrecOrder(qint32 Value)
{
    m_PrecOrder = qBound(0, Value, 4);
    NormalizeNumericLimits();
    UpdateUpDown();
    RecheckText();
}

void Numeric::SetCapacity(qint32 Value)
{
    m_Capacity = qBound(0, Value, 14);
    NormalizeNumericLimits();
    RecheckText();
}

void Numeric::SetSign(bool Value)
{
    m_Sign = Value;
    NormalizeNumericLimits();
    RecheckText();
}

bool Numeric::Enabled() const
{
    return m_TextBox->isEnabled();
}

void Numeric::SetEnabled(bool Value)
{
    m_TextBox->setEnabled(Value);
    m_Up->setEnabled(Value);
    m_Down->setEnabled(Value);
    setEnabled(Value);
}

void Numeric::SetMaxValue(Currency Value)
{
    m_MaxValue = m_Sign ? Value : Abs(Value);
    NormalizeNumericLimits();
    RecheckText();
}

void Numeric::SetMinValue(Currency Value)
{
    m_MinValue = m_Sign ? Value : Abs(Value);
    NormalizeNumericLimits();
    RecheckText();
}

void Numeric::SetSlider(bool Value)
{
    m_Slider = Value;
    UpdateUpDown();
}

void Numeric::SetMask(const QString &Value)
{
    m_Mask = Value;
}

bool Numeric::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_TextBox && Event->type() == QEvent::KeyPress) {
        return HandleKey(static_cast<QKeyEvent *>(Event));
    }
    if (Watched == m_TextBox && Event->type() == QEvent::MouseButtonDblClick) {
        emit DblClick();
    }
    return QWidget::eventFilter(Watched, Event);
}

bool Numeric::HandleKey(QKeyEvent *Event)
{
    const qint16 pressed = InputHelpers::KeyCodeOf(Event);
    qint16 keyCode = pressed;
    qint16 shift = InputHelpers::ShiftOf(Event);
    emit KeyDown(keyCode, shift);
    if (keyCode == 0 && pressed != 0) {
        return true;
    }
    if (keyCode == InputHelpers::vkUp || keyCode == InputHelpers::vkDown) {
        Step(keyCode == InputHelpers::vkUp ? 1 : -1);
        return true;
    }
    return false;
}

void Numeric::OnTextChanged()
{
    ApplyTextRule();
    emit Changed();
}

QString Numeric::NormalizedText(const QString &Text) const
{
    QString s = Text.trimmed().replace(QLatin1Char(','), QLatin1Char('.'));
    if (m_PrecOrder == 0) {
        s.remove(QLatin1Char('.'));
    }
    // Backwards, so that the rightmost point survives and the leftmost sign character decides.
    QString r;
    int request = 0;
    bool pointKept = false;
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
        const QChar ch = s.at(i);
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
            r.prepend(ch);
        } else if (ch == QLatin1Char('-') && m_Sign) {
            if (i == 0) {
                r.prepend(ch);
            } else {
                request = -1;
            }
        } else if (ch == QLatin1Char('+') && m_Sign) {
            request = 1;
        } else if (ch == QLatin1Char('.') && m_PrecOrder >= 1 && !pointKept) {
            r.prepend(ch);
            pointKept = true;
        }
    }
    if (request == 1 && r.startsWith(QLatin1Char('-'))) {
        r.remove(0, 1);
    } else if (request == -1 && !r.startsWith(QLatin1Char('-'))) {
        r.prepend(QLatin1Char('-'));
    }
    Currency number;
    if (!Currency::FromText(r, number)) {
        // Digits beyond the range saturate; no digits at all give 0.
        number = Currency::FromDouble(LeadingNumber(r));
    }
    return Format(Clamped(number));
}

void Numeric::ApplyTextRule()
{
    const QString text = m_TextBox->text();
    const int before = SignificantCount(text.left(m_TextBox->cursorPosition()));
    const QString normalized = NormalizedText(text);
    if (normalized == text) {
        return;
    }
    {
        const QSignalBlocker blocker(m_TextBox);
        m_TextBox->setText(normalized);
    }
    // The caret stays after the same digit, whatever group separators the rewrite added or took away.
    int caret = 0;
    for (int counted = 0; caret < normalized.size() && counted < before; ++caret) {
        counted += IsSignificant(normalized.at(caret)) ? 1 : 0;
    }
    m_TextBox->setCursorPosition(caret);
}

void Numeric::RecheckText()
{
    const QString normalized = NormalizedText(m_TextBox->text());
    if (normalized != m_TextBox->text()) {
        m_TextBox->setText(normalized);
    }
}

void Numeric::NormalizeNumericLimits()
{
    if (!m_Sign) {
        m_MinValue = qMax(m_MinValue, Currency());
        m_MaxValue = qMax(m_MaxValue, Currency());
    }
    if (m_MinValue > m_MaxValue) {
        m_MinValue = m_MaxValue;
    }
    Currency limit = Currency(1);
    for (qint32 i = 0; i < m_Capacity; ++i) {
        limit = limit * Currency(10);
    }
    limit -= Currency(1);
    m_MaxValue = qBound(-limit, m_MaxValue, limit);
    m_MinValue = qBound(-limit, m_MinValue, limit);
    m_MinValue = NumberFormat::Rounded(m_MinValue, m_PrecOrder);
    m_MaxValue = NumberFormat::Rounded(m_MaxValue, m_PrecOrder);
}

void Numeric::UpdateUpDown()
{
    m_Up->parentWidget()->setVisible(m_Slider && m_PrecOrder == 0);
}

void Numeric::Step(qint32 Direction)
{
    const qint32 shown = ToInt32(Value());
    if (Direction > 0 && shown < ToInt32(m_MaxValue)) {
        m_TextBox->setText(Format(Currency(shown + 1)));
    } else if (Direction < 0 && shown > ToInt32(m_MinValue)) {
        m_TextBox->setText(Format(Currency(shown - 1)));
    }
}

QString Numeric::Format(Currency Value) const
{
    return NumberFormat::Format(Value, m_Mask, m_PrecOrder);
}

Currency Numeric::Clamped(Currency Value) const
{
    return qBound(m_MinValue, Value, m_MaxValue);
}
