#pragma once

#include "settings/configbinding.h"
#include "settings/settingspage.h"

#include <QStringList>

#include <memory>

class QTreeWidgetItem;

namespace Ui
{
class ClientsSettingsFrame;
}

// The client settings page: what every client computer receives in the client settings message —
// the password and utility of its administration mode, the notice a locked client shows, and the
// programs it starts at boot. A save stamps the moment of the change, so that the main window
// sends the settings again to every client whose copy is older.
class ClientsSettingsFrame final : public SettingsPage
{
    Q_OBJECT

public:
    explicit ClientsSettingsFrame(QWidget *parent);
    ~ClientsSettingsFrame() override;

    // Filling the notice counts as an edit, as it always did; Changed is false when the load ends.
    void LoadSettings() override;
    // Refuses two different passwords; rewrites the autorun list, then stores the settings without
    // any "|" (the field separator of the client messages).
    bool ValidateAndSave() override;
    // Keeps the position of the separator between the autorun list and the notice.
    void StoreLayout() override;

    void AddProgram();
    void RemoveProgram();

signals:
    // A save wrote the client settings.
    void ClientSettingsChanged();

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void ApplyInfoCheck();
    QTreeWidgetItem *AddProgramItem(const QString &Text);
    // A new text that would store nothing is refused: the item keeps its old one.
    void ProgramRenamed(QTreeWidgetItem *Item);
    QStringList Programs() const;

    const std::unique_ptr<Ui::ClientsSettingsFrame> m_ui;
    ConfigBinding m_settings;
    bool m_loading = false;
};
