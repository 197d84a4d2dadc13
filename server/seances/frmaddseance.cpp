#include "seances/frmaddseance.h"

#include "ui_frmaddseance.h"

#include "clock.h"
#include "controls/durationspinbox.h"
#include "controls/focusvalidator.h"
#include "core/compbuttons.h"
#include "core/databaselink.h"
#include "core/history.h"
#include "core/historytexts.h"
#include "core/payments.h"
#include "core/rates.h"
#include "core/seancearithmetic.h"
#include "core/widgets/desktopscombo.h"
#include "core/widgets/guihelpers.h"
#include "entitylib.h"
#include "seances/dialogsupport.h"
#include "seances/payandwrite.h"
#include "seances/selectcomputers.h"
#include "textdates.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalBlocker>

namespace
{
constexpr qint32 DefaultMinutes = 60;
constexpr int ClockTickMs = 1000;

// The moment without its seconds, as an input of hours and minutes shows it.
QDateTime WholeMinute(const QDateTime &Moment)
{
    return Moment.addSecs(-Moment.time().second());
}

// The end as its day and time inputs show it.
QString ShownEnd(const QDateTime &End)
{
    return End.toString(QStringLiteral("dd-MM-yyyy HH:mm"));
}
} // namespace

frmAddSeance::frmAddSeance(QWidget *Parent)
    : QDialog(Parent)
    , m_ui(new Ui::frmAddSeance)
    , m_clockTimer(this)
{
    m_ui->setupUi(this);
    // The controls' own names; their members cannot carry the classes' names.
    m_ui->ComputersGrid->setObjectName(QStringLiteral("ComputersButtons"));
    m_ui->Rates->setObjectName(QStringLiteral("RatesList"));
    SeanceDialogs::SetUpRequiredDay(m_ui->DateTo);
    SeanceDialogs::SetUpSumInput(m_ui->Price, false);

    connect(m_ui->ComputersGrid, &ComputersButtons::ButtonClick, this, [this] {
        RecalcSeance(Clock::Now(), RecalcMode::Remembered);
    });
    connect(m_ui->DurationTime, &Duration::Changed, this, [this] { RecalcSeance(Clock::Now(), RecalcMode::Duration); });
    // The end is typed a section at a time, and its day may follow its time: an end not yet after the
    // begin is refused by OK, which calculates again, not while it is being typed.
    const auto recalcFromEnd = [this] {
        QString refusedAtOk;
        CalcSeanceValues(Clock::Now(), RecalcMode::End, refusedAtOk);
    };
    connect(m_ui->DateTo, &Date::Changed, this, recalcFromEnd);
    connect(m_ui->TimeTo, &Time::Changed, this, recalcFromEnd);
    connect(m_ui->Price, &Numeric::Validate, this, [this](bool &Cancel) {
        Cancel = !RecalcSeance(Clock::Now(), RecalcMode::Price);
    });
    connect(m_ui->Rates, &RatesList::Click, this, &frmAddSeance::OnRateClick);
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmAddSeance::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(&m_clockTimer, &QTimer::timeout, this, &frmAddSeance::OnClockTick);
    m_clockTimer.setObjectName(QStringLiteral("ClockTimer"));
    m_clockTimer.setInterval(ClockTickMs);
}

frmAddSeance::~frmAddSeance() = default;

bool frmAddSeance::Start(const std::shared_ptr<CompButtons> &Buttons, QList<qint32> &Written)
{
    Written.clear();
    m_buttons = Buttons ? Buttons : std::make_shared<CompButtons>();
    {
        const QSignalBlocker blocker(m_ui->DesktopsList);
        FillDesktopsCombo(m_ui->DesktopsList, false);
    }
    if (m_ui->DesktopsList->count() == 0) {
        SeanceDialogs::ShowMissing(this, QStringLiteral("Рабочие столы отсутствуют!"));
        return false;
    }
    {
        // The rate in force is chosen below; the list's first rate is no choice to react to.
        const QSignalBlocker blocker(m_ui->Rates);
        if (!m_ui->Rates->FillRatesList()) {
            SeanceDialogs::ShowMissing(this, QStringLiteral("Тарифы отсутствуют!"));
            return false;
        }
    }
    m_ui->ComputersGrid->SetButtons(m_buttons);
    m_ui->Rates->SetValue(GetRateForTime(Clock::Now(), false));
    {
        const QSignalBlocker blocker(m_ui->DurationTime);
        m_ui->DurationTime->SetValue(DefaultMinutes);
    }
    // Setting the rate raises nothing: its handling runs here, so that a free rate in force locks the price.
    OnRateClick();
    CenterForm(this);
    m_clockTimer.start();
    exec();
    m_clockTimer.stop();
    Written = m_written.Computers();
    return m_applied;
}

