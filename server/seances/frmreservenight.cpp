#include "seances/frmreservenight.h"

#include "ui_frmreservenight.h"

#include "clock.h"
#include "controls/focusvalidator.h"
#include "core/compbuttons.h"
#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "core/history.h"
#include "core/historytexts.h"
#include "core/night.h"
#include "core/payments.h"
#include "core/rates.h"
#include "core/widgets/desktopscombo.h"
#include "core/widgets/guihelpers.h"
#include "generalhelpers.h"
#include "seances/dialogsupport.h"
#include "seances/payandwrite.h"
#include "seances/selectcomputers.h"

#include <QSignalBlocker>

namespace
{
// The length of "NightReserves.Nickname".
constexpr qint32 NicknameLength = 100;
} // namespace

frmReserveNight::frmReserveNight(QWidget *Parent)
    : QDialog(Parent)
    , m_ui(new Ui::frmReserveNight)
{
    m_ui->setupUi(this);
    // The controls' own names; their members cannot carry the classes' names.
    m_ui->ComputersGrid->setObjectName(QStringLiteral("ComputersButtons"));
    m_ui->Rates->setObjectName(QStringLiteral("RatesList"));
    m_ui->ComputersGrid->SetSingleSelect(true);
    m_ui->sNickname->SetMaxLength(NicknameLength);
    SeanceDialogs::SetUpRequiredDay(m_ui->NightDate);
    connect(m_ui->ComputersGrid, &ComputersButtons::ButtonClick, this, &frmReserveNight::UpdatePrice);
    connect(m_ui->Rates, &RatesList::Click, this, &frmReserveNight::UpdatePrice);
    connect(m_ui->opFullPrepay, &QRadioButton::clicked, this, &frmReserveNight::UpdatePrice);
    connect(m_ui->opReservePrepay, &QRadioButton::clicked, this, &frmReserveNight::UpdatePrice);
    connect(m_ui->NightDate, &Date::Changed, this, &frmReserveNight::OnNightDateChanged);
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmReserveNight::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmReserveNight::~frmReserveNight() = default;

bool frmReserveNight::Start(const std::shared_ptr<CompButtons> &Buttons)
{
    m_buttons = Buttons ? Buttons : std::make_shared<CompButtons>();
    m_ui->ComputersGrid->SetButtons(m_buttons);
    // A night that has begun can still be reserved until it ends; none before it.
    const QDateTime tonight = GetNightDate(Clock::Now());
    m_ui->NightDate->SetMinimumDay(tonight);
    m_ui->NightDate->SetValue(tonight);
    {
        const QSignalBlocker desktopsBlocker(m_ui->DesktopsList);
        const QSignalBlocker ratesBlocker(m_ui->Rates);
        FillDesktopsCombo(m_ui->DesktopsList, false);
        m_ui->Rates->FillRatesList(0, RatesList::NightRates);
    }
    // The rate in force on the day chosen, at its midnight: night rates have no hours of their own.
    m_ui->Rates->SetValue(GetRateForTime(m_ui->NightDate->Day(), true));
    UpdatePrice();
    CenterForm(this);
    exec();
    return m_applied;
}

QDateTime frmReserveNight::NightMoment() const
{
    return GetDayBound(m_ui->NightDate->Day(), true);
}

void frmReserveNight::UpdatePrice()
{
    QString err;
    const auto rate = RecordByCode(QStringLiteral("Rates"), m_ui->Rates->Value(), err);
    LogDbError(QStringLiteral("Цена резерва ночи"), err);
    m_price = 0;
    if (rate) {
        m_price = m_ui->opReservePrepay->isChecked() ? IntValue(*rate, QStringLiteral("PrepaySum"))
                                                     : SeanceDialogs::NightPrice(*rate);
    }
    m_ui->Price->setText(QString::number(m_price));
}

void frmReserveNight::OnNightDateChanged()
{
    // Only computers whose chosen night is free.
    SelectComputers(*m_buttons, m_data, NightMoment(), true, false, false, false, false, false, false, false);
    m_ui->ComputersGrid->Refresh();
    m_ui->Rates->SetValue(GetRateForTime(m_ui->NightDate->Day(), true));
    UpdatePrice();
}

void frmReserveNight::OnApply()
{
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    // The sum the operator saw; the rate is read again, and a price changed meanwhile is shown first.
    const qint32 seen = m_price;
    UpdatePrice();
    if (m_ui->DesktopsList->currentIndex() < 0) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран рабочий стол!"));
        return;
    }
    if (m_ui->ComputersGrid->GetSelectedCount() == 0) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран компьютер!"));
        return;
    }
    const QString nickname = m_ui->sNickname->Value().trimmed();
    {
        const QSignalBlocker blocker(m_ui->sNickname);
        m_ui->sNickname->SetValue(nickname);
    }
    if (nickname.isEmpty()) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не указан псевдоним резервирующего лица!"));
        return;
    }
    if (m_ui->Rates->Value() == 0) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран тариф!"));
        return;
    }
    const QDateTime now = Clock::Now();
    const QDateTime tonight = GetNightDate(now);
    const QDateTime nightDate = GetNightDate(NightMoment());
    if (nightDate == tonight && IsNightTime(now) && m_ui->opReservePrepay->isChecked()) {
        SeanceDialogs::ShowError(this,
                                 QStringLiteral("Текущую ночь можно зарезервировать только по полной предоплате!"));
        return;
    }
    // The dialog may have stayed open until the night chosen was over.
    if (nightDate < tonight) {
        SeanceDialogs::ShowError(this, QStringLiteral("Нельзя зарезервировать прошедшую ночь!"));
        return;
    }
    if (!SeanceDialogs::SumAsSeen(this, seen, m_price)) {
        return;
    }
    const qint32 price = m_price;
    m_applied = SeanceDialogs::PayAndWrite(this,
                                           price,
                                           m_ui->ComputersGrid->Value(),
                                           [&](qint32 Num, qint32 Card, QString &ErrString) {
                                               return WriteReserve(Num, nightDate, now, price, Card, ErrString);
                                           });
    if (m_applied) {
        accept();
    }
}

