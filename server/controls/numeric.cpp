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
#include <utility>

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

// Keys that neither type nor move the caret.
bool EditsNothing(int Key)
{
    return Key == Qt::Key_Shift || Key == Qt::Key_Control || Key == Qt::Key_Alt || Key == Qt::Key_Meta
           || Key == Qt::Key_NumLock || Key == Qt::Key_CapsLock || Key == Qt::Key_ScrollLock;
}

bool IsDecimalSeparator(const QString &Text)
{
    return Text == QLatin1String(",") || Text == QLatin1String(".");
}

// A whole number's text without its kopecks: a separator that stands once is the decimal one, as
// typed; one that repeats groups the thousands.
QString WithoutKopecks(QString Text)
{
    const qsizetype last = std::max(Text.lastIndexOf(QLatin1Char(',')), Text.lastIndexOf(QLatin1Char('.')));
    if (last >= 0 && Text.count(Text.at(last)) == 1) {
        Text.truncate(last);
    }
    return Text;
}

// Where the decimal places of a shown number begin: after its decimal separator, or at its end.
int DecimalsStart(const QString &Text)
{
    const qsizetype point = Text.indexOf(InputHelpers::DisplayLocale().decimalPoint());
    return static_cast<int>(point < 0 ? Text.size() : point + 1);
}
} // namespace

Numeric::Numeric(QWidget *Parent)
    : QWidget(Parent)
    , m_textBox(new QLineEdit(QStringLiteral("0"), this))
    , m_validator(new FocusValidator(m_textBox))
    , m_maxValue(999999999)
    , m_minValue(-999999999)
{
    m_textBox->setObjectName(QStringLiteral("TextBox"));
    m_textBox->setMaxLength(TextBoxLength);
    m_textBox->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_textBox->installEventFilter(this);
    InputHelpers::SelectAllOnEntry(m_textBox);
    connect(m_validator, &FocusValidator::Validate, this, &Numeric::Validate);
    setFocusProxy(m_textBox);

    auto *upDown = new QWidget(this);
    upDown->setObjectName(QStringLiteral("UpDown"));
    auto *arrows = new QVBoxLayout(upDown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    m_up = MakeArrow(Qt::UpArrow, QStringLiteral("UpButton"), upDown);
    m_down = MakeArrow(Qt::DownArrow, QStringLiteral("DownButton"), upDown);
    arrows->addWidget(m_up);
    arrows->addWidget(m_down);
    // The buttons stand beside the box with the box's height.
    const int height = m_textBox->sizeHint().height();
    upDown->setFixedHeight(height);
    m_up->setFixedHeight(height / 2);
    m_down->setFixedHeight(height - height / 2);
    connect(m_up, &QToolButton::clicked, this, [this] { Step(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { Step(-1); });

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_textBox);
    layout->addWidget(upDown);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);

    NormalizeNumericLimits();
    UpdateUpDown();
    connect(m_textBox, &QLineEdit::textChanged, this, &Numeric::OnTextChanged);
}

Numeric::~Numeric()
{
    // The focus leaves the inner box as the input goes away: that is no edit to validate, and the
    // handlers of Validate would run against a half-destroyed input.
    delete m_validator;
}

Currency Numeric::Value() const
{
    Currency value;
    return NumberFormat::ReadShown(m_textBox->text(), value) ? value : Currency();
}

void Numeric::SetValue(Currency Value)
{
    ForgetTyping();
    const QSignalBlocker blocker(m_textBox);
    m_textBox->setText(Format(Clamped(Value)));
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
    m_precOrder = qBound(0, Value, 4);
    NormalizeNumericLimits();
    UpdateUpDown();
    RecheckText();
}

void Numeric::SetCapacity(qint32 Value)
{
    m_capacity = qBound(0, Value, 14);
    NormalizeNumericLimits();
    RecheckText();
}

void Numeric::SetSign(bool Value)
{
    m_sign = Value;
    NormalizeNumericLimits();
    RecheckText();
}

bool Numeric::Enabled() const
{
    return m_textBox->isEnabled();
}

void Numeric::SetEnabled(bool Value)
{
    m_textBox->setEnabled(Value);
    m_up->setEnabled(Value);
    m_down->setEnabled(Value);
    setEnabled(Value);
}

void Numeric::SetMaxValue(Currency Value)
{
    m_maxValue = m_sign ? Value : Abs(Value);
    NormalizeNumericLimits();
    RecheckText();
}

void Numeric::SetMinValue(Currency Value)
{
    m_minValue = m_sign ? Value : Abs(Value);
    NormalizeNumericLimits();
    RecheckText();
}

void Numeric::SetSlider(bool Value)
{
    m_slider = Value;
    UpdateUpDown();
}

void Numeric::SetMask(const QString &Value)
{
    m_mask = Value;
}

bool Numeric::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_textBox && Event->type() == QEvent::KeyPress) {
        return HandleKey(static_cast<QKeyEvent *>(Event));
    }
    if (Watched == m_textBox && (Event->type() == QEvent::MouseButtonPress || Event->type() == QEvent::FocusOut)) {
        ForgetTyping();
    }
    if (Watched == m_textBox && Event->type() == QEvent::MouseButtonDblClick) {
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
    return TypeKey(Event);
}

