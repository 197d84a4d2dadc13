#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class frmPayment;
}

// The payment dialog: how a price (a difference, a refund when below 0) is paid, from a card found
// by its barcode or in cash. It shows the split that PaySeance will record and records nothing.
class frmPayment final : public QDialog
{
    Q_OBJECT

public:
    explicit frmPayment(QWidget *Parent = nullptr);
    ~frmPayment() override;

    // Shows Price and lets the operator choose a card, modally; true when applied, with CardCode the
    // card chosen (0 for cash). Cancelled: false and CardCode 0. While the setting "CardPayEnabled"
    // reads 0 (or no number) nothing is shown: true at once, CardCode left as the caller set it.
    bool Start(qint32 Price, qint32 &CardCode);

    // The payment step of the seance dialogs. A Price of 0 is cash without asking; otherwise the
    // dialog asks. False when the operator cancelled, or after "Карточка не найдена!" when the card
    // chosen has no record (any more). Card is 0 for cash.
    static bool TakePayment(QWidget *Parent, qint32 Price, qint32 &Card);

private:
    // The card and cash parts of the price for the card chosen.
    void RecalcSums();
    void OnApply();

    const std::unique_ptr<Ui::frmPayment> m_ui;
    qint32 m_price = 0;
};