bool frmReserveNight::WriteReserve(qint32 ComputerNum,
                                   const QDateTime &NightDate,
                                   const QDateTime &Now,
                                   qint32 Price,
                                   qint32 Card,
                                   QString &ErrString) const
{
    // One reserve a computer and night; also refused once that night was used or has lapsed.
    std::shared_ptr<Rollstrake::DBRecord> taken;
    if (GetNightState(ComputerNum, NightMoment(), taken) != nsFree) {
        ErrString = QStringLiteral("Компьютер указанной ночью занят!");
        return false;
    }
    const auto reserve = SeanceDialogs::NewRecord(QStringLiteral("NightReserves"), ErrString);
    if (!reserve) {
        return false;
    }
    const qint32 desktop = m_ui->DesktopsList->currentData().toInt();
    const qint32 rate = m_ui->Rates->Value();
    SetFieldValue(*reserve, QStringLiteral("NightDate"), NightDate);
    SetFieldValue(*reserve, QStringLiteral("Computer"), GetComputerCode(ComputerNum, false));
    SetFieldValue(*reserve, QStringLiteral("Nickname"), m_ui->sNickname->Value());
    SetFieldValue(*reserve, QStringLiteral("Desktop"), desktop);
    SetFieldValue(*reserve, QStringLiteral("Rate"), rate);
    SetFieldValue(*reserve, QStringLiteral("IsFullPay"), m_ui->opFullPrepay->isChecked() ? 1 : 0);
    qint32 cardPart = 0;
    return reserve->Update(ErrString) && PaySeance(0, reserve->Code(), Now, Card, Price, cardPart, ErrString)
           && AddHistory(
               ComputerNum,
               NightReservedHistoryText(NightDate, GetDesktopName(desktop), GetRateName(rate), Price, cardPart),
               ErrString);
}