bool frmAddSeance::RecalcSeance(const QDateTime &Begin, RecalcMode Mode)
{
    QString err;
    if (!CalcSeanceValues(Begin, Mode, err)) {
        SeanceDialogs::ShowError(this, err);
        return false;
    }
    return true;
}

bool frmAddSeance::CalcSeanceValues(const QDateTime &Begin, RecalcMode Mode, QString &ErrString)
{
    m_calculatedMinute = WholeMinute(Begin);
    MarkComputersWithoutSeance(*m_buttons, m_data, Begin);
    m_written.TakeOff(*m_buttons);
    m_ui->ComputersGrid->Refresh();
    if (Mode != RecalcMode::Remembered) {
        m_mode = Mode;
    }
    const qint32 chosen = static_cast<qint32>(SeanceDialogs::SelectedComputers(*m_buttons).size());
    const qint32 computers = qMax(chosen, 1);
    Calculation seance;
    switch (m_mode) {
    case RecalcMode::Duration:
        seance.Minutes = m_ui->DurationTime->Value();
        break;
    case RecalcMode::End:
        seance.End = JoinDateTime(m_ui->DateTo->Day(), m_ui->TimeTo->Value());
        break;
    case RecalcMode::Price:
        // Each computer pays its share rounded up; the total shown is what they pay together.
        seance.Sum = SeanceDialogs::RoundedUpRoubles(m_ui->Price->Value() / Currency(computers));
        break;
    case RecalcMode::Remembered:
        break;
    }
    if (!CalcSeance(m_ui->Rates->Value(), Begin, seance.End, seance.Minutes, seance.Sum, ErrString)) {
        return false;
    }
    // Shown as it is stored: a duration the input cannot hold and a total beyond six digits are refused.
    if (seance.Minutes > DurationSpinBox::MaxMinutes) {
        ErrString = QStringLiteral("Длительность сеанса слишком велика!");
        return false;
    }
    const qint64 total = qint64(seance.Sum) * computers;
    if (total > SeanceDialogs::MaxSum) {
        ErrString = QStringLiteral("Сумма сеансов превышает 999 999 руб.!");
        return false;
    }
    m_seance = seance;
    ShowSeanceValues(static_cast<qint32>(total), seance);
    return true;
}

void frmAddSeance::ShowSeanceValues(qint32 Total, const Calculation &Seance)
{
    const QSignalBlocker priceBlocker(m_ui->Price);
    const QSignalBlocker durationBlocker(m_ui->DurationTime);
    const QSignalBlocker dateBlocker(m_ui->DateTo);
    const QSignalBlocker timeBlocker(m_ui->TimeTo);
    m_ui->Price->SetValue(Currency(Total));
    // Rewritten only when it differs, so that the hours and minutes being typed are not retyped.
    if (m_ui->DurationTime->Value() != Seance.Minutes) {
        m_ui->DurationTime->SetValue(Seance.Minutes);
    }
    m_ui->DateTo->SetValue(Seance.End);
    m_ui->TimeTo->SetValue(Seance.End);
}

frmAddSeance::Calculation frmAddSeance::ShownValues() const
{
    return {m_ui->DurationTime->Value(),
            WholeMinute(JoinDateTime(m_ui->DateTo->Day(), m_ui->TimeTo->Value())),
            SeanceDialogs::WholeValue(m_ui->Price)};
}

