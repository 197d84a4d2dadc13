#include "settings/frmaddcardpay.h"

#include "ui_frmaddcardpay.h"

#include "controls/focusvalidator.h"
#include "core/errorbox.h"
#include "seances/dialogsupport.h"
#include "settings/wholenumber.h"

namespace
{
constexpr qint32 SumDigits = 6;
constexpr qint32 MaxSum = 999999;
} // namespace

frmAddCardPay::frmAddCardPay(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::frmAddCardPay>())
{
    m_ui->setupUi(this);
    // The picker's own name; its member cannot carry the class's name.
    m_ui->CardLookup->setObjectName(QStringLiteral("BarcodeLookup"));
    SetUpWholeNumber(m_ui->tSum, SumDigits, 0, MaxSum, QStringLiteral("###,##0"));
    m_ui->tSum->SetSlider(false);
    connect(m_ui->CardLookup, &BarcodeLookup::CardChanged, this, [this] { m_ui->tSum->setFocus(); });
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmAddCardPay::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmAddCardPay::~frmAddCardPay() = default;

bool frmAddCardPay::Start(qint32 &CardCode, qint32 &Sum)
{
    m_ui->CardLookup->SetCardCode(CardCode);
    if (m_ui->CardLookup->CardCode() == 0) {
        m_ui->CardLookup->setFocus();
    } else {
        m_ui->tSum->setFocus();
    }
    const bool accepted = exec() == QDialog::Accepted;
    CardCode = accepted ? m_ui->CardLookup->CardCode() : 0;
    Sum = accepted ? SeanceDialogs::WholeValue(m_ui->tSum) : 0;
    return accepted;
}

void frmAddCardPay::OnApply()
{
    // The barcode typed is looked up as it is left; a key that applies leaves it without that.
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    if (m_ui->CardLookup->CardCode() == 0) {
        ShowError(QStringLiteral("Не выбрана карточка!"));
        return;
    }
    if (SeanceDialogs::WholeValue(m_ui->tSum) == 0) {
        ShowError(QStringLiteral("Не указана сумма!"));
        return;
    }
    accept();
}
