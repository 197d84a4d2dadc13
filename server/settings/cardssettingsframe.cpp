#include "settings/cardssettingsframe.h"

#include "ui_cardssettingsframe.h"

#include "clock.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "core/payments.h"
#include "core/widgets/guihelpers.h"
#include "core/widgets/messagebox.h"
#include "core/widgets/registryserilize.h"
#include "generalhelpers.h"
#include "settings/frmaddcardpay.h"
#include "settings/frmeditcard.h"
#include "settings/removerecord.h"
#include "settings/settingsrecords.h"
#include "settings/wholenumber.h"
#include "textdates.h"

#include <QKeyEvent>
#include <QScopedValueRollback>

namespace
{
const QString CardsTable = QStringLiteral("Cards");
const QString CardPayEnabled = QStringLiteral("CardPayEnabled");
const QString DefaultCardStartSum = QStringLiteral("DefaultCardStartSum");
constexpr qint32 SumDigits = 6;
constexpr qint32 MaxSum = 999999;

enum Column
{
    BarcodeColumn,
    NicknameColumn,
    BalanceColumn,
};

// The columns' widths until the operator sets them.
constexpr int BarcodeColumnWidth = 120;
constexpr int NicknameColumnWidth = 120;
} // namespace

CardsSettingsFrame::CardsSettingsFrame(QWidget *parent)
    : SettingsPage(QStringLiteral("CardsSettings"), parent)
    , m_ui(std::make_unique<Ui::CardsSettingsFrame>())
{
    m_ui->setupUi(this);
    SetUpWholeNumber(m_ui->tDefaultCardStartSum, SumDigits, 0, MaxSum, QStringLiteral("###,##0"));
    m_settings.Bind(CardPayEnabled, m_ui->chCardPayEnabled);
    m_settings.Bind(DefaultCardStartSum, m_ui->tDefaultCardStartSum);
    m_ui->CardsList->headerItem()->setTextAlignment(BalanceColumn, Qt::AlignRight | Qt::AlignVCenter);
    m_ui->CardsList->setColumnWidth(BarcodeColumn, BarcodeColumnWidth);
    m_ui->CardsList->setColumnWidth(NicknameColumn, NicknameColumnWidth);
    RegistrySerilize::LoadListViewLayout(m_ui->CardsList, QString());
    connect(m_ui->chCardPayEnabled, &QCheckBox::toggled, this, [this] { SettingEdited(CardPayEnabled); });
    connect(m_ui->tDefaultCardStartSum, &Numeric::Changed, this, [this] { SettingEdited(DefaultCardStartSum); });
    connect(m_ui->Add, &QPushButton::clicked, this, &CardsSettingsFrame::AddCard);
    connect(m_ui->Edit, &QPushButton::clicked, this, &CardsSettingsFrame::EditCard);
    connect(m_ui->Delete, &QPushButton::clicked, this, &CardsSettingsFrame::DeleteCard);
    connect(m_ui->AddBalance, &QPushButton::clicked, this, &CardsSettingsFrame::AddBalance);
    connect(m_ui->CardsList, &QTreeWidget::itemDoubleClicked, this, &CardsSettingsFrame::EditCard);
}

CardsSettingsFrame::~CardsSettingsFrame() = default;

void CardsSettingsFrame::StoreLayout()
{
    RegistrySerilize::SaveListViewLayout(m_ui->CardsList, QString());
}

void CardsSettingsFrame::LoadSettings()
{
    LoadSettings(0);
}

void CardsSettingsFrame::LoadSettings(qint32 SelectCode)
{
    const QScopedValueRollback loading(m_loading, true);
    m_settings.Load();
    QTreeWidget *list = m_ui->CardsList;
    list->clear();
    QString err;
    const auto cards = AllRecords(CardsTable, err);
    LogDbError(QStringLiteral("Список карточек на странице настроек"), err);
    if (cards) {
        const QDateTime now = Clock::Now();
        for (const auto &card : *cards) {
            auto *item = new QTreeWidgetItem(list);
            item->setText(BarcodeColumn, TextValue(*card, QStringLiteral("Barcode")));
            item->setText(NicknameColumn, TextValue(*card, QStringLiteral("OwnerNickname")));
            item->setTextAlignment(BalanceColumn, Qt::AlignRight | Qt::AlignVCenter);
            item->setData(BarcodeColumn, ItemKeyRole, MakeItemKey(card->Code()));
            // A balance that cannot be read is left blank rather than shown as 0.
            const qint32 balance = GetCardBalance(card, now, err);
            LogDbError(QStringLiteral("Баланс карточки на странице настроек"), err);
            if (err.isEmpty()) {
                item->setText(BalanceColumn, FormatSum(Currency(balance)));
            }
        }
    }
    SelectListViewItem(list, MakeItemKey(SelectCode));
}

