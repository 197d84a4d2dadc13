#pragma once

#include <QWidget>

class QLineEdit;

// One-line text input, optionally kept in upper case.
class String final : public QWidget
{
    Q_OBJECT

public:
    explicit String(QWidget *Parent = nullptr);

    bool Enabled() const;
    void SetEnabled(bool Value);

    // Most characters typed; 0 for no limit.
    qint32 MaxLength() const;
    void SetMaxLength(qint32 Value);

    // The inner box is always one line.
    bool MultiLine() const
    {
        return false;
    }

    QString Value() const;
    // Raises Changed like any other change of the text.
    void SetValue(const QString &Value);

    // The text is kept in upper case from its next change on.
    bool UpperCase() const
    {
        return m_upperCase;
    }

    void SetUpperCase(bool Value)
    {
        m_upperCase = Value;
    }

    QLineEdit *TextBox() const
    {
        return m_textBox;
    }

signals:
    void Changed();
    // Raised for every key first; setting KeyCode to 0 swallows the key.
    void KeyDown(qint16 &KeyCode, qint16 &Shift);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void OnTextChanged();

    QLineEdit *m_textBox;
    bool m_upperCase = false;
};
