#include "seances/frmalterseance.h"

#include "ui_frmalterseance.h"

#include "clock.h"
#include "controls/durationspinbox.h"
#include "controls/focusvalidator.h"
#include "core/compbuttons.h"
#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "core/history.h"
#include "core/historytexts.h"
#include "core/payments.h"
#include "core/rates.h"
#include "core/seancearithmetic.h"
#include "seances/dialogsupport.h"
#include "seances/payandwrite.h"
#include "seances/selectcomputers.h"

#include <QSignalBlocker>

#include <cstdlib>

namespace
{
QString ComputerText(qint32 Num)
{
    return QString::number(Num);
}
} // namespace

frmAlterSeance::frmAlterSeance(QWidget *Parent)
    : QDialog(Parent)
    , m_ui(new Ui::frmAlterSeance)
{
    m_ui->setupUi(this);
    // The grid's own name; its member cannot carry the class's name.
    m_ui->ComputersGrid->setObjectName(QStringLiteral("ComputersButtons"));
    m_ui->DurationTime->SetSignVisible(true);
    m_ui->DurationTime->SetEnabled(false);
    SeanceDialogs::SetUpRequiredDay(m_ui->DateTo);
    SeanceDialogs::SetUpSumInput(m_ui->Price, true);
    m_ui->Price->SetEnabled(false);

    const auto recalcFromTime = [this] {
        RecalcSeance(Clock::Now(), true);
    };
    connect(m_ui->ComputersGrid, &ComputersButtons::ButtonClick, this, recalcFromTime);
    connect(m_ui->DurationTime, &Duration::Changed, this, recalcFromTime);
    connect(m_ui->DateTo, &Date::Changed, this, recalcFromTime);
    connect(m_ui->TimeTo, &Time::Changed, this, recalcFromTime);
    connect(m_ui->DurationMode, &QRadioButton::clicked, this, &frmAlterSeance::OnModeClick);
    connect(m_ui->EndTimeMode, &QRadioButton::clicked, this, &frmAlterSeance::OnModeClick);
    connect(m_ui->SetNow, &QPushButton::clicked, this, [this] {
        const QDateTime now = Clock::Now();
        {
            const QSignalBlocker dateBlocker(m_ui->DateTo);
            const QSignalBlocker timeBlocker(m_ui->TimeTo);
            m_ui->DateTo->SetValue(now);
            m_ui->TimeTo->SetValue(now);
        }
        RecalcSeance(now, true);
    });
    connect(m_ui->ActiveSum, &QCheckBox::clicked, this, &frmAlterSeance::OnActiveSumClick);
    connect(m_ui->Price, &Numeric::Validate, this, [this](bool &Cancel) {
        Cancel = !RecalcSeance(Clock::Now(), false);
    });
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmAlterSeance::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmAlterSeance::~frmAlterSeance() = default;

bool frmAlterSeance::Start(const std::shared_ptr<CompButtons> &Buttons, QList<qint32> &Written)
{
    m_buttons = Buttons ? Buttons : std::make_shared<CompButtons>();
    m_ui->ComputersGrid->SetButtons(m_buttons);
    const QDateTime now = Clock::Now();
    MarkComputers(now);
    const QList<qint32> chosen = SeanceDialogs::SelectedComputers(*m_buttons);
    if (!chosen.isEmpty()) {
        QString err;
        const auto seance = GetSeanceAt(chosen.first(), now, err);
        LogDbError(QStringLiteral("Тариф изменяемого сеанса"), err);
        m_rate = seance ? IntValue(*seance, QStringLiteral("Rate")) : 0;
    }
    {
        const QSignalBlocker dateBlocker(m_ui->DateTo);
        const QSignalBlocker timeBlocker(m_ui->TimeTo);
        m_ui->DateTo->SetValue(now);
        m_ui->TimeTo->SetValue(now);
    }
    m_ui->ActiveSum->setEnabled(!IsFreeRate(m_rate));
    OnActiveSumClick();
    UpdateModeInputs();
    exec();
    Written = m_written.Computers();
    return m_applied;
}

void frmAlterSeance::MarkComputers(const QDateTime &Moment)
{
    MarkComputersWithSeance(*m_buttons, m_data, Moment, false);
    m_written.TakeOff(*m_buttons);
    m_ui->ComputersGrid->Refresh();
}

bool frmAlterSeance::MakeChange(qint32 ComputerNum,
                                const QDateTime &Moment,
                                std::optional<SeanceChange> &Change,
                                QString &ErrString) const
{
    Change.reset();
    const auto seance = GetSeanceAt(ComputerNum, Moment, ErrString);
    if (!seance) {
        return ErrString.isEmpty();
    }
    SeanceChange change;
    change.Seance = seance;
    change.Begin = DateValueOf(*seance, QStringLiteral("BeginDate"));
    change.OldEnd = DateValueOf(*seance, QStringLiteral("EndDate"));
    change.Duration = IntValue(*seance, QStringLiteral("Duration"));
    if (m_ui->DurationMode->isChecked()) {
        change.NewDuration = Saturated32(qint64(change.Duration) + m_ui->DurationTime->Value());
        change.NewEnd = AddMinutes(change.Begin, change.NewDuration);
    } else {
        change.NewEnd = JoinDateTime(m_ui->DateTo->Day(), m_ui->TimeTo->Value());
        change.NewDuration = Saturated32(MinutesBetween(change.Begin, change.NewEnd));
    }
    if (change.Begin > change.NewEnd) {
        ErrString = QStringLiteral("Время окончания сеанса на компьютере №") + ComputerText(ComputerNum)
                    + QStringLiteral(" раньше времени начала!");
        return false;
    }
    QString err;
    if (!GetSumForDuration(IntValue(*seance, QStringLiteral("Rate")),
                           change.Begin,
                           change.NewEnd,
                           change.NewSum,
                           err)) {
        ErrString = QStringLiteral("Компьютер №") + ComputerText(ComputerNum) + QStringLiteral(": ") + err;
        return false;
    }
    change.Paid = GetSeancePaidSum(seance, ErrString);
    if (!ErrString.isEmpty()) {
        return false;
    }
    Change = change;
    return true;
}

bool frmAlterSeance::RecalcSeance(const QDateTime &Moment, bool FromTime)
{
    MarkComputers(Moment);
    if (!FromTime) {
        if (IsFreeRate(m_rate)) {
            SeanceDialogs::ShowError(this, QStringLiteral("Изменение цены при установленном бесплатном тарифе!"));
            return false;
        }
        return RecalcFromPrice(Moment);
    }
    qint64 total = 0;
    for (qint32 num : SeanceDialogs::SelectedComputers(*m_buttons)) {
        std::optional<SeanceChange> change;
        QString err;
        if (!MakeChange(num, Moment, change, err)) {
            SeanceDialogs::ShowError(this, err);
            return false;
        }
        if (change) {
            total += qint64(change->NewSum) - change->Paid;
        }
    }
    // Shown as it is paid: a difference beyond six digits is refused, not cut.
    if (std::llabs(total) > SeanceDialogs::MaxSum) {
        SeanceDialogs::ShowError(this, QStringLiteral("Разница в сумме превышает 999 999 руб.!"));
        return false;
    }
    const QSignalBlocker blocker(m_ui->Price);
    m_ui->Price->SetValue(Currency(static_cast<qint32>(total)));
    return true;
}

bool frmAlterSeance::RecalcFromPrice(const QDateTime &Moment)
{
    if (m_ui->EndTimeMode->isChecked()) {
        SeanceDialogs::ShowError(this, QStringLiteral("Пересчёт даты окончания после изменения цены запрещён!"));
        return false;
    }
    const QList<qint32> computers = SeanceDialogs::SelectedComputers(*m_buttons);
    const qint32 shares = qMax(static_cast<qint32>(computers.size()), 1);
    const qint32 extra = SeanceDialogs::RoundedUpRoubles(m_ui->Price->Value() / Currency(shares));
    qint32 delta = 0;
    for (qint32 num : computers) {
        QString err;
        const auto seance = GetSeanceAt(num, Moment, err);
        if (!seance) {
            if (!err.isEmpty()) {
                SeanceDialogs::ShowError(this, err);
                return false;
            }
            continue;
        }
        const qint64 target = qint64(GetSeancePaidSum(seance, err)) + extra;
        if (!err.isEmpty()) {
            SeanceDialogs::ShowError(this, err);
            return false;
        }
        if (target < 0) {
            SeanceDialogs::ShowError(this,
                                     QStringLiteral("Продолжительность сеанса на компьютере №") + ComputerText(num)
                                         + QStringLiteral(" отрицательная!"));
            return false;
        }
        qint32 minutes = 0;
        if (!GetDurationForSum(m_rate, Saturated32(target), minutes, err)) {
            SeanceDialogs::ShowError(this, err);
            return false;
        }
        const qint64 change = qint64(minutes) - IntValue(*seance, QStringLiteral("Duration"));
        // The largest change wins; the first one on ties.
        if (std::llabs(change) > std::llabs(delta)) {
            if (std::llabs(change) > DurationSpinBox::MaxMinutes) {
                SeanceDialogs::ShowError(this, QStringLiteral("Длительность сеанса слишком велика!"));
                return false;
            }
            delta = static_cast<qint32>(change);
        }
    }
    {
        const QSignalBlocker blocker(m_ui->DurationTime);
        m_ui->DurationTime->SetValue(delta);
    }
    return RecalcSeance(Moment, true);
}

void frmAlterSeance::UpdateModeInputs()
{
    m_ui->DurationTime->SetEnabled(m_ui->DurationMode->isChecked());
    const bool byEnd = m_ui->EndTimeMode->isChecked();
    m_ui->DateTo->SetEnabled(byEnd);
    m_ui->TimeTo->SetEnabled(byEnd);
    m_ui->SetNow->setEnabled(byEnd);
}

void frmAlterSeance::OnModeClick()
{
    UpdateModeInputs();
    RecalcSeance(Clock::Now(), true);
}

void frmAlterSeance::OnActiveSumClick()
{
    RecalcSeance(Clock::Now(), true);
    const bool bySum = m_ui->ActiveSum->isChecked();
    // Money buys minutes, never a new end.
    if (bySum && m_ui->EndTimeMode->isChecked()) {
        m_ui->DurationMode->setChecked(true);
        OnModeClick();
    }
    m_ui->EndTimeMode->setEnabled(!bySum);
    m_ui->Price->SetEnabled(bySum);
}

void frmAlterSeance::OnApply()
{
    // Money or minutes being typed are taken and recalculated first.
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    // Calculated again as it is booked: a rate price or a seance may have changed what was shown.
    const qint32 seen = SeanceDialogs::WholeValue(m_ui->Price);
    const QDateTime now = Clock::Now();
    if (!RecalcSeance(now, true) || !SeanceDialogs::SumAsSeen(this, seen, SeanceDialogs::WholeValue(m_ui->Price))) {
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
    // The difference shown is now the rest's.
    RecalcSeance(Clock::Now(), true);
}

bool frmAlterSeance::WriteComputer(qint32 ComputerNum, const QDateTime &Now, qint32 Card, QString &ErrString) const
{
    std::optional<SeanceChange> change;
    if (!MakeChange(ComputerNum, Now, change, ErrString)) {
        return false;
    }
    // A seance that ended meanwhile is passed over.
    if (!change) {
        return true;
    }
    const qint32 difference = change->NewSum - change->Paid;
    SetFieldValue(*change->Seance, QStringLiteral("EndDate"), change->NewEnd);
    SetFieldValue(*change->Seance, QStringLiteral("Duration"), change->NewDuration);
    qint32 cardPart = 0;
    return PaySeance(change->Seance->Code(), 0, Now, Card, difference, cardPart, ErrString)
           && change->Seance->Update(ErrString)
           && AddHistory(ComputerNum,
                         SeanceEndChangedHistoryText(change->OldEnd,
                                                     change->NewEnd,
                                                     Saturated32(MinutesBetween(change->Begin, change->OldEnd)),
                                                     change->NewDuration,
                                                     difference,
                                                     cardPart),
                         ErrString);
}
