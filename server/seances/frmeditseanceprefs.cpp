#include "seances/frmeditseanceprefs.h"

#include "ui_frmeditseanceprefs.h"

#include "clock.h"
#include "controls/focusvalidator.h"
#include "core/compbuttons.h"
#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "core/history.h"
#include "core/historytexts.h"
#include "core/payments.h"
#include "core/rates.h"
#include "core/widgets/desktopscombo.h"
#include "core/widgets/guihelpers.h"
#include "seances/dialogsupport.h"
#include "seances/payandwrite.h"
#include "seances/selectcomputers.h"

#include <QSignalBlocker>

#include <cstdlib>

namespace
{
const QString RateField = QStringLiteral("Rate");
const QString DesktopField = QStringLiteral("Desktop");
} // namespace

frmEditSeancePrefs::frmEditSeancePrefs(QWidget *Parent)
    : QDialog(Parent)
    , m_ui(new Ui::frmEditSeancePrefs)
{
    m_ui->setupUi(this);
    // The controls' own names; their members cannot carry the classes' names.
    m_ui->ComputersGrid->setObjectName(QStringLiteral("ComputersButtons"));
    m_ui->Rates->setObjectName(QStringLiteral("RatesList"));
    // Room for any difference, so that the line does not shift as it changes.
    m_ui->PriceDifference->setMinimumWidth(
        m_ui->PriceDifference->fontMetrics().horizontalAdvance(QString::number(-SeanceDialogs::MaxSum)));
    const auto recalc = [this] {
        RecalcPriceDifference(Clock::Now());
    };
    connect(m_ui->ComputersGrid, &ComputersButtons::ButtonClick, this, recalc);
    connect(m_ui->Rates, &RatesList::Click, this, recalc);
    connect(m_ui->chRate, &QCheckBox::clicked, this, [this] {
        UpdateEnabledInputs();
        RecalcPriceDifference(Clock::Now());
    });
    connect(m_ui->chDesktop, &QCheckBox::clicked, this, &frmEditSeancePrefs::UpdateEnabledInputs);
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmEditSeancePrefs::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmEditSeancePrefs::~frmEditSeancePrefs() = default;

bool frmEditSeancePrefs::Start(const std::shared_ptr<CompButtons> &Buttons, bool IsNight, QList<qint32> &Written)
{
    m_buttons = Buttons ? Buttons : std::make_shared<CompButtons>();
    m_isNight = IsNight;
    {
        const QSignalBlocker desktopsBlocker(m_ui->DesktopsList);
        const QSignalBlocker ratesBlocker(m_ui->Rates);
        FillDesktopsCombo(m_ui->DesktopsList, false);
        m_ui->Rates->FillRatesList(0, IsNight ? RatesList::NightRates : RatesList::DayRates);
    }
    m_ui->ComputersGrid->SetButtons(m_buttons);
    const QDateTime now = Clock::Now();
    MarkComputers(now);
    // The last computer chosen shows its seance's desktop and rate.
    for (qint32 num : SeanceDialogs::SelectedComputers(*m_buttons)) {
        QString err;
        const auto seance = GetSeanceAt(num, now, err);
        LogDbError(QStringLiteral("Параметры сеанса на компьютере №") + QString::number(num), err);
        if (seance) {
            const QSignalBlocker blocker(m_ui->DesktopsList);
            m_ui->Rates->SetValue(IntValue(*seance, RateField));
            m_ui->DesktopsList->setCurrentIndex(
                FindListIndexByData(m_ui->DesktopsList, IntValue(*seance, DesktopField)));
        }
    }
    UpdateEnabledInputs();
    RecalcPriceDifference(now);
    exec();
    Written = m_desktopWritten;
    return m_outcome == Outcome::DesktopApplied;
}

void frmEditSeancePrefs::MarkComputers(const QDateTime &Moment)
{
    MarkComputersWithSeance(*m_buttons, m_data, Moment, m_isNight);
    m_written.TakeOff(*m_buttons);
    m_ui->ComputersGrid->Refresh();
}

bool frmEditSeancePrefs::NewSum(const Rollstrake::DBRecord &Seance, qint32 &Sum, QString &ErrString) const
{
    const qint32 rate = m_ui->Rates->Value();
    if (!m_isNight) {
        return GetSumForDuration(rate,
                                 DateValueOf(Seance, QStringLiteral("BeginDate")),
                                 DateValueOf(Seance, QStringLiteral("EndDate")),
                                 Sum,
                                 ErrString);
    }
    // A night rate's price per hour is the price of the whole night, whatever the seance's length.
    const auto record = RecordByCode(QStringLiteral("Rates"), rate, ErrString);
    if (!record) {
        return false;
    }
    Sum = SeanceDialogs::NightPrice(*record);
    return true;
}

void frmEditSeancePrefs::UpdateEnabledInputs()
{
    m_ui->DesktopsList->setEnabled(m_ui->chDesktop->isChecked());
    m_ui->Rates->SetEnabled(m_ui->chRate->isChecked());
}

void frmEditSeancePrefs::RecalcPriceDifference(const QDateTime &Moment)
{
    MarkComputers(Moment);
    m_difference = 0;
    if (!m_ui->chRate->isChecked()) {
        m_ui->PriceDifference->setText(QStringLiteral("0"));
        return;
    }
    bool nightRateFound = true;
    if (m_isNight) {
        QString err;
        nightRateFound = RecordByCode(QStringLiteral("Rates"), m_ui->Rates->Value(), err) != nullptr;
        if (!nightRateFound) {
            SeanceDialogs::ShowError(this, err.isEmpty() ? QStringLiteral("Не найден тариф!") : err);
        }
    }
    for (qsizetype i = 1; i <= m_buttons->Count() && nightRateFound; ++i) {
        if (!m_ui->ComputersGrid->ButtonSelected(i) || !m_ui->ComputersGrid->ButtonEnable(i)) {
            continue;
        }
        QString err;
        const auto seance = GetSeanceAt(m_ui->ComputersGrid->ButtonComputerNum(i), Moment, err);
        qint32 sum = 0;
        qint32 paid = 0;
        if (seance && NewSum(*seance, sum, err)) {
            paid = GetSeanceFullPaidSum(seance, err);
        }
        if (!err.isEmpty()) {
            // Its difference is unknown: it is no longer chosen, so nothing is paid for it.
            m_ui->ComputersGrid->SetButtonEnable(i, false);
            SeanceDialogs::ShowError(this, err);
            continue;
        }
        if (seance) {
            m_difference += qint64(sum) - paid;
        }
    }
    m_ui->PriceDifference->setText(QString::number(m_difference));
}

void frmEditSeancePrefs::OnApply()
{
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    if (m_ui->DesktopsList->currentIndex() < 0) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран рабочий стол!"));
        return;
    }
    if (!m_ui->chDesktop->isChecked() && !m_ui->chRate->isChecked()) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не указаны изменения!"));
        return;
    }
    const QDateTime now = Clock::Now();
    RecalcPriceDifference(now);
    if (std::llabs(m_difference) > SeanceDialogs::MaxSum) {
        SeanceDialogs::ShowError(this, QStringLiteral("Разница в сумме превышает 999 999 руб.!"));
        return;
    }
    const auto write = [&](qint32 Num, qint32 Card, QString &ErrString) {
        return WriteComputer(Num, now, Card, ErrString);
    };
    const QList<qint32> chosen = SeanceDialogs::SelectedComputers(*m_buttons);
    const bool applied = SeanceDialogs::PayAndWrite(this, static_cast<qint32>(m_difference), chosen, write, m_written);
    for (qint32 num : chosen) {
        // Written in this pass: the computers of earlier ones are no longer chosen.
        if (m_ui->chDesktop->isChecked() && m_written.Contains(num)) {
            m_desktopWritten.append(num);
        }
    }
    if (!applied) {
        // The difference shown is now the rest's.
        RecalcPriceDifference(Clock::Now());
        return;
    }
    m_outcome = m_ui->chDesktop->isChecked() ? Outcome::DesktopApplied : Outcome::Applied;
    accept();
}

