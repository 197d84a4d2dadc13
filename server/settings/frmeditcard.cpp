#include "settings/frmeditcard.h"

#include "ui_frmeditcard.h"

#include "clock.h"
#include "controls/focusvalidator.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "core/payments.h"
#include "core/settingsstore.h"
#include "datevalue.h"
#include "seances/dialogsupport.h"
#include "settings/wholenumber.h"

#include <QKeyEvent>

namespace
{
constexpr qint32 SumDigits = 6;
constexpr qint32 MaxSum = 999999;
constexpr qint32 CommentLength = 255;
// The date input's value as a date-time at 00:00:00.
constexpr qint32 DateTimeValue = 1;

const QString BarcodeField = QStringLiteral("Barcode");
const QString NicknameField = QStringLiteral("OwnerNickname");
const QString LastNameField = QStringLiteral("OwnerLastName");
const QString MiddleNameField = QStringLiteral("OwnerMiddleName");
const QString FirstNameField = QStringLiteral("OwnerFirstName");
const QString BirthdayField = QStringLiteral("OwnerBirthday");
const QString CommentField = QStringLiteral("Comment");
} // namespace

frmEditCard::frmEditCard(QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::frmEditCard>())
{
    m_ui->setupUi(this);
    SetUpWholeNumber(m_ui->tSum, SumDigits, 0, MaxSum, QStringLiteral("###,##0"));
    m_ui->tBirthday->SetValueType(DateTimeValue);
    m_ui->tComment->SetMaxLength(CommentLength);
    // Enter in the barcode is the scanner's: it moves on to the owner instead of accepting.
    m_ui->tBarcode->installEventFilter(this);
    connect(m_ui->tBarcode, &Barcode::BarcodeEntered, this, [this] { m_ui->tNickname->setFocus(); });
    connect(m_ui->OK, &QPushButton::clicked, this, &frmEditCard::OnOK);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmEditCard::~frmEditCard() = default;

bool frmEditCard::Start(const std::shared_ptr<Rollstrake::DBRecord> &Record, bool EditMode, qint32 &StartSum)
{
    StartSum = 0;
    setWindowTitle(EditMode ? QStringLiteral("Редактирование карточки") : QStringLiteral("Добавление карточки"));
    m_ui->tBarcode->SetValue(TextValue(*Record, BarcodeField));
    m_ui->tNickname->SetValue(TextValue(*Record, NicknameField));
    m_ui->tLastName->SetValue(TextValue(*Record, LastNameField));
    m_ui->tMiddleName->SetValue(TextValue(*Record, MiddleNameField));
    m_ui->tFirstName->SetValue(TextValue(*Record, FirstNameField));
    const QDateTime birthday = DateValueOf(*Record, BirthdayField);
    m_ui->tBirthday->SetValue(DateValue::IsZero(birthday) ? QDateTime() : birthday);
    m_ui->tComment->SetValue(TextValue(*Record, CommentField));
    if (EditMode) {
        // A card in debt shows its debt.
        m_ui->tSum->SetSign(true);
        m_ui->tSum->SetMinValue(-MaxSum);
        QString err;
        const qint32 balance = GetCardBalance(Record, Clock::Now(), err);
        LogDbError(QStringLiteral("Баланс карточки в диалоге карточки"), err);
        m_ui->tSum->SetValue(Currency(balance));
    } else {
        m_ui->tSum->SetValue(GetConfigValue(QStringLiteral("DefaultCardStartSum")));
    }
    m_ui->tSum->SetEnabled(!EditMode);
    m_ui->tBarcode->setFocus();
    if (exec() != QDialog::Accepted) {
        return false;
    }
    SetFieldValue(*Record, BarcodeField, m_ui->tBarcode->Value());
    SetFieldValue(*Record, NicknameField, m_ui->tNickname->Value());
    SetFieldValue(*Record, LastNameField, m_ui->tLastName->Value());
    SetFieldValue(*Record, MiddleNameField, m_ui->tMiddleName->Value());
    SetFieldValue(*Record, FirstNameField, m_ui->tFirstName->Value());
    const QDateTime day = m_ui->tBirthday->Day();
    SetFieldValue(*Record, BirthdayField, day.isValid() ? day : DateValue::Zero());
    SetFieldValue(*Record, CommentField, m_ui->tComment->Value());
    if (!EditMode) {
        StartSum = SeanceDialogs::WholeValue(m_ui->tSum);
    }
    return true;
}

bool frmEditCard::eventFilter(QObject *Watched, QEvent *Event)
{
    if (Watched == m_ui->tBarcode && Event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(Event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            return true;
        }
    }
    return QDialog::eventFilter(Watched, Event);
}

void frmEditCard::OnOK()
{
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    if (m_ui->tBarcode->Value().isEmpty()) {
        ShowError(QStringLiteral("Не указан штрихкод!"));
        return;
    }
    if (m_ui->tNickname->Value().isEmpty()) {
        ShowError(QStringLiteral("Не указан псевдоним владельца!"));
        return;
    }
    if (m_ui->tSum->Enabled() && m_ui->tSum->Value() == Currency()) {
        ShowError(QStringLiteral("Не указана стартовая сумма!"));
        return;
    }
    accept();
}
