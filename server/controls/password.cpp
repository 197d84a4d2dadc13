#include "controls/password.h"

#include "controls/hashmodule.h"
#include "controls/inputhelpers.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>

namespace
{
// Shown for a set password: it is never the password itself.
const QString Filler = QStringLiteral("************");
} // namespace

Password::Password(QWidget *Parent)
    : QWidget(Parent)
    , m_textBox(new QLineEdit(this))
{
    m_textBox->setObjectName(QStringLiteral("TextBox"));
    m_textBox->setEchoMode(QLineEdit::Password);
    InputHelpers::SelectAllOnEntry(m_textBox);
    setFocusProxy(m_textBox);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_textBox);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_textBox, &QLineEdit::textChanged, this, [this] {
        m_edited = true;
        emit Changed();
    });
}

QString Password::Value() const
{
    return m_edited ? HashModule::Md5Hex(m_textBox->text().trimmed()) : m_stored;
}

void Password::SetValue(const QString &Value)
{
    const QSignalBlocker blocker(m_textBox);
    m_stored = Value;
    m_textBox->setText(Value.isEmpty() ? QString() : Filler);
    m_edited = false;
}

bool Password::Enabled() const
{
    return m_textBox->isEnabled();
}

void Password::SetEnabled(bool Value)
{
    m_textBox->setEnabled(Value);
}
