#pragma once

#include "settings/settingspage.h"

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

namespace Ui
{
class ComputersSettingsFrame;
}

// The computers page: the club's client computers (table "Computers"), added, edited and deleted
// at once in the database. Saving the page only announces that the list changed, so that the
// computers added or edited get the client settings.
class ComputersSettingsFrame final : public SettingsPage
{
    Q_OBJECT

public:
    explicit ComputersSettingsFrame(QWidget *parent);
    ~ComputersSettingsFrame() override;

    void LoadSettings() override;
    // Fills the list and selects the computer with this record code (the first one when it is not
    // listed).
    void LoadSettings(qint32 SelectCode);
    bool ValidateAndSave() override;
    // Keeps the list's column layout.
    void StoreLayout() override;

    void AddComputer();
    void EditComputer();
    // Asks first: the computer's seances, payments, night reserves and traffic go with it.
    void DeleteComputer();

signals:
    // A save after computers were added, edited or deleted.
    void ComputersChanged();

protected:
    // Insert adds a computer, Delete deletes the selected one.
    void keyPressEvent(QKeyEvent *Event) override;

private:
    qint32 SelectedCode() const;
    // Stores what the dialog wrote into the record and lists it; a refusal is shown.
    void StoreComputer(Rollstrake::DBRecord &Record);
    // After a store or a delete: the list (with the number cache) and the page's Changed.
    void ComputersEdited(qint32 SelectCode);

    const std::unique_ptr<Ui::ComputersSettingsFrame> m_ui;
};
