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
    , m_TextBox(new QLineEdit(this))
{
    m_TextBox->setObjectName(QStringLiteral("TextBox"));
    m_TextBox->setEchoMode(QLineEdit::Password);
    InputHelpers::SelectAllOnEntry(m_TextBox);
    setFocusProxy(m_TextBox);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_TextBox);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_TextBox, &QLineEdit::textChanged, this, [this] {
        m_Edited = true;
        emit Changed();
    });
}

QString Password::Value() const
{
    return m_Edited ? HashModule::Md5Hex(m_TextBox->text().trimmed()) : m_Stored;
}

void Password::SetValue(const QString &Value)
{
    const QSignalBlocker blocker(m_TextBox);
    m_Stored = Value;
    m_TextBox->setText(Value.isEmpty() ? QString() : Filler);
    m_Edited = false;
}

bool Password::Enabled() const
{
    return m_TextBox->isEnabled();
}

void Password::SetEnabled(bool Value)
{
    m_TextBox->setEnabled(Value);
}
