#include "seances/frmstartnightreserve.h"

#include "ui_frmstartnightreserve.h"

#include "clock.h"
#include "controls/focusvalidator.h"
#include "core/compbuttons.h"
#include "core/dbvalues.h"
#include "core/history.h"
#include "core/historytexts.h"
#include "core/night.h"
#include "core/payments.h"
#include "core/rates.h"
#include "core/seancearithmetic.h"
#include "core/widgets/guihelpers.h"
#include "seances/dialogsupport.h"
#include "seances/payandwrite.h"
#include "seances/selectcomputers.h"
#include "textdates.h"

#include <QSignalBlocker>

namespace
{
const QString ReservesTable = QStringLiteral("NightReserves");
const QString SeanceField = QStringLiteral("Seance");
const QString RateField = QStringLiteral("Rate");
const QString DesktopField = QStringLiteral("Desktop");
} // namespace

frmStartNightReserve::frmStartNightReserve(QWidget *Parent)
    : QDialog(Parent)
    , m_ui(new Ui::frmStartNightReserve)
{
    m_ui->setupUi(this);
    // The grid's own name; its member cannot carry the class's name.
    m_ui->ComputersGrid->setObjectName(QStringLiteral("ComputersButtons"));
    m_ui->ComputersGrid->SetSingleSelect(true);
    m_ui->sNickname->SetEnabled(false);
    connect(m_ui->ComputersGrid, &ComputersButtons::ButtonClick, this, [this] { RefreshReserve(Clock::Now()); });
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmStartNightReserve::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmStartNightReserve::~frmStartNightReserve() = default;

bool frmStartNightReserve::Start(const std::shared_ptr<CompButtons> &Buttons, const QDateTime &Moment)
{
    m_buttons = Buttons ? Buttons : std::make_shared<CompButtons>();
    m_ui->ComputersGrid->SetButtons(m_buttons);
    RefreshReserve(Moment);
    CenterForm(this);
    exec();
    return m_applied;
}

bool frmStartNightReserve::RefreshReserve(const QDateTime &Moment)
{
    const QDateTime moment = MomentOrNow(Moment);
    m_ui->NightDate->setText(DateToString(GetNightDate(moment), false, QStringLiteral("/")));
    // At night only, on computers with tonight's reserve, fully paid or not yet lapsed, that run no
    // seance.
    SelectComputers(*m_buttons, m_data, moment, true, true, false, true, false, false, false, true);
    m_ui->ComputersGrid->Refresh();
    ShowReserve(nullptr, 0);
    const qint32 num = m_ui->ComputersGrid->Value();
    if (num == 0) {
        return true;
    }
    std::shared_ptr<Rollstrake::DBRecord> reserve;
    GetNightState(num, moment, reserve);
    if (!reserve) {
        return true;
    }
    QString reason;
    const auto rate = SeanceDialogs::FindRecord(QStringLiteral("Rates"), IntValue(*reserve, RateField), reason);
    if (!rate) {
        SeanceDialogs::ShowError(this, QStringLiteral("Тариф резерва не найден: ") + reason);
        return false;
    }
    // A prepayment that cannot be read is not taken for none: the customer would pay twice.
    QString err;
    const qint32 paid = GetNightReservePaidSum(reserve, err);
    if (!err.isEmpty()) {
        SeanceDialogs::ShowError(this, QStringLiteral("Оплата резерва не прочитана: ") + err);
        return false;
    }
    ShowReserve(reserve, SeanceDialogs::NightPrice(*rate) - paid);
    return true;
}

void frmStartNightReserve::ShowReserve(const std::shared_ptr<Rollstrake::DBRecord> &Reserve, qint32 Price)
{
    m_reserve = Reserve;
    m_price = Price;
    m_ui->Price->setText(QString::number(Price));
    const QSignalBlocker blocker(m_ui->sNickname);
    m_ui->sNickname->SetValue(Reserve ? TextValue(*Reserve, QStringLiteral("Nickname")) : QString());
}

void frmStartNightReserve::OnApply()
{
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    const QDateTime now = Clock::Now();
    // The sum the operator saw; the reserve is read again, and a sum changed meanwhile is shown first.
    const qint32 seen = m_price;
    if (!RefreshReserve(now)) {
        return;
    }
    if (m_ui->ComputersGrid->GetSelectedCount() == 0) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран компьютер!"));
        return;
    }
    if (!m_reserve) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран резерв ночи!"));
        return;
    }
    if (!SeanceDialogs::SumAsSeen(this, seen, m_price)) {
        return;
    }
    const qint32 price = m_price;
    const qint32 reserve = m_reserve->Code();
    m_applied = SeanceDialogs::PayAndWrite(this,
                                           price,
                                           m_ui->ComputersGrid->Value(),
                                           [&](qint32 Num, qint32 Card, QString &ErrString) {
                                               return WriteComputer(Num, reserve, now, price, Card, ErrString);
                                           });
    if (m_applied) {
        accept();
    }
}

bool frmStartNightReserve::WriteComputer(qint32 ComputerNum,
                                         qint32 ReserveCode,
                                         const QDateTime &Now,
                                         qint32 Price,
                                         qint32 Card,
                                         QString &ErrString) const
{
    // Read again after the payment dialog: the reserve may have been activated meanwhile.
    const auto reserve = SeanceDialogs::FindRecord(ReservesTable, ReserveCode, ErrString);
    if (!reserve) {
        ErrString = QStringLiteral("Резерв ночи не найден: ") + ErrString;
        return false;
    }
    if (IntValue(*reserve, SeanceField) > 0) {
        ErrString = QStringLiteral("Выбранный резерв ночи уже запущен!");
        return false;
    }
    const qint32 desktop = IntValue(*reserve, DesktopField);
    const qint32 rate = IntValue(*reserve, RateField);
    const SeanceDialogs::SeanceSpan span = SeanceDialogs::NightSeanceSpan(Now);
    const auto seance = SeanceDialogs::AddSeanceRecord(ComputerNum, desktop, rate, Now, span, ErrString);
    qint32 cardPart = 0;
    if (!seance || !PaySeance(seance->Code(), 0, Now, Card, Price, cardPart, ErrString)) {
        return false;
    }
    SetFieldValue(*reserve, SeanceField, seance->Code());
    return reserve->Update(ErrString)
           && AddHistory(ComputerNum,
                         SeanceAddedHistoryText(SeanceStartKind::ReserveActivated,
                                                Now,
                                                span.End,
                                                span.Minutes,
                                                GetDesktopName(desktop),
                                                GetRateName(rate),
                                                Price,
                                                cardPart),
                         ErrString);
}
