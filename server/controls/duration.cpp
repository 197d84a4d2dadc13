#include "controls/duration.h"

#include "controls/durationspinbox.h"
#include "controls/focusvalidator.h"
#include "controls/inputhelpers.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>

#include <cstdlib>

namespace
{
const QString Plus = QStringLiteral("+");
const QString Minus = QStringLiteral("-");
} // namespace

Duration::Duration(QWidget *Parent)
    : QWidget(Parent)
    , m_time(new DurationSpinBox(this))
    , m_signBtn(new QPushButton(Plus, this))
    , m_validator(new FocusValidator(m_time))
{
    m_time->setObjectName(QStringLiteral("dtTime"));
    m_signBtn->setObjectName(QStringLiteral("SignBtn"));
    m_signBtn->setFixedWidth(m_signBtn->fontMetrics().horizontalAdvance(QStringLiteral("+-")) + 12);
    m_signBtn->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    m_signBtn->hide();
    setFocusProxy(m_time);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_signBtn);
    layout->addWidget(m_time);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_time->installEventFilter(this);
    m_signBtn->installEventFilter(this);
    connect(m_validator, &FocusValidator::Validate, this, &Duration::ValidateMe);
    connect(m_time, &QSpinBox::valueChanged, this, &Duration::Changed);
    connect(m_signBtn, &QPushButton::clicked, this, [this] {
        m_signBtn->setText(m_signBtn->text() == Plus ? Minus : Plus);
        emit Changed();
    });
}

Duration::~Duration()
{
    // The focus leaves the inner box as the input goes away: that is no edit to validate, and the
    // handlers of Validate would run against a half-destroyed input.
    delete m_validator;
}

bool Duration::Enabled() const
{
    return m_time->isEnabled();
}

void Duration::SetEnabled(bool Value)
{
    m_time->setEnabled(Value);
    m_signBtn->setEnabled(Value);
    setEnabled(Value);
}

qint32 Duration::Value() const
{
    return m_signBtn->text() == Minus ? -m_time->value() : m_time->value();
}

void Duration::SetValue(qint32 Value)
{
    const qint32 before = this->Value();
    {
        // The minutes and the sign change together: Changed is raised once, with the new signed value
        // (also when only the sign turns).
        const QSignalBlocker blocker(m_time);
        const qint64 magnitude = std::llabs(static_cast<qint64>(Value));
        m_time->setValue(static_cast<int>(qMin<qint64>(magnitude, DurationSpinBox::MaxMinutes)));
        if (m_signVisible) {
            m_signBtn->setText(Value < 0 ? Minus : Plus);
        }
    }
    if (this->Value() != before) {
        emit Changed();
    }
}

void Duration::SetSignVisible(bool Value)
{
    m_signVisible = Value;
    if (!Value) {
        m_signBtn->setText(Plus);
    }
    m_signBtn->setVisible(Value);
    adjustSize();
}

bool Duration::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::KeyPress && (Watched == m_time || Watched == m_signBtn)) {
        return InputHelpers::RaiseKeyDown(static_cast<QKeyEvent *>(Event),
                                          [this](qint16 &KeyCode, qint16 &Shift) { emit KeyDown(KeyCode, Shift); });
    }
    return QWidget::eventFilter(Watched, Event);
}
