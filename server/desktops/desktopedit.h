#pragma once

#include <QColor>
#include <QMap>
#include <QPoint>
#include <QWidget>

class QAction;
class QMenu;
class ShortcutControl;

// The right half of the desktops view: a surface on which every shortcut of every desktop is a
// tile, hidden except the current desktop's own tiles (enabled, dragged on a 240-twip grid) and
// its ancestors' (shown grey, fixed), as a client computer shows them. Adding, editing and deleting
// a shortcut are stored at once; positions wait for SaveShortcuts (the view's save or a switch to
// another desktop). A stored position is the icon centre in twips. Tiles are kept inside the
// surface only as shown: a save stores the tiles the operator added or moved, never one that was
// only clamped to a small window or edited in place.
class DesktopEdit : public QWidget
{
    Q_OBJECT

public:
    static constexpr qint32 TileIconSize = 600;
    // The desktop's colour of the client computers.
    static const QColor DesktopColour;

    explicit DesktopEdit(QWidget *parent = nullptr);
    ~DesktopEdit() override;

    // Anything changed since the last SaveShortcuts.
    bool Changed() const
    {
        return m_changed;
    }

    void SetChanged(bool Value)
    {
        m_changed = Value;
    }

    // Removes the shortcut's record and its tile.
    void DeleteShortcut(qint32 Code);
    // The desktop went with its shortcuts (the tree deleted them): their tiles go too.
    void DesktopDeleted(qint32 DesktopCode);
    // A hidden tile for every shortcut of every desktop; run once.
    void LoadShortcuts();
    // Stores the positions of the current desktop's tiles that were added or moved, and
    // stamps the desktop's LastChangeDate, all or nothing; nothing when nothing changed. A current desktop without
    // record leaves nothing to store, and nothing stays changed.
    void SaveShortcuts();
    // Saves, then shows the desktop's tiles and its ancestors'; 0 (the root) hides every tile.
    void SwitchDesktop(qint32 Code);
    // SaveShortcuts; always true.
    bool ValidateAndSave();

    qint32 CurrentDesktop() const
    {
        return m_currentDesktop;
    }

    // The operator's actions: add at the last right-click point, edit or delete the shortcut the
    // menu, a key or a double click acts on.
    void AddShortcut();
    void EditShortcut();
    void DeleteMenuShortcut();
    // Selects the shortcut's tile only (0: none).
    void SelectShortcutTile(qint32 Code);
    // The selected tile of the current desktop; 0 when none.
    qint32 GetSelectedShortcut() const;

    // The tile of a shortcut; null when there is none.
    ShortcutControl *Tile(qint32 Code) const;
    // The tile's top-left corner in twips.
    QPoint TilePlace(qint32 Code) const;

    QMenu *Menu() const
    {
        return m_menu;
    }

    // The menu of the empty surface at a point of it (pixels): only with a desktop current.
    void ShowSurfaceMenu(const QPoint &Point);
    // The menu of a tile.
    void ShowTileMenu(qint32 Code);

signals:
    // The event Changed: a shortcut was added, edited, moved or deleted.
    void Modified();

protected:
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;

private:
    struct PlacedTile
    {
        ShortcutControl *Control = nullptr;
        qint32 Desktop = 0;
        // The icon centre as stored.
        QPoint Stored;
        // The top-left corner as shown.
        QPoint Place;
        // Added or dragged since the last save: its shown place is to be stored.
        bool Moved = false;
    };

    bool AddShortcutTile(qint32 Code, QString &ErrString);
    void Place(PlacedTile &Placed, QPoint Wanted);
    QPoint Centre(const PlacedTile &Placed) const;
    QSize SurfaceTwips() const;
    void Move(qint32 Code, qint32 dx, qint32 dy);
    void MarkChanged();
    void ShowFailure(const QString &Text);

    QMap<qint32, PlacedTile> m_tiles;
    QMenu *m_menu;
    QAction *m_addAction;
    QAction *m_deleteAction;
    QAction *m_editAction;
    qint32 m_currentDesktop = 0;
    qint32 m_menuShortcut = 0;
    // Twips.
    QPoint m_popupPoint;
    bool m_positionsDirty = false;
    bool m_changed = false;
};
