#pragma once

#include "core/widgets/modeview.h"

#include <QList>
#include <QWidget>

class QScrollArea;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;
class SettingsPage;
class SmartControlsContainer;

// The settings view of the main window: a tree of settings pages beside the page of the selected
// node, behind the settings password. It passes the page protocol on to every page, in one fixed
// order, and raises the pages' events as its own for the window to act on.
class SettingsFrame final : public QWidget, public ModeView
{
    Q_OBJECT

public:
    explicit SettingsFrame(QWidget *parent = nullptr);
    ~SettingsFrame() override;

    // Some page holds unsaved edits.
    bool Changed() override;
    // Saves what can be saved, asks for the settings password and, when it is right, reloads every
    // page; a wrong one leaves the view empty. Does nothing while it runs already.
    void LoadSettings() override;
    // Saves every edited page in order; the first page that refuses is shown and stops the save
    // (the pages before it stay saved). The separator's position is kept after a full save.
    bool ValidateAndSave() override;
    QWidget *Widget() override;
    // Keeps the separator's position and every page's layout.
    void StoreLayout() override;

    // Selects the tree node of Key and shows its page; a key without a node changes nothing.
    void ShowSettingsPage(const QString &Key);
    // The pages in the order in which every call visits them.
    const QList<SettingsPage *> &Pages() const;

signals:
    // The list of computers or the client settings were saved.
    void UpdateComputersSettings();
    // The server intervals were saved.
    void UpdateIntervals();
    // The internet settings were saved.
    void UpdateInternet();
    // The protocol's event Changed: a page was edited.
    void Edited();
    // Raised each time the view loads: the handler leaves in Digest the MD5 digest of the password
    // that the operator typed, or the empty text when the prompt was closed.
    void QueryConfigPassword(QString &Digest);

private:
    void AddPage(SettingsPage *Page);
    SettingsPage *PageOf(const QString &Key) const;
    QTreeWidgetItem *NodeOf(const QString &Key) const;
    void FillTree();
    bool CheckConfigPassword();

    SmartControlsContainer *m_container;
    QTreeWidget *m_tree;
    // The pages scroll where the view is smaller than a page needs, rather than squeeze its labels.
    QScrollArea *m_rightScroll;
    QStackedWidget *m_rightFrame;
    QList<SettingsPage *> m_pages;
    bool m_loading = false;
};
