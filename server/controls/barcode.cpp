#include "controls/barcode.h"

#include "controls/focusvalidator.h"
#include "controls/inputhelpers.h"
#include "core/widgets/twips.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

Barcode::Barcode(QWidget *Parent)
    : QWidget(Parent)
    , m_text(new QLineEdit(this))
    , m_validator(new FocusValidator(m_text))
{
    m_text->setObjectName(QStringLiteral("Text"));
    m_text->installEventFilter(this);
    InputHelpers::SelectAllOnEntry(m_text);
    connect(m_validator, &FocusValidator::Validate, this, &Barcode::Validate);
    setFocusProxy(m_text);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);
    // 285 twips, or the box's own height where its style needs more.
    setFixedHeight(qMax(Twips::ToPixels(285), m_text->sizeHint().height()));
    connect(m_text, &QLineEdit::textChanged, this, &Barcode::OnTextChanged);
}

Barcode::~Barcode()
{
    // The focus leaves the inner box as the input goes away: that is no edit to validate, and the
    // handlers of Validate would run against a half-destroyed input.
    delete m_validator;
}

bool Barcode::Enabled() const
{
    return m_text->isEnabled();
}

void Barcode::SetEnabled(bool Value)
{
    m_text->setEnabled(Value);
}

QString Barcode::Value() const
{
    return m_text->text();
}

void Barcode::SetValue(const QString &Value)
{
    m_busy = true;
    m_text->setText(Value);
    m_busy = false;
}

bool Barcode::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_text && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !m_text->text().isEmpty()) {
            emit BarcodeEntered();
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

void Barcode::OnTextChanged()
{
    if (m_busy) {
        return;
    }
    QString cleaned = m_text->text().trimmed();
    cleaned.remove(QLatin1Char('-')).remove(QLatin1Char(',')).remove(QLatin1Char('.'));
    if (cleaned != m_text->text()) {
        const int caret = m_text->cursorPosition();
        m_busy = true;
        m_text->setText(cleaned);
        m_busy = false;
        m_text->setCursorPosition(qMin<int>(caret, cleaned.size()));
    }
    emit Changed();
}
