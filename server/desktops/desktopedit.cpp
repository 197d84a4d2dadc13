#include "desktops/desktopedit.h"

#include "core/dbvalues.h"
#include "core/desktopdescription.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/twips.h"
#include "desktops/frmeditshortcut.h"
#include "desktops/shortcutcontrol.h"
#include "desktops/shortcutplacement.h"
#include "desktops/shortcutrecords.h"

#include <QCursor>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>

const QColor DesktopEdit::DesktopColour = QColor(0x3A, 0x6E, 0xA5);

DesktopEdit::DesktopEdit(QWidget *parent)
    : QWidget(parent)
    , m_menu(new QMenu(QStringLiteral("Редактирование ярлыков"), this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, DesktopColour);
    setPalette(colours);

    m_menu->setObjectName(QStringLiteral("mnuShortcuts"));
    m_addAction = m_menu->addAction(QStringLiteral("&Добавить"), this, &DesktopEdit::AddShortcut);
    m_addAction->setObjectName(QStringLiteral("mnuShortcutsAdd"));
    m_deleteAction = m_menu->addAction(QStringLiteral("&Удалить"), this, &DesktopEdit::DeleteMenuShortcut);
    m_deleteAction->setObjectName(QStringLiteral("mnuShortcutsDelete"));
    m_editAction = m_menu->addAction(QStringLiteral("&Редактировать"), this, &DesktopEdit::EditShortcut);
    m_editAction->setObjectName(QStringLiteral("mnuShortcutsEdit"));
}

DesktopEdit::~DesktopEdit() = default;

void DesktopEdit::ShowFailure(const QString &Text)
{
    MessageBox::Critical(this, QStringLiteral("Внимание!"), Text);
}

void DesktopEdit::MarkChanged()
{
    m_positionsDirty = true;
    m_changed = true;
    emit Modified();
}

QSize DesktopEdit::SurfaceTwips() const
{
    return {Twips::FromPixels(width()), Twips::FromPixels(height())};
}

QPoint DesktopEdit::Centre(const PlacedTile &Placed) const
{
    return Placed.Place + QPoint(Placed.Control->CenterX(), Placed.Control->CenterY());
}

void DesktopEdit::Place(PlacedTile &Placed, QPoint Wanted)
{
    Placed.Place = ShortcutPlacement::KeepInside(Wanted,
                                                 QSize(Placed.Control->CenterX(), Placed.Control->CenterY()),
                                                 SurfaceTwips());
    Placed.Control->move(Twips::ToPixels(Placed.Place.x()), Twips::ToPixels(Placed.Place.y()));
}

bool DesktopEdit::AddShortcutTile(qint32 Code, QString &ErrString)
{
    const auto record = RecordByCode(QStringLiteral("Shortcuts"), Code, ErrString);
    if (!record) {
        return false;
    }
    auto *control = new ShortcutControl(this);
    control->setObjectName(QStringLiteral("Shortcut%1").arg(Code));
    control->hide();
    control->SetIconSize(TileIconSize);
    control->SetBackColor(DesktopColour);
    control->SetCaption(TextValue(*record, QStringLiteral("Caption")));
    control->SetDraggingStep(ShortcutPlacement::GridStep);
    control->SetFixed(false);
    control->SetPath(TextValue(*record, QStringLiteral("Path")));
    control->SetIconPath(TextValue(*record, QStringLiteral("IconPath")));
    control->SetToolTip(TextValue(*record, QStringLiteral("ToolTipText")));
    control->LoadIcon();
    PlacedTile &tile = m_tiles[Code];
    tile.Control = control;
    tile.Desktop = IntValue(*record, QStringLiteral("Desktop"));
    tile.Stored = {IntValue(*record, QStringLiteral("ShortcutLeft")), IntValue(*record, QStringLiteral("ShortcutTop"))};
    Place(tile, tile.Stored);
    connect(control, &ShortcutControl::Selecting, this, [this, Code] {
        SelectShortcutTile(Code);
        setFocus();
    });
    connect(control, &ShortcutControl::Launch, this, [this, Code] {
        m_menuShortcut = Code;
        EditShortcut();
    });
    connect(control, &ShortcutControl::RightClick, this, [this, Code] { ShowTileMenu(Code); });
    connect(control, &ShortcutControl::Dragging, this, [this, Code](qint32 dx, qint32 dy) { Move(Code, dx, dy); });
    return true;
}

