#pragma once

#include <QWidget>

class FocusValidator;
class QLineEdit;

// Card barcode input, typed or scanned: blanks around the text and every "-", "," and "." are
// dropped as it changes; a scanner's closing Enter raises BarcodeEntered.
class Barcode final : public QWidget
{
    Q_OBJECT

public:
    explicit Barcode(QWidget *Parent = nullptr);
    ~Barcode() override;

    bool Enabled() const;
    void SetEnabled(bool Value);

    QString Value() const;
    // Shown as given, without cleaning; raises no Changed.
    void SetValue(const QString &Value);

    QLineEdit *TextBox() const
    {
        return m_text;
    }

signals:
    void Changed();
    // Enter in a box that holds a barcode.
    void BarcodeEntered();
    // Raised as the focus leaves the input; a handler that sets Cancel keeps the focus here.
    void Validate(bool &Cancel);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void OnTextChanged();

    QLineEdit *m_text;
    FocusValidator *m_validator;
    bool m_busy = false;
};
