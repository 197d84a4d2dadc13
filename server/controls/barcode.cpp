#include "controls/barcode.h"

#include "controls/focusvalidator.h"
#include "controls/inputhelpers.h"
#include "core/widgets/twips.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>

Barcode::Barcode(QWidget *Parent)
    : QWidget(Parent)
    , m_Text(new QLineEdit(this))
    , m_Validator(new FocusValidator(m_Text))
{
    m_Text->setObjectName(QStringLiteral("Text"));
    m_Text->installEventFilter(this);
    InputHelpers::SelectAllOnEntry(m_Text);
    connect(m_Validator, &FocusValidator::Validate, this, &Barcode::Validate);
    setFocusProxy(m_Text);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_Text);
    // 285 twips, or the box's own height where its style needs more.
    setFixedHeight(qMax(Twips::ToPixels(285), m_Text->sizeHint().height()));
    connect(m_Text, &QLineEdit::textChanged, this, &Barcode::OnTextChanged);
}

Barcode::~Barcode()
{
    // The focus leaves the inner box as the input goes away: that is no edit to validate, and the
    // handlers of Validate would run against a half-destroyed input.
    delete m_Validator;
}

bool Barcode::Enabled() const
{
    return m_Text->isEnabled();
}

void Barcode::SetEnabled(bool Value)
{
    m_Text->setEnabled(Value);
}

QString Barcode::Value() const
{
    return m_Text->text();
}

void Barcode::SetValue(const QString &Value)
{
    m_Busy = true;
    m_Text->setText(Value);
    m_Busy = false;
}

bool Barcode::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_Text && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && !m_Text->text().isEmpty()) {
            emit BarcodeEntered();
        }
    }
    return QWidget::eventFilter(Watched, Event);
}

void Barcode::OnTextChanged()
{
    if (m_Busy) {
        return;
    }
    QString cleaned = m_Text->text().trimmed();
    cleaned.remove(QLatin1Char('-')).remove(QLatin1Char(',')).remove(QLatin1Char('.'));
    if (cleaned != m_Text->text()) {
        const int caret = m_Text->cursorPosition();
        m_Busy = true;
        m_Text->setText(cleaned);
        m_Busy = false;
        m_Text->setCursorPosition(qMin<int>(caret, cleaned.size()));
    }
    emit Changed();
}