bool frmEditSeancePrefs::WriteComputer(qint32 ComputerNum, const QDateTime &Now, qint32 Card, QString &ErrString) const
{
    const auto seance = GetSeanceAt(ComputerNum, Now, ErrString);
    // A seance that ended meanwhile is passed over.
    if (!seance) {
        return ErrString.isEmpty();
    }
    const qint32 oldDesktop = IntValue(*seance, DesktopField);
    const qint32 oldRate = IntValue(*seance, RateField);
    qint32 difference = 0;
    qint32 cardPart = 0;
    if (m_ui->chDesktop->isChecked()) {
        SetFieldValue(*seance, DesktopField, m_ui->DesktopsList->currentData().toInt());
    }
    if (m_ui->chRate->isChecked()) {
        const qint32 paid = GetSeanceFullPaidSum(seance, ErrString);
        if (!ErrString.isEmpty()) {
            return false;
        }
        qint32 sum = 0;
        if (!NewSum(*seance, sum, ErrString)) {
            if (ErrString.isEmpty()) {
                ErrString = QStringLiteral("Тариф не найден!");
            }
            return false;
        }
        difference = sum - paid;
        if (!PaySeance(seance->Code(), 0, Now, Card, difference, cardPart, ErrString)) {
            return false;
        }
        SetFieldValue(*seance, RateField, m_ui->Rates->Value());
    }
    if (!seance->Update(ErrString)) {
        return false;
    }
    const qint32 newDesktop = IntValue(*seance, DesktopField);
    const qint32 newRate = IntValue(*seance, RateField);
    if (newDesktop == oldDesktop && newRate == oldRate) {
        return true;
    }
    const NameChange desktop{newDesktop != oldDesktop, GetDesktopName(oldDesktop), GetDesktopName(newDesktop)};
    const NameChange rate{newRate != oldRate, GetRateName(oldRate), GetRateName(newRate)};
    return AddHistory(ComputerNum, SeancePrefsChangedHistoryText(desktop, rate, difference, cardPart), ErrString);
}
