#include "desktops/shortcutcontrol.h"

#include "core/widgets/twips.h"
#include "desktops/shortcutplacement.h"

#include <QMouseEvent>
#include <QPainter>

#include <cmath>

namespace
{
// Space beside the caption's text, in pixels.
constexpr int CaptionPadding = 2;

qint32 ToTwips(double Pixels)
{
    return static_cast<qint32>(std::nearbyint(Pixels * Twips::PerPixel));
}
} // namespace

ShortcutControl::ShortcutControl(QWidget *parent)
    : QWidget(parent)
    , m_backColor(palette().color(QPalette::Button))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    Arrange();
}

void ShortcutControl::SetEnabled(bool Value)
{
    m_enabled = Value;
    if (!Value) {
        m_dragging = false;
    }
    LoadIcon();
    update();
}

void ShortcutControl::SetSelected(bool Value)
{
    m_selected = Value;
    LoadIcon();
    update();
}

void ShortcutControl::SetIconSize(qint32 Value)
{
    m_iconSize = qMax(Value, Twips::PerPixel);
    Arrange();
}

void ShortcutControl::SetToolTip(const QString &Value)
{
    m_toolTip = Value;
    setToolTip(Value);
}

void ShortcutControl::SetCaption(const QString &Value)
{
    m_caption = Value;
    Arrange();
}

void ShortcutControl::SetDraggingStep(qint32 Value)
{
    m_draggingStep = qMax(Value, 1);
}

void ShortcutControl::SetBackColor(const QColor &Value)
{
    m_backColor = Value;
    update();
}

qint32 ShortcutControl::CenterX() const
{
    return m_widthTwips / 2;
}

qint32 ShortcutControl::CenterY() const
{
    return m_iconSize / 2;
}

void ShortcutControl::LoadIcon()
{
    m_icon = ProgramIcons::Load(m_path, m_iconPath, Twips::ToPixels(m_iconSize), !m_enabled);
    ProgramIcons::ReportFailure(m_icon);
    update();
}

void ShortcutControl::Arrange()
{
    const QFontMetrics metrics = fontMetrics();
    const qint32 captionWidth =
        m_caption.isEmpty() ? 0 : Twips::FromPixels(metrics.horizontalAdvance(m_caption) + 2 * CaptionPadding);
    m_widthTwips = qMax(m_iconSize, captionWidth);
    m_heightTwips = m_iconSize + Twips::FromPixels(metrics.height());
    resize(Twips::ToPixels(m_widthTwips), Twips::ToPixels(m_heightTwips));
    update();
}

QRect ShortcutControl::IconRect() const
{
    const int side = Twips::ToPixels(m_iconSize);
    return {(width() - side) / 2, 0, side, side};
}

QRect ShortcutControl::CaptionRect() const
{
    const int top = Twips::ToPixels(m_iconSize);
    const int textWidth = fontMetrics().horizontalAdvance(m_caption) + 2 * CaptionPadding;
    return {(width() - textWidth) / 2, top, textWidth, height() - top};
}

void ShortcutControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_backColor);
    const QRect icon = IconRect();
    painter.drawImage(icon, m_icon.Image);
    if (m_selected) {
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.drawRect(icon.adjusted(0, 0, -1, -1));
    }
    if (m_caption.isEmpty()) {
        return;
    }
    const QRect caption = CaptionRect();
    painter.fillRect(caption, m_selected ? palette().color(QPalette::Highlight) : m_backColor);
    painter.setPen(m_enabled ? palette().color(QPalette::HighlightedText)
                             : palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.drawText(caption, Qt::AlignCenter, m_caption);
}

void ShortcutControl::mousePressEvent(QMouseEvent *Event)
{
    m_afterDoubleClick = false;
    if (!m_enabled) {
        return;
    }
    if (Event->button() == Qt::LeftButton && !m_fixed) {
        m_dragging = true;
        m_pressPoint = {ToTwips(Event->position().x()), ToTwips(Event->position().y())};
    }
    emit Selecting();
}

void ShortcutControl::mouseMoveEvent(QMouseEvent *Event)
{
    const QPoint point(ToTwips(Event->position().x()), ToTwips(Event->position().y()));
    if (!m_enabled || point == m_pressPoint) {
        return;
    }
    if (!m_dragging || !(Event->buttons() & Qt::LeftButton)) {
        m_dragging = false;
        return;
    }
    const qint32 dx = ShortcutPlacement::DragOffset(point.x() - m_pressPoint.x(), m_draggingStep);
    const qint32 dy = ShortcutPlacement::DragOffset(point.y() - m_pressPoint.y(), m_draggingStep);
    emit Dragging(dx, dy);
}

void ShortcutControl::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::LeftButton) {
        m_dragging = false;
    }
    const bool click = !m_afterDoubleClick && rect().contains(Event->position().toPoint());
    m_afterDoubleClick = false;
    if (!m_enabled) {
        return;
    }
    if (Event->button() == Qt::RightButton) {
        emit RightClick();
    } else if (Event->button() == Qt::LeftButton && click) {
        emit Selecting();
    }
}

void ShortcutControl::mouseDoubleClickEvent(QMouseEvent *Event)
{
    m_afterDoubleClick = true;
    if (m_enabled && Event->button() == Qt::LeftButton) {
        emit Launch();
    }
}

void ShortcutControl::changeEvent(QEvent *Event)
{
    QWidget::changeEvent(Event);
    if (Event->type() == QEvent::FontChange) {
        Arrange();
    }
}
