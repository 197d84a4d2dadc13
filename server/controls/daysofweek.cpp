#include "controls/daysofweek.h"

#include "core/widgets/twips.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>

namespace
{
const std::array<QString, 7> Captions{
    QStringLiteral("пн"),
    QStringLiteral("вт"),
    QStringLiteral("ср"),
    QStringLiteral("чт"),
    QStringLiteral("пт"),
    QStringLiteral("сб"),
    QStringLiteral("вс"),
};
} // namespace

DaysOfWeek::DaysOfWeek(QWidget *Parent)
    : QWidget(Parent)
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(5);
    layout->setVerticalSpacing(0);
    for (int i = 1; i <= 7; ++i) {
        auto *label = new QLabel(Captions.at(static_cast<size_t>(i - 1)), this);
        label->setObjectName(QStringLiteral("DayLabel") + QString::number(i));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        label->installEventFilter(this);
        auto *check = new QCheckBox(this);
        check->setObjectName(QStringLiteral("DayCheck") + QString::number(i));
        connect(check, &QCheckBox::toggled, this, &DaysOfWeek::Changed);
        m_dayLabel.at(static_cast<size_t>(i - 1)) = label;
        m_dayCheck.at(static_cast<size_t>(i - 1)) = check;
        layout->addWidget(label, 0, i - 1, Qt::AlignHCenter);
        layout->addWidget(check, 1, i - 1, Qt::AlignHCenter);
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

quint8 DaysOfWeek::Value() const
{
    quint8 mask = 0;
    for (int i = 1; i <= 7; ++i) {
        if (DayCheck(i)->checkState() == Qt::Checked) {
            mask |= static_cast<quint8>(1U << i);
        }
    }
    return mask;
}

void DaysOfWeek::SetValue(quint8 Value)
{
    for (int i = 1; i <= 7; ++i) {
        DayCheck(i)->setChecked((Value & (1U << i)) != 0);
    }
}

bool DaysOfWeek::Enabled() const
{
    return DayCheck(1)->isEnabled();
}

void DaysOfWeek::SetEnabled(bool Value)
{
    for (int i = 1; i <= 7; ++i) {
        DayCheck(i)->setEnabled(Value);
        DayLabel(i)->setEnabled(Value);
    }
}

QSize DaysOfWeek::sizeHint() const
{
    // 1640 x 450 twips, or what the style's check boxes and Russian captions need.
    return QSize(Twips::ToPixels(1640), Twips::ToPixels(450)).expandedTo(QWidget::sizeHint());
}

bool DaysOfWeek::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton) {
        for (int i = 1; i <= 7; ++i) {
            if (Watched == DayLabel(i) && DayLabel(i)->isEnabled()) {
                DayCheck(i)->toggle();
                return true;
            }
        }
    }
    return QWidget::eventFilter(Watched, Event);
}
