#pragma once

#include <QColor>
#include <QWidget>

class QFrame;

// Holds exactly two child controls side by side or one above the other, with a bar between them
// that the user drags. Each child says in its "Tag" property which side it takes and how small it
// may become ("Position=Left;MinSize=1500;"; Left, Right, Top or Bottom; sizes in twips). The
// bar's position is kept in the layout store under RegKeyName. Positions and sizes are in twips.
class SmartControlsContainer final : public QWidget
{
    Q_OBJECT

public:
    // 0 until Init succeeds, 1 side by side, 2 one above the other.
    enum Arrangement
    {
        NotArranged = 0,
        SideBySide = 1,
        OneAboveTheOther = 2,
    };

    explicit SmartControlsContainer(QWidget *Parent = nullptr);

    // Checks the two children, starts the bar where it was stored (or in the middle) and lays the
    // children out. Wrong children are reported in a message box and leave the container unarranged.
    void Init();

    // The bar's left (side by side) or top edge. Setting it keeps both panes at least their
    // minimum size, the second pane's minimum winning. Nothing before Init.
    qint32 SeparatorPosition() const;
    void SetSeparatorPosition(qint32 Value);

    // The least width (side by side) or height that the two panes and the bar need; 0 across and
    // before Init.
    qint32 GetMinWidth() const;
    qint32 GetMinHeight() const;

    QString RegKeyName() const
    {
        return m_regKeyName;
    }

    void SetRegKeyName(const QString &Value)
    {
        m_regKeyName = Value;
    }

    // Stores the bar's position under RegKeyName; nothing when RegKeyName is empty or before Init has
    // placed the bar (its 0 would replace what an earlier run stored).
    void StoreWidth() const;

    // The bar's colour while it is not dragged; invalid for the style's button colour.
    QColor SeparatorColor() const
    {
        return m_separatorColor;
    }

    void SetSeparatorColor(const QColor &Value);

    Qt::CursorShape MousePointer() const
    {
        return cursor().shape();
    }

    void SetMousePointer(Qt::CursorShape Value)
    {
        setCursor(Value);
    }

    // Sets the bar's position and lays the children out.
    void SetSplitPos(qint32 Position);

    Arrangement Orientation() const
    {
        return m_orientation;
    }

signals:
    // At the end of every layout, also before Init.
    void InternalResize();

protected:
    void resizeEvent(QResizeEvent *Event) override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    static QString GetTagValue(const QString &Tag, const QString &Key);
    QWidgetList Panes() const;
    qint32 GetChildPosition(int Index) const;
    qint32 GetChildMinSize(int Index) const;
    bool ReadChildLayout();
    qint32 Clamped(qint32 Position) const;
    qint32 Extent() const;
    void MoveBar(qint32 Pixels);
    void Arrange();
    void PaintBar(const QColor &Color);
    void EndDragging();

    QFrame *m_separator;
    QString m_regKeyName;
    QColor m_separatorColor;
    // Where the bar stands when there is room (twips): a container laid out smaller for a while, as
    // before its first show, keeps the stored or dragged position for when it grows again.
    qint32 m_position = 0;
    Arrangement m_orientation = NotArranged;
    int m_firstChildIndex = 0;
    bool m_dragging = false;
};
