#pragma once

#include <QDialog>

#include <memory>

namespace Rollstrake
{
class DBRecord;
}

namespace Ui
{
class frmEditCard;
}

// The dialog in which a card's barcode and owner are entered, and the start sum of a new card.
// It writes nothing to the database.
class frmEditCard final : public QDialog
{
    Q_OBJECT

public:
    explicit frmEditCard(QWidget *parent = nullptr);
    ~frmEditCard() override;

    // Shows the card modally: an existing one (EditMode) with its balance now, which cannot be
    // changed here, or a new one with the setting "DefaultCardStartSum" as its start sum. True when
    // the operator accepted: the input is then in the record's fields, not stored, and a new card's
    // start sum in StartSum (0 for an existing card).
    bool Start(const std::shared_ptr<Rollstrake::DBRecord> &Record, bool EditMode, qint32 &StartSum);

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    // "Не указан штрихкод!", "Не указан псевдоним владельца!" (blanks are a nickname) and, for a new
    // card, "Не указана стартовая сумма!", in that order.
    void OnOK();

    const std::unique_ptr<Ui::frmEditCard> m_ui;
};