bool CardsSettingsFrame::ValidateAndSave()
{
    if (Changed()) {
        m_settings.Save();
    }
    SetChanged(false);
    return true;
}

void CardsSettingsFrame::keyPressEvent(QKeyEvent *Event)
{
    // The keys that no control of the page takes.
    if (Event->key() == Qt::Key_Insert) {
        AddCard();
    } else if (Event->key() == Qt::Key_Delete) {
        DeleteCard();
    } else {
        SettingsPage::keyPressEvent(Event);
    }
}

qint32 CardsSettingsFrame::SelectedCode() const
{
    const QTreeWidgetItem *item = m_ui->CardsList->currentItem();
    return item && item->isSelected() ? GetKeyNum(item->data(BarcodeColumn, ItemKeyRole).toString()) : 0;
}

void CardsSettingsFrame::AddCard()
{
    QString err;
    const auto card = NewSettingsRecord(CardsTable, err);
    if (!card) {
        ShowError(err);
        return;
    }
    qint32 startSum = 0;
    if (!StoreCard(card, false, startSum)) {
        return;
    }
    const bool paid = startSum <= 0 || AddCardPay(card->Code(), Clock::Now(), startSum, err);
    // The card is stored: it is listed and selected even when its start sum is not, so that the
    // operator tops it up rather than adds it again.
    CardsEdited(card->Code());
    if (!paid) {
        ShowError(QStringLiteral("Стартовая сумма не зачислена на карточку: ") + err);
    }
}

void CardsSettingsFrame::EditCard()
{
    const qint32 code = SelectedCode();
    if (code <= 0) {
        return;
    }
    QString err;
    const auto card = RecordByCode(CardsTable, code, err);
    if (!card) {
        // A card deleted meanwhile is simply no longer there to edit.
        LogDbError(QStringLiteral("Изменение карточки"), err);
        return;
    }
    qint32 startSum = 0;
    if (StoreCard(card, true, startSum)) {
        CardsEdited(code);
    }
}

void CardsSettingsFrame::DeleteCard()
{
    const qint32 code = SelectedCode();
    if (code <= 0) {
        return;
    }
    if (MessageBox::Question(this,
                             QStringLiteral("Внимание!"),
                             QStringLiteral("Удалить карточку? Оплаты сеансов по ней будут также удалены!"),
                             QMessageBox::Yes | QMessageBox::No,
                             QMessageBox::No)
        != QMessageBox::Yes) {
        return;
    }
    if (RemoveRecord(CardsTable, code, true)) {
        CardsEdited(code);
    }
}

void CardsSettingsFrame::AddBalance()
{
    qint32 code = SelectedCode();
    qint32 sum = 0;
    frmAddCardPay dialog(this);
    if (!dialog.Start(code, sum)) {
        return;
    }
    QString err;
    if (!AddCardPay(code, Clock::Now(), sum, err)) {
        ShowError(err);
        return;
    }
    CardsEdited(code);
}

bool CardsSettingsFrame::StoreCard(const std::shared_ptr<Rollstrake::DBRecord> &Card, bool EditMode, qint32 &StartSum)
{
    frmEditCard dialog(this);
    if (!dialog.Start(Card, EditMode, StartSum)) {
        return false;
    }
    QString err;
    if (!StoreSettingsRecord(*Card, err)) {
        ShowError(err);
        return false;
    }
    return true;
}

void CardsSettingsFrame::CardsEdited(qint32 SelectCode)
{
    LoadSettings(SelectCode);
    MarkEdited();
}

void CardsSettingsFrame::SettingEdited(const QString &Key)
{
    if (m_loading) {
        return;
    }
    m_settings.Save(Key);
    MarkEdited();
}
