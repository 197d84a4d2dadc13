#pragma once

#include <QWidget>

#include <memory>

namespace Ui
{
class BarcodeLookup;
}

// The card picker: the operator scans or types a card's barcode and sees the card's owner, comment
// and balance. It writes nothing; its hosts read the card chosen through CardCode.
class BarcodeLookup final : public QWidget
{
    Q_OBJECT

public:
    explicit BarcodeLookup(QWidget *Parent = nullptr);
    ~BarcodeLookup() override;

    // The code of the card shown, 0 when none.
    qint32 CardCode() const
    {
        return m_cardCode;
    }

    // Shows that card, or an empty control (CardCode 0) for 0 or a card that has no record.
    void SetCardCode(qint32 Code);

signals:
    // The operator pressed Enter on a barcode and the card was looked up, found or not.
    void CardChanged();
    // The barcode was looked up as the operator left it, without Enter.
    void CardLookedUp();

protected:
    // Enter in the barcode is the lookup, not the host dialog's default button.
    void keyPressEvent(QKeyEvent *Event) override;

private:
    void ShowCard(qint32 Code);
    // The card of the barcode typed, shown.
    void LookUp();

    const std::unique_ptr<Ui::BarcodeLookup> m_ui;
    qint32 m_cardCode = 0;
};