bool frmAddSeance::ShownAsSeen(const Calculation &Seen)
{
    const Calculation shown = ShownValues();
    if (!SeanceDialogs::SumAsSeen(this, Seen.Sum, shown.Sum)) {
        return false;
    }
    if (shown.Minutes != Seen.Minutes) {
        SeanceDialogs::ShowError(this,
                                 QStringLiteral("Длительность сеанса изменилась с %1 на %2!")
                                     .arg(FormatDuration(Seen.Minutes, false), FormatDuration(shown.Minutes, false)));
        return false;
    }
    if (shown.End != Seen.End) {
        SeanceDialogs::ShowError(this,
                                 QStringLiteral("Время окончания сеанса изменилось с %1 на %2!")
                                     .arg(ShownEnd(Seen.End), ShownEnd(shown.End)));
        return false;
    }
    return true;
}

void frmAddSeance::OnClockTick()
{
    // Under a box or the payment dialog the seance being booked must stay as it was taken.
    if (QApplication::activeModalWidget() != this) {
        return;
    }
    const QDateTime now = Clock::Now();
    if (WholeMinute(now) == m_calculatedMinute || m_ui->Price->TextBox()->hasFocus()) {
        return;
    }
    // A refusal is shown by OK, which calculates again.
    QString refusedAtOk;
    CalcSeanceValues(now, RecalcMode::Remembered, refusedAtOk);
}

void frmAddSeance::OnRateClick()
{
    m_ui->Price->SetEnabled(!IsFreeRate(m_ui->Rates->Value()));
    RecalcSeance(Clock::Now(), RecalcMode::Duration);
}

void frmAddSeance::OnApply()
{
    // The connection may have been lost while the dialog was open: the calculation reads rates.
    if (!DatabaseLink::ForOperator()) {
        return;
    }
    // A price or duration being typed is taken and recalculated first.
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    // Calculated again as it is booked: the clock or the rate may have moved what was shown.
    const Calculation seen = ShownValues();
    const QDateTime now = Clock::Now();
    if (!RecalcSeance(now, RecalcMode::Remembered) || !ShownAsSeen(seen)) {
        return;
    }
    if (m_ui->DesktopsList->currentIndex() < 0) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран рабочий стол!"));
        return;
    }
    if (m_ui->Rates->Value() == 0) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран тариф!"));
        return;
    }
    if (m_ui->DurationTime->Value() == 0) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не задана продолжительность сеанса!"));
        return;
    }
    m_applied = SeanceDialogs::PayAndWrite(
        this,
        SeanceDialogs::WholeValue(m_ui->Price),
        SeanceDialogs::SelectedComputers(*m_buttons),
        [&](qint32 Num, qint32 Card, QString &ErrString) { return WriteComputer(Num, now, Card, ErrString); },
        m_written);
    if (m_applied) {
        accept();
        return;
    }
    // The rest are shown at the same seance each; a price typed for all would be shared anew.
    RecalcSeance(Clock::Now(), m_mode == RecalcMode::Price ? RecalcMode::Duration : RecalcMode::Remembered);
}

bool frmAddSeance::WriteComputer(qint32 ComputerNum, const QDateTime &Now, qint32 Card, QString &ErrString)
{
    const qint32 desktop = m_ui->DesktopsList->currentData().toInt();
    const qint32 rate = m_ui->Rates->Value();
    const auto seance =
        SeanceDialogs::AddSeanceRecord(ComputerNum, desktop, rate, Now, {m_seance.End, m_seance.Minutes}, ErrString);
    qint32 cardPart = 0;
    return seance && PaySeance(seance->Code(), 0, Now, Card, m_seance.Sum, cardPart, ErrString)
           && AddHistory(ComputerNum,
                         SeanceAddedHistoryText(SeanceStartKind::DaySeance,
                                                Now,
                                                m_seance.End,
                                                m_seance.Minutes,
                                                GetDesktopName(desktop),
                                                GetRateName(rate),
                                                m_seance.Sum,
                                                cardPart),
                         ErrString);
}
