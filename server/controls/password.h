#pragma once

#include <QWidget>

class QLineEdit;

// Masked password input whose value is a digest, never the typed text: it gives back the digest
// it was given while untouched, and the MD5 digest of the typed text (without surrounding
// blanks) once edited, including the digest of the empty text for an emptied box.
class Password final : public QWidget
{
    Q_OBJECT

public:
    explicit Password(QWidget *Parent = nullptr);

    QString Value() const;
    // The stored digest, or "" for no password; the box shows a placeholder. Raises no Changed.
    void SetValue(const QString &Value);

    bool Enabled() const;
    void SetEnabled(bool Value);

    QLineEdit *TextBox() const
    {
        return m_textBox;
    }

signals:
    void Changed();

private:
    QLineEdit *m_textBox;
    QString m_stored;
    bool m_edited = false;
};
