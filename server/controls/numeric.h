#pragma once

#include "currency.h"

#include <QWidget>

class FocusValidator;
class QKeyEvent;
class QLineEdit;
class QToolButton;

// Number input: a one-line box that only ever shows a valid number within its limits, in a
// fixed display format, with optional up-down buttons. Whatever is typed is turned into such a
// number at once; nothing is ever reported to the user.
class Numeric final : public QWidget
{
    Q_OBJECT

public:
    explicit Numeric(QWidget *Parent = nullptr);
    ~Numeric() override;

    // The number shown.
    Currency Value() const;
    // Sets the number, saturated and clamped to the limits; raises no Changed.
    void SetValue(Currency Value);
    void SetValue(double Value);
    // Reads the text's leading number whatever the machine's locale: blanks anywhere are
    // ignored, "." is the decimal point, no number gives 0.
    void SetValue(const QString &Text);

    // Decimal places shown, 0 to 4; 0 shows whole numbers.
    qint32 PrecOrder() const
    {
        return m_precOrder;
    }

    void SetPrecOrder(qint32 Value);

    // Integer digits, 0 to 14: the limits stay within plus or minus 10^Capacity - 1.
    qint32 Capacity() const
    {
        return m_capacity;
    }

    void SetCapacity(qint32 Value);

    // Negative numbers may be entered.
    bool Sign() const
    {
        return m_sign;
    }

    void SetSign(bool Value);

    bool Enabled() const;
    void SetEnabled(bool Value);

    Currency MaxValue() const
    {
        return m_maxValue;
    }

    // Without Sign the absolute value is taken; the number shown is brought within the new limit.
    void SetMaxValue(Currency Value);

    Currency MinValue() const
    {
        return m_minValue;
    }

    void SetMinValue(Currency Value);

    // Up-down buttons, shown only for whole numbers.
    bool Slider() const
    {
        return m_slider;
    }

    void SetSlider(bool Value);

    // Display format such as "#,##0" or "###,##0.00" ("," groups, "." the decimal separator,
    // both shown in the Russian form); empty for plain digits with PrecOrder decimals. Applies
    // from the next change of the text.
    QString Mask() const
    {
        return m_mask;
    }

    void SetMask(const QString &Value);

    // The inner text box.
    QLineEdit *TextBox() const
    {
        return m_textBox;
    }

signals:
    void Changed();
    void DblClick();
    // Raised for every key first; setting KeyCode to 0 swallows the key.
    void KeyDown(qint16 &KeyCode, qint16 &Shift);
    // Raised as the focus leaves the input; a handler that sets Cancel keeps the focus here.
    void Validate(bool &Cancel);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    static constexpr int NoKopecks = -1;

    // The text rule's result: the text to show and, when that is a number put in for what is typed
    // (nothing, a lone sign, digits below the lower limit), what it stands for.
    struct Rewrite
    {
        QString Text;
        bool Placeholder = false;
        QString Typed;
    };

    void OnTextChanged();
    Rewrite NormalizedText(const QString &Text) const;
    void ApplyTextRule();
    // After a property change: a text that no longer fits is rewritten as an ordinary change.
    void RecheckText();
    void NormalizeNumericLimits();
    void UpdateUpDown();
    // One up-down step from the number shown, within the limits taken as 32-bit integers.
    void Step(qint32 Direction);
    QString Format(Currency Value) const;
    Currency Clamped(Currency Value) const;
    bool HandleKey(QKeyEvent *Event);
    // The keys that type characters; true for a key taken here.
    bool TypeKey(const QKeyEvent *Event);
    // A digit typed after a separator key.
    void TypeKopeck(const QString &Digit);
    // Erasing steps over the decimal separator rather than joining the decimals to the whole part.
    bool StepOverPoint(const QKeyEvent *Event);
    void ForgetTyping();

    QLineEdit *m_textBox;
    FocusValidator *m_validator;
    QToolButton *m_up;
    QToolButton *m_down;
    qint32 m_precOrder = 0;
    qint32 m_capacity = 2;
    bool m_sign = false;
    bool m_slider = false;
    Currency m_maxValue;
    Currency m_minValue;
    QString m_mask;
    // Decimal places typed since a separator key; they survive every key that edits nothing.
    int m_kopecks = NoKopecks;
    // What the number put in for it stands for, until the next key.
    QString m_typed;
};
