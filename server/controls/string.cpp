#include "controls/string.h"

#include "controls/inputhelpers.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

namespace
{
// QLineEdit's own "no limit".
constexpr int Unlimited = 32767;
} // namespace

String::String(QWidget *Parent)
    : QWidget(Parent)
    , m_TextBox(new QLineEdit(this))
{
    m_TextBox->setObjectName(QStringLiteral("TextBox"));
    m_TextBox->setMaxLength(100);
    m_TextBox->installEventFilter(this);
    setFocusProxy(m_TextBox);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_TextBox);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_TextBox, &QLineEdit::textChanged, this, &String::OnTextChanged);
}

bool String::Enabled() const
{
    return m_TextBox->isEnabled();
}

void String::SetEnabled(bool Value)
{
    m_TextBox->setEnabled(Value);
}

qint32 String::MaxLength() const
{
    return m_TextBox->maxLength() == Unlimited ? 0 : m_TextBox->maxLength();
}

void String::SetMaxLength(qint32 Value)
{
    m_TextBox->setMaxLength(Value > 0 ? Value : Unlimited);
}

QString String::Value() const
{
    return m_TextBox->text();
}

void String::SetValue(const QString &Value)
{
    m_TextBox->setText(Value);
}

bool String::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_TextBox && Event->type() == QEvent::KeyPress) {
        return InputHelpers::RaiseKeyDown(static_cast<QKeyEvent *>(Event),
                                          [this](qint16 &KeyCode, qint16 &Shift) { emit KeyDown(KeyCode, Shift); });
    }
    return QWidget::eventFilter(Watched, Event);
}

void String::OnTextChanged()
{
    if (m_UpperCase) {
        const QString upper = InputHelpers::DisplayLocale().toUpper(m_TextBox->text());
        if (upper != m_TextBox->text()) {
            const int caret = m_TextBox->cursorPosition();
            {
                const QSignalBlocker blocker(m_TextBox);
                m_TextBox->setText(upper);
            }
            m_TextBox->setCursorPosition(caret);
        }
    }
    emit Changed();
}
