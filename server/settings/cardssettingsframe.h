#pragma once

#include "settings/configbinding.h"
#include "settings/settingspage.h"

#include <memory>

class QKeyEvent;

namespace Rollstrake
{
class DBRecord;
}

namespace Ui
{
class CardsSettingsFrame;
}

// The cards page: the club's prepaid cards with their balances now, issued, edited, topped up and
// deleted at once in the database, and the two card settings, stored as they change: whether cards
// pay at all and the start sum proposed for a new card.
class CardsSettingsFrame final : public SettingsPage
{
    Q_OBJECT

public:
    explicit CardsSettingsFrame(QWidget *parent);
    ~CardsSettingsFrame() override;

    void LoadSettings() override;
    // Fills the page and selects the card with this code (the first card when it is not listed).
    // Changed is left as it is.
    void LoadSettings(qint32 SelectCode);
    // Stores the two settings again when the page was edited; Changed is false afterwards.
    bool ValidateAndSave() override;
    // Keeps the list's column layout.
    void StoreLayout() override;

    // A new card from the card dialog, with its start sum put on it.
    void AddCard();
    void EditCard();
    // Asks first when a card is selected: its top-ups and the seance payments made with it go with it.
    void DeleteCard();
    // Puts a sum on a card chosen by its barcode, the selected card proposed.
    void AddBalance();

protected:
    // Insert adds a card, Delete deletes the selected one.
    void keyPressEvent(QKeyEvent *Event) override;

private:
    qint32 SelectedCode() const;
    // The card dialog, then the record stored; false when cancelled or refused (after its box).
    bool StoreCard(const std::shared_ptr<Rollstrake::DBRecord> &Card, bool EditMode, qint32 &StartSum);
    // After a card was written: the list again with the card selected, and the page's Changed.
    void CardsEdited(qint32 SelectCode);
    // A setting changed by the operator: stored at once, and the page's Changed.
    void SettingEdited(const QString &Key);

    const std::unique_ptr<Ui::CardsSettingsFrame> m_ui;
    ConfigBinding m_settings;
    bool m_loading = false;
};
