#include "controls/ipaddress.h"

#include "controls/inputhelpers.h"
#include "textdates.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace
{
// The leading digits of a box (blanks before them skipped), as the box shows them: 0 to 255.
QString BoxNumber(const QString &Text)
{
    const QString trimmed = Text.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && trimmed.at(digits) >= QLatin1Char('0')
           && trimmed.at(digits) <= QLatin1Char('9')) {
        ++digits;
    }
    const QString number = trimmed.left(digits);
    // More than three digits are beyond 255 whatever they are.
    const int value = number.size() > 3 ? 255 : number.toInt();
    return QString::number(qMin(value, 255));
}
} // namespace

IPAddress::IPAddress(QWidget *Parent)
    : QFrame(Parent)
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 1, 2, 1);
    layout->setSpacing(0);
    for (int k = 0; k < 4; ++k) {
        auto *box = new QLineEdit(QStringLiteral("0"), this);
        box->setObjectName(QStringLiteral("IPNum") + QString::number(k));
        box->setMaxLength(3);
        box->setFrame(false);
        box->setAlignment(Qt::AlignCenter);
        box->setFixedWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 4);
        box->installEventFilter(this);
        InputHelpers::SelectAllOnEntry(box);
        InputHelpers::SelectPartOnClick(box, [box] { box->selectAll(); });
        connect(box, &QLineEdit::textChanged, this, [this, k] { OnBoxChanged(k); });
        m_ipNum.at(static_cast<size_t>(k)) = box;
        layout->addWidget(box);
        if (k < 3) {
            auto *point = new QLabel(QStringLiteral("."), this);
            point->setObjectName(QStringLiteral("Separ") + QString::number(k));
            point->setAlignment(Qt::AlignCenter);
            m_separ.at(static_cast<size_t>(k)) = point;
            layout->addWidget(point);
        }
    }
    setFocusProxy(m_ipNum.front());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString IPAddress::Value() const
{
    QStringList parts;
    for (const QLineEdit *box : m_ipNum) {
        parts << box->text();
    }
    return parts.join(QLatin1Char('.'));
}

void IPAddress::SetValue(const QString &Text)
{
    qint32 position = 1;
    QString part;
    for (QLineEdit *box : m_ipNum) {
        if (!GetNextToken(Text, position, part, QStringLiteral("."))) {
            break;
        }
        const QSignalBlocker blocker(box);
        box->setText(BoxNumber(part));
    }
}

bool IPAddress::Enabled() const
{
    return m_ipNum.front()->isEnabled();
}

void IPAddress::SetEnabled(bool Value)
{
    for (QLineEdit *box : m_ipNum) {
        box->setEnabled(Value);
    }
}

bool IPAddress::eventFilter(QObject *Watched, QEvent *Event)
{
    const int index = BoxIndex(Watched);
    if (index < 0) {
        return QFrame::eventFilter(Watched, Event);
    }
    if (Event->type() == QEvent::FocusOut && index == m_movedOnTo) {
        m_movedOnTo = NoBox;
    }
    if (Event->type() != QEvent::KeyPress) {
        return QFrame::eventFilter(Watched, Event);
    }
    if (!IsSeparatorKey(*static_cast<QKeyEvent *>(Event))) {
        m_movedOnTo = NoBox;
        return QFrame::eventFilter(Watched, Event);
    }
    // The separator the operator types after three digits is already done by the move.
    const bool alreadyMoved = index == m_movedOnTo;
    m_movedOnTo = NoBox;
    if (!alreadyMoved && index < 3) {
        FocusNext(index);
    }
    return true;
}

int IPAddress::BoxIndex(const QObject *Watched) const
{
    for (int k = 0; k < 4; ++k) {
        if (Watched == m_ipNum.at(static_cast<size_t>(k))) {
            return k;
        }
    }
    return NoBox;
}

bool IPAddress::IsSeparatorKey(const QKeyEvent &Key)
{
    // The keypad's decimal key gives a comma under a Russian layout.
    const bool keypadDecimal = Key.modifiers().testFlag(Qt::KeypadModifier) && Key.key() == Qt::Key_Comma;
    return Key.key() == Qt::Key_Space || Key.key() == Qt::Key_Period || keypadDecimal;
}

void IPAddress::OnBoxChanged(int Index)
{
    QLineEdit *box = m_ipNum.at(static_cast<size_t>(Index));
    const QString number = BoxNumber(box->text());
    if (number != box->text()) {
        const QSignalBlocker blocker(box);
        box->setText(number);
    }
    emit Changed();
    if (number.size() == 3 && Index < 3) {
        FocusNext(Index);
        m_movedOnTo = Index + 1;
    }
}

void IPAddress::FocusNext(int Index)
{
    m_ipNum.at(static_cast<size_t>(Index + 1))->setFocus(Qt::TabFocusReason);
}
