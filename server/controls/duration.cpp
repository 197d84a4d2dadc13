#include "controls/duration.h"

#include "controls/durationspinbox.h"
#include "controls/focusvalidator.h"
#include "controls/inputhelpers.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

#include <cstdlib>

namespace
{
const QString Plus = QStringLiteral("+");
const QString Minus = QStringLiteral("-");
} // namespace

Duration::Duration(QWidget *Parent)
    : QWidget(Parent)
    , m_Time(new DurationSpinBox(this))
    , m_SignBtn(new QPushButton(Plus, this))
    , m_Validator(new FocusValidator(m_Time))
{
    m_Time->setObjectName(QStringLiteral("dtTime"));
    m_SignBtn->setObjectName(QStringLiteral("SignBtn"));
    m_SignBtn->setFixedWidth(m_SignBtn->fontMetrics().horizontalAdvance(QStringLiteral("+-")) + 12);
    m_SignBtn->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    m_SignBtn->hide();
    setFocusProxy(m_Time);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_SignBtn);
    layout->addWidget(m_Time);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_Time->installEventFilter(this);
    m_SignBtn->installEventFilter(this);
    connect(m_Validator, &FocusValidator::Validate, this, &Duration::ValidateMe);
    connect(m_Time, &QSpinBox::valueChanged, this, &Duration::Changed);
    connect(m_SignBtn, &QPushButton::clicked, this, [this] {
        m_SignBtn->setText(m_SignBtn->text() == Plus ? Minus : Plus);
        emit Changed();
    });
}

Duration::~Duration()
{
    // The focus leaves the inner box as the input goes away: that is no edit to validate, and the
    // handlers of Validate would run against a half-destroyed input.
    delete m_Validator;
}

bool Duration::Enabled() const
{
    return m_Time->isEnabled();
}

void Duration::SetEnabled(bool Value)
{
    m_Time->setEnabled(Value);
    m_SignBtn->setEnabled(Value);
    setEnabled(Value);
}

qint32 Duration::Value() const
{
    return m_SignBtn->text() == Minus ? -m_Time->value() : m_Time->value();
}

void Duration::SetValue(qint32 Value)
{
    const qint64 magnitude = std::llabs(static_cast<qint64>(Value));
    m_Time->setValue(static_cast<int>(qMin<qint64>(magnitude, DurationSpinBox::MaxMinutes)));
    if (m_SignVisible) {
        m_SignBtn->setText(Value < 0 ? Minus : Plus);
    }
}

void Duration::SetSignVisible(bool Value)
{
    m_SignVisible = Value;
    if (!Value) {
        m_SignBtn->setText(Plus);
    }
    m_SignBtn->setVisible(Value);
    adjustSize();
}

bool Duration::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress && (Watched == m_Time || Watched == m_SignBtn)) {
        return InputHelpers::RaiseKeyDown(static_cast<QKeyEvent *>(Event),
                                          [this](qint16 &KeyCode, qint16 &Shift) { emit KeyDown(KeyCode, Shift); });
    }
    return QWidget::eventFilter(Watched, Event);
}
