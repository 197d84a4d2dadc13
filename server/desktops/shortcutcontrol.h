#pragma once

#include "desktops/programicons.h"

#include <QColor>
#include <QPoint>
#include <QWidget>

// One program shortcut as the desktop editor shows it: a square icon with its caption centred
// under it, which the operator selects, double-clicks, right-clicks and drags. Sizes and positions
// are in twips (15 a pixel). It knows nothing of the database: the host sets its texts, calls
// LoadIcon and moves it when it raises Dragging.
class ShortcutControl : public QWidget
{
    Q_OBJECT

public:
    static constexpr qint32 DefaultIconSize = 1000;
    static constexpr qint32 DefaultDraggingStep = 30;

    explicit ShortcutControl(QWidget *parent = nullptr);

    // Reacts to the mouse and shows the icon in colour; a disabled tile is grey and raises nothing.
    bool Enabled() const
    {
        return m_enabled;
    }

    void SetEnabled(bool Value);

    // Forbids dragging.
    bool Fixed() const
    {
        return m_fixed;
    }

    void SetFixed(bool Value)
    {
        m_fixed = Value;
    }

    // A border round the icon and the caption on the highlight colour.
    bool Selected() const
    {
        return m_selected;
    }

    void SetSelected(bool Value);

    // The side of the square icon.
    qint32 IconSize() const
    {
        return m_iconSize;
    }

    void SetIconSize(qint32 Value);

    QString ToolTip() const
    {
        return m_toolTip;
    }

    void SetToolTip(const QString &Value);

    QString Caption() const
    {
        return m_caption;
    }

    void SetCaption(const QString &Value);

    // The program and the file that supplies its icon; the host calls LoadIcon after setting them.
    QString Path() const
    {
        return m_path;
    }

    void SetPath(const QString &Value)
    {
        m_path = Value;
    }

    QString IconPath() const
    {
        return m_iconPath;
    }

    void SetIconPath(const QString &Value)
    {
        m_iconPath = Value;
    }

    // The grid of drag offsets; kept at 1 or more.
    qint32 DraggingStep() const
    {
        return m_draggingStep;
    }

    void SetDraggingStep(qint32 Value);

    // The background of the tile and of an unselected caption.
    QColor BackColor() const
    {
        return m_backColor;
    }

    void SetBackColor(const QColor &Value);

    // The icon centre's offsets in the tile: half the tile's width and half the icon, rounded down.
    qint32 CenterX() const;
    qint32 CenterY() const;

    // The tile's size.
    qint32 WidthTwips() const
    {
        return m_widthTwips;
    }

    qint32 HeightTwips() const
    {
        return m_heightTwips;
    }

    // (Re)loads the icon by the icon rule (ProgramIcons); a failure shows the fallback picture and
    // goes to the main log once in the run.
    void LoadIcon();

    // What the tile shows.
    const ProgramIcon &Icon() const
    {
        return m_icon;
    }

signals:
    // Pressed or clicked.
    void Selecting();
    void Launch();
    void RightClick();
    // The pointer moved by (dx, dy) twips, in whole steps, while dragging; the host moves the tile.
    void Dragging(qint32 dx, qint32 dy);

protected:
    void paintEvent(QPaintEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;
    void changeEvent(QEvent *Event) override;

private:
    void Arrange();
    QRect IconRect() const;
    QRect CaptionRect() const;

    bool m_enabled = false;
    bool m_fixed = true;
    bool m_selected = false;
    qint32 m_iconSize = DefaultIconSize;
    qint32 m_draggingStep = DefaultDraggingStep;
    QString m_toolTip;
    QString m_caption;
    QString m_path;
    QString m_iconPath;
    QColor m_backColor;
    qint32 m_widthTwips = 0;
    qint32 m_heightTwips = 0;
    ProgramIcon m_icon;
    bool m_dragging = false;
    // The press point in twips.
    QPoint m_pressPoint;
    // The release that ends a double click is no click.
    bool m_afterDoubleClick = false;
};
