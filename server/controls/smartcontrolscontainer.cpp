#include "controls/smartcontrolscontainer.h"

#include "core/widgets/messagebox.h"
#include "core/widgets/registryserilize.h"
#include "core/widgets/twips.h"
#include "leadingnumber.h"

#include <QFrame>
#include <QMouseEvent>

namespace
{
constexpr qint32 BarTwips = 60;
constexpr qint32 DefaultMinSize = 30;

enum ChildPosition
{
    Unknown = 0,
    Right = 1,
    Left = 2,
    Top = 3,
    Bottom = 4,
};
} // namespace

SmartControlsContainer::SmartControlsContainer(QWidget *Parent)
    : QWidget(Parent)
    , m_separator(new QFrame(this))
{
    m_separator->setObjectName(QStringLiteral("Separator"));
    m_separator->setAutoFillBackground(true);
    // Raised edges make the bar visible as a handle against the panes' background.
    m_separator->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_separator->installEventFilter(this);
    m_separator->hide();
    PaintBar(m_separatorColor);
}

void SmartControlsContainer::Init()
{
    if (Panes().size() != 2) {
        MessageBox::Critical(this, QStringLiteral("Ошибка!"), QStringLiteral("Количество контролов не равно ДВУМ!"));
        return;
    }
    if (ReadChildLayout()) {
        m_separator->show();
        setMinimumSize(Twips::ToPixels(GetMinWidth()), Twips::ToPixels(GetMinHeight()));
        Arrange();
    }
}

qint32 SmartControlsContainer::SeparatorPosition() const
{
    switch (m_orientation) {
    case SideBySide:
        return Twips::FromPixels(m_separator->x());
    case OneAboveTheOther:
        return Twips::FromPixels(m_separator->y());
    default:
        return 0;
    }
}

void SmartControlsContainer::SetSeparatorPosition(qint32 Value)
{
    if (m_orientation == NotArranged) {
        return;
    }
    // Only the first pane's minimum holds at once: the room for the second depends on a size the
    // container may not have yet.
    m_position = qMax(Value, GetChildMinSize(0));
    const qint32 pixels = Twips::ToPixels(Clamped(m_position));
    if (pixels != Twips::ToPixels(SeparatorPosition())) {
        MoveBar(pixels);
        Arrange();
    }
}

qint32 SmartControlsContainer::GetMinWidth() const
{
    return m_orientation == SideBySide ? GetChildMinSize(0) + BarTwips + GetChildMinSize(1) : 0;
}

qint32 SmartControlsContainer::GetMinHeight() const
{
    return m_orientation == OneAboveTheOther ? GetChildMinSize(0) + BarTwips + GetChildMinSize(1) : 0;
}

void SmartControlsContainer::StoreWidth() const
{
    if (!m_regKeyName.isEmpty() && m_orientation != NotArranged) {
        RegistrySerilize::SaveContainerValue(m_regKeyName, QString::number(m_position));
    }
}

void SmartControlsContainer::SetSeparatorColor(const QColor &Value)
{
    m_separatorColor = Value;
    if (!m_dragging) {
        PaintBar(Value);
    }
}

void SmartControlsContainer::SetSplitPos(qint32 Position)
{
    SetSeparatorPosition(Position);
    Arrange();
}

void SmartControlsContainer::resizeEvent(QResizeEvent *Event)
{
    QWidget::resizeEvent(Event);
    Arrange();
}

bool SmartControlsContainer::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched != m_separator || m_orientation == NotArranged) {
        return QWidget::eventFilter(Watched, Event);
    }
    switch (Event->type()) {
    case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton) {
            m_dragging = true;
            PaintBar(palette().color(QPalette::Dark));
        }
        return true;
    case QEvent::MouseMove: {
        if (!m_dragging) {
            return false;
        }
        const auto *mouse = static_cast<QMouseEvent *>(Event);
        if (mouse->buttons() & Qt::LeftButton) {
            const int offset =
                m_orientation == SideBySide ? mouse->position().toPoint().x() : mouse->position().toPoint().y();
            SetSeparatorPosition(SeparatorPosition() + Twips::FromPixels(offset));
        } else {
            EndDragging();
        }
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent *>(Event)->button() == Qt::LeftButton) {
            EndDragging();
        }
        return true;
    default:
        return QWidget::eventFilter(Watched, Event);
    }
}

QString SmartControlsContainer::GetTagValue(const QString &Tag, const QString &Key)
{
    const qsizetype found = Tag.indexOf(Key);
    if (found < 0) {
        return {};
    }
    const qsizetype start = found + Key.size();
    const qsizetype end = Tag.indexOf(QLatin1Char(';'), start);
    return end < 0 ? Tag.mid(start) : Tag.mid(start, end - start);
}

