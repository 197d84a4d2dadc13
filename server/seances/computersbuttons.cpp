#include "seances/computersbuttons.h"

#include "core/compbuttons.h"
#include "core/widgets/twips.h"
#include "seances/gridlayout.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

namespace
{
const char IndexProperty[] = "qmButtonIndex";
} // namespace

ComputersButtons::ComputersButtons(QWidget *parent)
    : QWidget(parent)
{
}

ComputersButtons::~ComputersButtons() = default;

std::shared_ptr<CompButtons> ComputersButtons::Buttons() const
{
    return m_buttons ? m_buttons : std::make_shared<CompButtons>();
}

void ComputersButtons::SetButtons(std::shared_ptr<CompButtons> Buttons)
{
    qDeleteAll(m_labels);
    m_labels.clear();
    m_buttons = std::move(Buttons);
    if (!m_buttons) {
        return;
    }
    for (qsizetype i = 1; i <= m_buttons->Count(); ++i) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("CompBtn%1").arg(i));
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
        label->setLineWidth(1);
        label->resize(Twips::ToNearestPixels(GridLayout::ButtonWidth),
                      Twips::ToNearestPixels(GridLayout::ButtonHeight));
        label->setProperty(IndexProperty, i);
        label->installEventFilter(this);
        m_labels.append(label);
        RefreshButton(i);
        label->show();
    }
    ArrangeButtons();
}

bool ComputersButtons::ButtonSelected(qsizetype Index) const
{
    const auto entry = Buttons()->Item(Index);
    return entry && entry->Selected();
}

void ComputersButtons::SetButtonSelected(qsizetype Index, bool Selected)
{
    if (!m_buttons) {
        return;
    }
    for (qsizetype j = 1; j <= m_buttons->Count(); ++j) {
        if (j == Index) {
            m_buttons->Item(j)->SetSelected(Selected);
            RefreshButton(j);
        } else if (Selected && m_singleSelect) {
            m_buttons->Item(j)->SetSelected(false);
            RefreshButton(j);
        }
    }
}

bool ComputersButtons::ButtonEnable(qsizetype Index) const
{
    const auto entry = Buttons()->Item(Index);
    return entry && entry->Enabled();
}

void ComputersButtons::SetButtonEnable(qsizetype Index, bool Enabled)
{
    if (const auto entry = Buttons()->Item(Index)) {
        entry->SetEnabled(Enabled);
        RefreshButton(Index);
    }
}

qint32 ComputersButtons::ButtonComputerNum(qsizetype Index) const
{
    const auto entry = Buttons()->Item(Index);
    return entry ? entry->ComputerNum() : 0;
}

qsizetype ComputersButtons::GetSelectedCount() const
{
    // Held here: a range-for keeps the collection, not the pointer to it, alive.
    const std::shared_ptr<CompButtons> buttons = Buttons();
    qsizetype count = 0;
    for (const auto &entry : *buttons) {
        count += entry->Selected() ? 1 : 0;
    }
    return count;
}

qint32 ComputersButtons::Value() const
{
    const std::shared_ptr<CompButtons> buttons = Buttons();
    for (const auto &entry : *buttons) {
        // An entry marked disabled since its last redraw is no choice, though still flagged selected.
        if (entry->Selected() && entry->Enabled()) {
            return entry->ComputerNum();
        }
    }
    return 0;
}

void ComputersButtons::SetValue(qint32 Position)
{
    SetButtonSelected(Position, true);
}

void ComputersButtons::Refresh()
{
    for (qsizetype i = 1; i <= m_labels.size(); ++i) {
        RefreshButton(i);
    }
}

QLabel *ComputersButtons::Button(qsizetype Index) const
{
    return Index >= 1 && Index <= m_labels.size() ? m_labels[Index - 1] : nullptr;
}

void ComputersButtons::RefreshButton(qsizetype Index)
{
    QLabel *label = Button(Index);
    const auto entry = m_buttons ? m_buttons->Item(Index) : nullptr;
    if (!label || !entry) {
        return;
    }
    if (!entry->Enabled()) {
        entry->SetSelected(false);
    }
    label->setText(QString::number(entry->ComputerNum()));
    QPalette colours = palette();
    colours.setColor(QPalette::Window,
                     entry->Selected() ? QColor(0xFF, 0x80, 0x80) : palette().color(QPalette::Button));
    colours.setColor(QPalette::WindowText,
                     entry->Enabled() ? palette().color(QPalette::ButtonText)
                                      : palette().color(QPalette::Disabled, QPalette::WindowText));
    label->setPalette(colours);
    label->setFrameStyle(entry->Selected() ? QFrame::Panel | QFrame::Sunken : QFrame::Box | QFrame::Plain);
}

bool ComputersButtons::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        const qsizetype index = watched->property(IndexProperty).toLongLong();
        if (index > 0 && ButtonEnable(index)) {
            SetButtonSelected(index, !ButtonSelected(index));
            emit ButtonClick();
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ComputersButtons::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ArrangeButtons();
}

void ComputersButtons::ArrangeButtons()
{
    const QList<QPoint> places =
        GridLayout::Arrange(Twips::FromPixels(width()), Twips::FromPixels(height()), m_labels.size());
    for (qsizetype i = 0; i < places.size(); ++i) {
        m_labels[i]->move(Twips::ToNearestPixels(places[i].x()), Twips::ToNearestPixels(places[i].y()));
    }
}