void DesktopEdit::LoadShortcuts()
{
    QString err;
    const auto records = AllRecords(QStringLiteral("Shortcuts"), err);
    if (!records) {
        ShowFailure(err);
        return;
    }
    for (const auto &record : *records) {
        if (!m_tiles.contains(record->Code()) && !AddShortcutTile(record->Code(), err)) {
            ShowFailure(err);
            return;
        }
    }
}

void DesktopEdit::DeleteShortcut(qint32 Code)
{
    QString err;
    if (!DeleteShortcutRecord(Code, err)) {
        ShowFailure(err);
        return;
    }
    if (m_tiles.contains(Code)) {
        delete m_tiles.take(Code).Control;
    }
    if (m_menuShortcut == Code) {
        m_menuShortcut = 0;
    }
    MarkChanged();
}

void DesktopEdit::DesktopDeleted(qint32 DesktopCode)
{
    for (auto it = m_tiles.begin(); it != m_tiles.end();) {
        if (it->Desktop == DesktopCode) {
            delete it->Control;
            it = m_tiles.erase(it);
        } else {
            ++it;
        }
    }
}

void DesktopEdit::SaveShortcuts()
{
    if (!m_positionsDirty) {
        return;
    }
    QMap<qint32, QPoint> centres;
    for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it) {
        if (it->Desktop == m_currentDesktop && it->Moved) {
            centres.insert(it.key(), Centre(*it));
        }
    }
    QString err;
    if (!StoreShortcutCentres(m_currentDesktop, centres, err)) {
        // Nothing was stored: all stays pending, so the next save tries again.
        m_changed = true;
        ShowFailure(err);
        return;
    }
    for (auto it = centres.cbegin(); it != centres.cend(); ++it) {
        m_tiles[it.key()].Stored = it.value();
        m_tiles[it.key()].Moved = false;
    }
    m_positionsDirty = false;
    m_changed = false;
}

void DesktopEdit::SwitchDesktop(qint32 Code)
{
    if (Code == m_currentDesktop) {
        return;
    }
    SaveShortcuts();
    SelectShortcutTile(0);
    QHash<qint32, bool> inherited;
    for (PlacedTile &tile : m_tiles) {
        if (!inherited.contains(tile.Desktop)) {
            inherited.insert(tile.Desktop, tile.Desktop != Code && IsDesktopDescendant(tile.Desktop, Code));
        }
        const bool own = tile.Desktop == Code;
        tile.Control->SetEnabled(own);
        tile.Control->SetFixed(!own);
        tile.Control->setVisible(own || inherited.value(tile.Desktop));
    }
    m_currentDesktop = Code;
}

bool DesktopEdit::ValidateAndSave()
{
    SaveShortcuts();
    return true;
}

void DesktopEdit::SelectShortcutTile(qint32 Code)
{
    for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it) {
        const bool selected = it.key() == Code;
        if (it->Control->Selected() != selected) {
            it->Control->SetSelected(selected);
        }
    }
}

qint32 DesktopEdit::GetSelectedShortcut() const
{
    for (auto it = m_tiles.cbegin(); it != m_tiles.cend(); ++it) {
        if (it->Desktop == m_currentDesktop && it->Control->Selected()) {
            return it.key();
        }
    }
    return 0;
}

ShortcutControl *DesktopEdit::Tile(qint32 Code) const
{
    const auto found = m_tiles.constFind(Code);
    return found == m_tiles.cend() ? nullptr : found->Control;
}

QPoint DesktopEdit::TilePlace(qint32 Code) const
{
    return m_tiles.value(Code).Place;
}

void DesktopEdit::Move(qint32 Code, qint32 dx, qint32 dy)
{
    const auto found = m_tiles.find(Code);
    if (found == m_tiles.end()) {
        return;
    }
    Place(*found, Centre(*found) + QPoint(dx, dy));
    found->Moved = true;
    MarkChanged();
}

