#include "seances/frmpayment.h"

#include "ui_frmpayment.h"

#include "clock.h"
#include "controls/focusvalidator.h"
#include "core/dbvalues.h"
#include "core/payments.h"
#include "core/settingsstore.h"
#include "leadingnumber.h"
#include "seances/dialogsupport.h"

namespace
{
const QString CardMissing = QStringLiteral("Карточка не найдена!");
} // namespace

frmPayment::frmPayment(QWidget *Parent)
    : QDialog(Parent)
    , m_ui(new Ui::frmPayment)
{
    m_ui->setupUi(this);
    // The picker's own name; its member cannot carry the class's name.
    m_ui->CardLookup->setObjectName(QStringLiteral("BarcodeLookup"));
    for (Numeric *sum : {m_ui->tPriceDifference, m_ui->tSumByCard, m_ui->tSumByNal}) {
        SeanceDialogs::SetUpSumInput(sum, true);
        sum->SetEnabled(false);
    }
    connect(m_ui->CardLookup, &BarcodeLookup::CardChanged, this, [this] {
        RecalcSums();
        m_ui->Apply->setFocus();
    });
    connect(m_ui->CardLookup, &BarcodeLookup::CardLookedUp, this, &frmPayment::RecalcSums);
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmPayment::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmPayment::~frmPayment() = default;

bool frmPayment::Start(qint32 Price, qint32 &CardCode)
{
    // Card payment has no default: off until the club switches it on.
    if (LeadingNumber(GetConfigValue(QStringLiteral("CardPayEnabled"))) == 0) {
        return true;
    }
    m_price = Price;
    m_ui->tPriceDifference->SetValue(Currency(Price));
    RecalcSums();
    m_ui->CardLookup->setFocus();
    const bool accepted = exec() == QDialog::Accepted;
    CardCode = accepted ? m_ui->CardLookup->CardCode() : 0;
    return accepted;
}

bool frmPayment::TakePayment(QWidget *Parent, qint32 Price, qint32 &Card)
{
    Card = 0;
    if (Price == 0) {
        return true;
    }
    frmPayment payment(Parent);
    if (!payment.Start(Price, Card)) {
        return false;
    }
    if (Card > 0) {
        QString err;
        if (!RecordByCode(QStringLiteral("Cards"), Card, err)) {
            SeanceDialogs::ShowError(Parent, err.isEmpty() ? CardMissing : err);
            return false;
        }
    }
    return true;
}

void frmPayment::RecalcSums()
{
    const qint32 code = m_ui->CardLookup->CardCode();
    if (code == 0) {
        m_ui->tSumByCard->SetValue(Currency(0));
        m_ui->tSumByNal->SetValue(Currency(m_price));
        return;
    }
    QString err;
    const auto card = RecordByCode(QStringLiteral("Cards"), code, err);
    if (!card) {
        SeanceDialogs::ShowError(this, err.isEmpty() ? CardMissing : err);
        m_ui->CardLookup->SetCardCode(0);
        return;
    }
    const qint32 balance = GetCardBalance(card, Clock::Now(), err);
    if (!err.isEmpty()) {
        SeanceDialogs::ShowError(this, QStringLiteral("Баланс карточки не прочитан: ") + err);
        m_ui->CardLookup->SetCardCode(0);
        return;
    }
    const CardCashSplit split = SplitPayment(m_price, balance);
    m_ui->tSumByCard->SetValue(Currency(split.Card));
    m_ui->tSumByNal->SetValue(Currency(split.Cash));
}

void frmPayment::OnApply()
{
    // The barcode typed is looked up as it is left; a key that applies leaves it without that.
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    accept();
}