QWidgetList SmartControlsContainer::Panes() const
{
    QWidgetList panes;
    for (QObject *child : children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && widget != m_separator && !widget->isWindow()) {
            panes << widget;
        }
    }
    return panes;
}

qint32 SmartControlsContainer::GetChildPosition(int Index) const
{
    const QString position = GetTagValue(Panes().at(Index)->property("Tag").toString(), QStringLiteral("Position="));
    if (position == QLatin1String("Right")) {
        return Right;
    }
    if (position == QLatin1String("Left")) {
        return Left;
    }
    if (position == QLatin1String("Top")) {
        return Top;
    }
    return position == QLatin1String("Bottom") ? Bottom : Unknown;
}

qint32 SmartControlsContainer::GetChildMinSize(int Index) const
{
    const QWidgetList panes = Panes();
    const int child = Index == 0 ? m_firstChildIndex : 1 - m_firstChildIndex;
    if (child >= panes.size()) {
        return DefaultMinSize;
    }
    const qint32 size =
        LeadingInteger(GetTagValue(panes.at(child)->property("Tag").toString(), QStringLiteral("MinSize=")));
    return size > 0 ? size : DefaultMinSize;
}

bool SmartControlsContainer::ReadChildLayout()
{
    const qint32 first = GetChildPosition(0);
    const qint32 second = GetChildPosition(1);
    if (first == Unknown || second == Unknown) {
        MessageBox::Critical(this,
                             QStringLiteral("Ошибка"),
                             QStringLiteral("У одного из контролов не указанна позиция!"));
        return false;
    }
    const qint32 stored =
        m_regKeyName.isEmpty() ? 0 : LeadingInteger(RegistrySerilize::GetContainerValue(m_regKeyName));
    if (first + second == Right + Left) {
        m_orientation = SideBySide;
        m_firstChildIndex = first == Left ? 0 : 1;
        m_separator->setCursor(Qt::SplitHCursor);
    } else if (first + second == Top + Bottom) {
        m_orientation = OneAboveTheOther;
        m_firstChildIndex = first == Top ? 0 : 1;
        m_separator->setCursor(Qt::SplitVCursor);
    } else {
        MessageBox::Critical(this,
                             QStringLiteral("Ошибка"),
                             QStringLiteral("Некорректно (не логично) указанны позиции контролов!"));
        return false;
    }
    m_position = stored != 0 ? stored : Extent() / 2;
    MoveBar(Twips::ToPixels(m_position));
    return true;
}

qint32 SmartControlsContainer::Clamped(qint32 Position) const
{
    qint32 position = qMax(Position, GetChildMinSize(0));
    if (Extent() - (position + BarTwips) < GetChildMinSize(1)) {
        position = Extent() - GetChildMinSize(1) - BarTwips;
    }
    return position;
}

qint32 SmartControlsContainer::Extent() const
{
    return Twips::FromPixels(m_orientation == OneAboveTheOther ? height() : width());
}

void SmartControlsContainer::MoveBar(qint32 Pixels)
{
    const int thickness = Twips::ToPixels(BarTwips);
    if (m_orientation == SideBySide) {
        m_separator->setGeometry(Pixels, 0, thickness, height());
    } else {
        m_separator->setGeometry(0, Pixels, width(), thickness);
    }
}

void SmartControlsContainer::Arrange()
{
    if (m_orientation != NotArranged && Panes().size() == 2) {
        m_separator->raise();
        const bool across = m_orientation == SideBySide;
        const QSize least(Twips::ToPixels(GetMinWidth()), Twips::ToPixels(GetMinHeight()));
        if (width() < least.width() || height() < least.height()) {
            resize(size().expandedTo(least));
        }
        MoveBar(Twips::ToPixels(Clamped(m_position)));
        const QWidgetList panes = Panes();
        QWidget *first = panes.at(m_firstChildIndex);
        QWidget *second = panes.at(1 - m_firstChildIndex);
        const QRect bar = m_separator->geometry();
        if (across) {
            first->setGeometry(0, 0, bar.left(), height());
            second->setGeometry(bar.right() + 1, 0, width() - bar.right() - 1, height());
        } else {
            first->setGeometry(0, 0, width(), bar.top());
            second->setGeometry(0, bar.bottom() + 1, width(), height() - bar.bottom() - 1);
        }
    }
    emit InternalResize();
}

void SmartControlsContainer::PaintBar(const QColor &Color)
{
    QPalette colours = m_separator->palette();
    colours.setColor(QPalette::Window, Color.isValid() ? Color : palette().color(QPalette::Button));
    m_separator->setPalette(colours);
}

void SmartControlsContainer::EndDragging()
{
    m_dragging = false;
    PaintBar(m_separatorColor);
    Arrange();
}
