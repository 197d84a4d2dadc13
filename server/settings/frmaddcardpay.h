#pragma once

#include <QDialog>

#include <memory>

namespace Ui
{
class frmAddCardPay;
}

// The top-up dialog: a card found by its barcode and the sum to put on it. It writes nothing.
class frmAddCardPay final : public QDialog
{
    Q_OBJECT

public:
    explicit frmAddCardPay(QWidget *parent = nullptr);
    ~frmAddCardPay() override;

    // Shows CardCode's card first (none for 0), modally. True when applied, with the card chosen in
    // CardCode and the sum in Sum; cancelled: false, CardCode and Sum 0.
    bool Start(qint32 &CardCode, qint32 &Sum);

private:
    // "Не выбрана карточка!", then "Не указана сумма!".
    void OnApply();

    const std::unique_ptr<Ui::frmAddCardPay> m_ui;
};
