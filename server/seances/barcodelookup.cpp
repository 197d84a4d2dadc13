#include "seances/barcodelookup.h"

#include "ui_barcodelookup.h"

#include "clock.h"
#include "core/dbvalues.h"
#include "core/payments.h"
#include "seances/dialogsupport.h"

#include <QKeyEvent>
#include <QSignalBlocker>

BarcodeLookup::BarcodeLookup(QWidget *Parent)
    : QWidget(Parent)
    , m_ui(new Ui::BarcodeLookup)
{
    m_ui->setupUi(this);
    for (String *shown : {m_ui->tNickname, m_ui->tLastName, m_ui->tFirstName, m_ui->tComment}) {
        shown->SetEnabled(false);
    }
    // A debt is shown as it is.
    SeanceDialogs::SetUpSumInput(m_ui->tAllSum, true);
    m_ui->tAllSum->SetEnabled(false);
    setFocusProxy(m_ui->tBarcode);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_ui->tBarcode, &Barcode::BarcodeEntered, this, [this] {
        LookUp();
        emit CardChanged();
    });
    connect(m_ui->tBarcode, &Barcode::Validate, this, [this](bool &) {
        LookUp();
        emit CardLookedUp();
    });
}

BarcodeLookup::~BarcodeLookup() = default;

void BarcodeLookup::SetCardCode(qint32 Code)
{
    ShowCard(Code);
}

void BarcodeLookup::keyPressEvent(QKeyEvent *Event)
{
    if (Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) {
        Event->accept();
        return;
    }
    QWidget::keyPressEvent(Event);
}

void BarcodeLookup::LookUp()
{
    QString err;
    const qint32 code = FindCardByBarcode(m_ui->tBarcode->Value(), err);
    LogDbError(QStringLiteral("Поиск карточки по штрихкоду"), err);
    ShowCard(code);
}

void BarcodeLookup::ShowCard(qint32 Code)
{
    QString err;
    const auto card = RecordByCode(QStringLiteral("Cards"), Code, err);
    LogDbError(QStringLiteral("Карточка оплаты"), err);
    qint32 balance = 0;
    if (card) {
        balance = GetCardBalance(card, Clock::Now(), err);
        LogDbError(QStringLiteral("Баланс карточки"), err);
    }
    const auto text = [&card](const QString &Field) {
        return card ? TextValue(*card, Field) : QString();
    };
    const QSignalBlocker barcodeBlocker(m_ui->tBarcode);
    const QSignalBlocker nicknameBlocker(m_ui->tNickname);
    const QSignalBlocker lastNameBlocker(m_ui->tLastName);
    const QSignalBlocker firstNameBlocker(m_ui->tFirstName);
    const QSignalBlocker commentBlocker(m_ui->tComment);
    const QSignalBlocker sumBlocker(m_ui->tAllSum);
    m_ui->tBarcode->SetValue(text(QStringLiteral("Barcode")));
    m_ui->tNickname->SetValue(text(QStringLiteral("OwnerNickname")));
    m_ui->tLastName->SetValue(text(QStringLiteral("OwnerLastName")));
    m_ui->tFirstName->SetValue(text(QStringLiteral("OwnerFirstName")));
    m_ui->tComment->SetValue(text(QStringLiteral("Comment")));
    m_ui->tAllSum->SetValue(balance);
    m_cardCode = card ? card->Code() : 0;
}
