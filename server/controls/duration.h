#pragma once

#include <QWidget>

class DurationSpinBox;
class FocusValidator;
class QKeyEvent;
class QPushButton;

// Signed span of whole minutes, from 0 to 59,999 in magnitude, shown as hours:minutes; the
// sign button, when shown, makes it negative.
class Duration final : public QWidget
{
    Q_OBJECT

public:
    explicit Duration(QWidget *Parent = nullptr);
    ~Duration() override;

    bool Enabled() const;
    void SetEnabled(bool Value);

    qint32 Value() const;
    // The magnitude is kept within 0 to 59,999; the sign is shown only with SignVisible. A change
    // of the value raises Changed once, after both the minutes and the sign are set.
    void SetValue(qint32 Value);

    // The sign button is shown; without it the value is never negative.
    bool SignVisible() const
    {
        return m_signVisible;
    }

    void SetSignVisible(bool Value);

signals:
    void Changed();
    // Raised as the focus leaves the minutes; a handler that sets Cancel keeps the focus there.
    void ValidateMe(bool &Cancel);
    void KeyDown(qint16 &KeyCode, qint16 &Shift);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    DurationSpinBox *m_time;
    QPushButton *m_signBtn;
    FocusValidator *m_validator;
    bool m_signVisible = false;
};
