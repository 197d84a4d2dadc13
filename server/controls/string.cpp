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
    , m_textBox(new QLineEdit(this))
{
    m_textBox->setObjectName(QStringLiteral("TextBox"));
    m_textBox->setMaxLength(100);
    m_textBox->installEventFilter(this);
    setFocusProxy(m_textBox);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_textBox);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_textBox, &QLineEdit::textChanged, this, &String::OnTextChanged);
}

bool String::Enabled() const
{
    return m_textBox->isEnabled();
}

void String::SetEnabled(bool Value)
{
    m_textBox->setEnabled(Value);
}

qint32 String::MaxLength() const
{
    return m_textBox->maxLength() == Unlimited ? 0 : m_textBox->maxLength();
}

void String::SetMaxLength(qint32 Value)
{
    m_textBox->setMaxLength(Value > 0 ? Value : Unlimited);
}

QString String::Value() const
{
    return m_textBox->text();
}

void String::SetValue(const QString &Value)
{
    m_textBox->setText(Value);
}

bool String::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_textBox && Event->type() == QEvent::KeyPress) {
        return InputHelpers::RaiseKeyDown(static_cast<QKeyEvent *>(Event),
                                          [this](qint16 &KeyCode, qint16 &Shift) { emit KeyDown(KeyCode, Shift); });
    }
    return QWidget::eventFilter(Watched, Event);
}

void String::OnTextChanged()
{
    if (m_upperCase) {
        const QString upper = InputHelpers::DisplayLocale().toUpper(m_textBox->text());
        if (upper != m_textBox->text()) {
            const int caret = m_textBox->cursorPosition();
            {
                const QSignalBlocker blocker(m_textBox);
                m_textBox->setText(upper);
            }
            m_textBox->setCursorPosition(caret);
        }
    }
    emit Changed();
}
