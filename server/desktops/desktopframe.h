#pragma once

#include "core/widgets/modeview.h"

#include <QWidget>

class DesktopEdit;
class DesktopsTree;
class SmartControlsContainer;

// The main window's desktops view: the desktop tree on the left and the shortcut editor on the
// right of a two-pane container whose separator is kept as "DesktopSeparator". A desktop chosen in
// the tree becomes the editor's current one; a deleted desktop's tiles leave the editor. After a
// save it raises DesktopsChanged, so that running seances are sent again with their desktops.
class DesktopFrame : public QWidget, public ModeView
{
    Q_OBJECT

public:
    explicit DesktopFrame(QWidget *parent = nullptr);

    // The tree or the editor holds a change that the next save reports.
    bool Changed() override;
    // Builds the tree and the tiles on the first call only.
    void LoadSettings() override;
    // Saves both halves (always both), keeps the separator's position and raises DesktopsChanged;
    // true, since everything but the tiles' positions is stored as it is made.
    bool ValidateAndSave() override;
    QWidget *Widget() override;
    // Keeps the separator's position once the view has placed it.
    void StoreLayout() override;

    DesktopsTree *Tree() const
    {
        return m_tree;
    }

    DesktopEdit *Editor() const
    {
        return m_editor;
    }

signals:
    // The event Changed: relayed from the tree and the editor.
    void Modified();
    void DesktopsChanged();

protected:
    void resizeEvent(QResizeEvent *Event) override;

private:
    SmartControlsContainer *m_container;
    DesktopsTree *m_tree;
    DesktopEdit *m_editor;
    bool m_loaded = false;
    // The separator's first place is set once the view has its size.
    bool m_separatorPlaced = false;
};