bool Numeric::TypeKey(const QKeyEvent *Event)
{
    if (EditsNothing(Event->key())) {
        return false;
    }
    const QString standsFor = std::exchange(m_typed, QString());
    // A character typed: not a shortcut, nor the control character of BackSpace, Delete or Return.
    const bool plain = !(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
                       && Event->text().size() == 1 && Event->text().at(0).isPrint();
    const QString typed = plain ? Event->text() : QString();
    if (IsDecimalSeparator(typed)) {
        // A separator removes no digits: it starts the kopecks (typed over a selection, it removes that).
        if (m_textBox->hasSelectedText()) {
            m_textBox->del();
        }
        // Typed again while the kopecks go on, it changes nothing.
        m_kopecks = std::max(m_kopecks, 0);
        const QString text = m_textBox->text();
        m_textBox->setCursorPosition(std::min(DecimalsStart(text) + m_kopecks, static_cast<int>(text.size())));
        return true;
    }
    if (!typed.isEmpty() && typed.at(0).isDigit() && m_kopecks != NoKopecks && !m_textBox->hasSelectedText()) {
        TypeKopeck(typed);
        return true;
    }
    if (!typed.isEmpty() && !standsFor.isEmpty() && m_textBox->selectedText() == m_textBox->text()) {
        // Typed on from the sign or the digits that the number shown stands in for.
        m_textBox->insert(standsFor + typed);
        return true;
    }
    return StepOverPoint(Event);
}

void Numeric::TypeKopeck(const QString &Digit)
{
    // Wherever the caret went, the digit takes the next decimal place and the places after it are
    // typed afresh; beyond the places shown (all of them in whole numbers) it is dropped.
    const QString text = m_textBox->text();
    const int place = DecimalsStart(text) + m_kopecks;
    if (place >= text.size()) {
        return;
    }
    const int typed = m_kopecks + 1;
    m_textBox->setSelection(place, static_cast<int>(text.size()) - place);
    m_textBox->insert(Digit);
    m_kopecks = typed;
}

bool Numeric::StepOverPoint(const QKeyEvent *Event)
{
    if (m_precOrder == 0 || m_textBox->hasSelectedText() || (Event->modifiers() & Qt::ControlModifier)) {
        return false;
    }
    const QString point = InputHelpers::DisplayLocale().decimalPoint();
    const QString text = m_textBox->text();
    const int caret = m_textBox->cursorPosition();
    if (Event->key() == Qt::Key_Backspace && caret > 0 && text.mid(caret - 1, 1) == point) {
        m_textBox->setCursorPosition(caret - 1);
        return true;
    }
    if (Event->key() == Qt::Key_Delete && text.mid(caret, 1) == point) {
        m_textBox->setCursorPosition(caret + 1);
        return true;
    }
    return false;
}

void Numeric::OnTextChanged()
{
    // The kopecks go on only as long as nothing else changes the text.
    m_kopecks = NoKopecks;
    ApplyTextRule();
    emit Changed();
}

Numeric::Rewrite Numeric::NormalizedText(const QString &Text) const
{
    QString s = Text.trimmed();
    if (m_precOrder == 0) {
        s = WithoutKopecks(s);
    }
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    // Backwards, so that the rightmost point survives and the leftmost sign character decides.
    QString r;
    int request = 0;
    bool pointKept = false;
    for (qsizetype i = s.size() - 1; i >= 0; --i) {
        const QChar ch = s.at(i);
        if (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) {
            r.prepend(ch);
        } else if (ch == QLatin1Char('-') && m_sign) {
            if (i == 0) {
                r.prepend(ch);
            } else {
                request = -1;
            }
        } else if (ch == QLatin1Char('+') && m_sign) {
            request = 1;
        } else if (ch == QLatin1Char('.') && m_precOrder >= 1 && !pointKept) {
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
    const QString whole = r.left(r.indexOf(QLatin1Char('.')));
    const bool erased = std::none_of(whole.begin(), whole.end(), [](QChar Char) { return Char.isDigit(); });
    // Digits below a lower limit above 0 may be the first ones of a number within it.
    const bool below = !erased && number >= Currency() && number < m_minValue;
    const bool placeholder = erased || below;
    // What was typed before the decimals, signs and all, for the keys typed next to go on from.
    return {Format(Clamped(number)), placeholder, placeholder ? s.left(s.indexOf(QLatin1Char('.'))) : QString()};
}

void Numeric::ApplyTextRule()
{
    const QString text = m_textBox->text();
    const int before = SignificantCount(text.left(m_textBox->cursorPosition()));
    const Rewrite rewrite = NormalizedText(text);
    m_typed = rewrite.Typed;
    if (rewrite.Text == text) {
        return;
    }
    {
        const QSignalBlocker blocker(m_textBox);
        m_textBox->setText(rewrite.Text);
    }
    if (rewrite.Placeholder) {
        // The number put in for what is typed is selected: the keys typed next replace it, going on
        // from what it stands for, and erasing it erases the kopecks too.
        m_textBox->selectAll();
        return;
    }
    // The caret stays after the same digit, whatever group separators the rewrite added or took away.
    int caret = 0;
    for (int counted = 0; caret < rewrite.Text.size() && counted < before; ++caret) {
        counted += IsSignificant(rewrite.Text.at(caret)) ? 1 : 0;
    }
    m_textBox->setCursorPosition(caret);
}

void Numeric::RecheckText()
{
    const QString normalized = NormalizedText(m_textBox->text()).Text;
    if (normalized != m_textBox->text()) {
        m_textBox->setText(normalized);
    }
}

void Numeric::NormalizeNumericLimits()
{
    if (!m_sign) {
        m_minValue = qMax(m_minValue, Currency());
        m_maxValue = qMax(m_maxValue, Currency());
    }
    if (m_minValue > m_maxValue) {
        m_minValue = m_maxValue;
    }
    Currency limit = Currency(1);
    for (qint32 i = 0; i < m_capacity; ++i) {
        limit = limit * Currency(10);
    }
    limit -= Currency(1);
    m_maxValue = qBound(-limit, m_maxValue, limit);
    m_minValue = qBound(-limit, m_minValue, limit);
    m_minValue = NumberFormat::Rounded(m_minValue, m_precOrder);
    m_maxValue = NumberFormat::Rounded(m_maxValue, m_precOrder);
}

void Numeric::UpdateUpDown()
{
    m_up->parentWidget()->setVisible(m_slider && m_precOrder == 0);
}

void Numeric::Step(qint32 Direction)
{
    const qint32 shown = ToInt32(Value());
    if (Direction > 0 ? shown >= ToInt32(m_maxValue) : shown <= ToInt32(m_minValue)) {
        return;
    }
    // The whole part steps; kopecks begun with a separator go on, from their first place.
    const bool kopecks = m_kopecks != NoKopecks;
    m_textBox->setText(Format(Currency(shown + Direction)));
    if (kopecks) {
        m_kopecks = 0;
    }
}

QString Numeric::Format(Currency Value) const
{
    return NumberFormat::Format(Value, m_mask, m_precOrder);
}

Currency Numeric::Clamped(Currency Value) const
{
    return qBound(m_minValue, Value, m_maxValue);
}

void Numeric::ForgetTyping()
{
    m_kopecks = NoKopecks;
    m_typed.clear();
}