void DesktopEdit::AddShortcut()
{
    if (m_currentDesktop == 0) {
        return;
    }
    QString err;
    const auto record = NewShortcut(m_currentDesktop, m_popupPoint, err);
    if (!record) {
        if (!err.isEmpty()) {
            ShowFailure(err);
        }
        return;
    }
    frmEditShortcut dialog(this);
    if (!dialog.Start(*record, false)) {
        return;
    }
    if (!StoreShortcut(*record, err) || !AddShortcutTile(record->Code(), err)) {
        ShowFailure(err);
        return;
    }
    PlacedTile &tile = m_tiles[record->Code()];
    tile.Control->SetEnabled(true);
    tile.Control->show();
    tile.Moved = true;
    MarkChanged();
}

void DesktopEdit::EditShortcut()
{
    const auto found = m_tiles.find(m_menuShortcut);
    if (found == m_tiles.end()) {
        return;
    }
    // A drag waiting for the save is stored with the edit; otherwise the stored centre stays, however
    // a narrow window shows the tile.
    const QPoint centre = found->Moved ? Centre(*found) : found->Stored;
    QString err;
    const auto record = ShortcutToEdit(m_menuShortcut, centre, err);
    if (!record) {
        if (!err.isEmpty()) {
            ShowFailure(err);
        }
        return;
    }
    frmEditShortcut dialog(this);
    if (!dialog.Start(*record, true)) {
        return;
    }
    if (!StoreShortcut(*record, err)) {
        ShowFailure(err);
        return;
    }
    ShortcutControl *control = found->Control;
    control->SetCaption(TextValue(*record, QStringLiteral("Caption")));
    control->SetPath(TextValue(*record, QStringLiteral("Path")));
    control->SetIconPath(TextValue(*record, QStringLiteral("IconPath")));
    control->SetToolTip(TextValue(*record, QStringLiteral("ToolTipText")));
    control->LoadIcon();
    found->Stored = centre;
    // The caption sets the tile's width: its corner follows from the centre again.
    Place(*found, centre);
    MarkChanged();
}

void DesktopEdit::DeleteMenuShortcut()
{
    if (m_menuShortcut != 0) {
        DeleteShortcut(m_menuShortcut);
    }
}

void DesktopEdit::ShowSurfaceMenu(const QPoint &Point)
{
    if (m_currentDesktop == 0) {
        return;
    }
    m_popupPoint = {Twips::FromPixels(Point.x()), Twips::FromPixels(Point.y())};
    m_addAction->setEnabled(true);
    m_deleteAction->setEnabled(false);
    m_editAction->setEnabled(false);
    m_menu->popup(mapToGlobal(Point));
}

void DesktopEdit::ShowTileMenu(qint32 Code)
{
    m_menuShortcut = Code;
    m_addAction->setEnabled(false);
    m_deleteAction->setEnabled(true);
    m_editAction->setEnabled(true);
    m_menu->popup(QCursor::pos());
}

void DesktopEdit::mouseReleaseEvent(QMouseEvent *Event)
{
    if (Event->button() == Qt::RightButton) {
        ShowSurfaceMenu(Event->position().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(Event);
}

void DesktopEdit::keyPressEvent(QKeyEvent *Event)
{
    m_menuShortcut = GetSelectedShortcut();
    if (m_menuShortcut != 0 && Event->key() == Qt::Key_Delete) {
        DeleteShortcut(m_menuShortcut);
        return;
    }
    if (m_menuShortcut != 0 && (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter)) {
        EditShortcut();
        return;
    }
    QWidget::keyPressEvent(Event);
}

void DesktopEdit::resizeEvent(QResizeEvent *Event)
{
    QWidget::resizeEvent(Event);
    // Tiles nobody moved are placed again from where they are stored, so a window that grows shows
    // them where the clients do.
    for (PlacedTile &tile : m_tiles) {
        Place(tile, tile.Moved ? Centre(tile) : tile.Stored);
    }
}
