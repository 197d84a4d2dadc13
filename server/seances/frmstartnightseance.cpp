#include "seances/frmstartnightseance.h"

#include "ui_frmstartnightseance.h"

#include "clock.h"
#include "controls/focusvalidator.h"
#include "core/compbuttons.h"
#include "core/history.h"
#include "core/historytexts.h"
#include "core/night.h"
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

#include <QSignalBlocker>

frmStartNightSeance::frmStartNightSeance(QWidget *Parent)
    : QDialog(Parent)
    , m_ui(new Ui::frmStartNightSeance)
{
    m_ui->setupUi(this);
    // The controls' own names; their members cannot carry the classes' names.
    m_ui->ComputersGrid->setObjectName(QStringLiteral("ComputersButtons"));
    m_ui->Rates->setObjectName(QStringLiteral("RatesList"));
    const auto recalc = [this] {
        RecalcNightPrice(Clock::Now());
    };
    connect(m_ui->ComputersGrid, &ComputersButtons::ButtonClick, this, recalc);
    connect(m_ui->Rates, &RatesList::Click, this, recalc);
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmStartNightSeance::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmStartNightSeance::~frmStartNightSeance() = default;

bool frmStartNightSeance::Start(const std::shared_ptr<CompButtons> &Buttons, QList<qint32> &Written)
{
    m_buttons = Buttons ? Buttons : std::make_shared<CompButtons>();
    {
        const QSignalBlocker desktopsBlocker(m_ui->DesktopsList);
        const QSignalBlocker ratesBlocker(m_ui->Rates);
        FillDesktopsCombo(m_ui->DesktopsList, false);
        if (m_ui->DesktopsList->count() > 0) {
            m_ui->DesktopsList->setCurrentIndex(0);
        }
        m_ui->Rates->FillRatesList(0, RatesList::NightRates);
    }
    m_ui->ComputersGrid->SetButtons(m_buttons);
    RecalcNightPrice(Clock::Now());
    CenterForm(this);
    exec();
    Written = m_written.Computers();
    return m_applied;
}

bool frmStartNightSeance::RecalcNightPrice(const QDateTime &Moment)
{
    const QDateTime moment = MomentOrNow(Moment);
    m_ui->NightDate->setText(DateToString(GetNightDate(moment), false, QStringLiteral("/")));
    // At night only, on computers whose night is free or whose reserve is used or lapsed, and which
    // run no seance.
    SelectComputers(*m_buttons, m_data, moment, true, false, true, true, false, false, false, true);
    m_written.TakeOff(*m_buttons);
    m_ui->ComputersGrid->Refresh();
    m_nightPrice = 0;
    const qint32 rate = m_ui->Rates->Value();
    if (rate == 0) {
        ShowTotal(0);
        return true;
    }
    QString reason;
    const auto record = SeanceDialogs::FindRecord(QStringLiteral("Rates"), rate, reason);
    if (!record) {
        SeanceDialogs::ShowError(this, QStringLiteral("Тариф не найден: ") + reason);
        ShowTotal(0);
        return false;
    }
    const qint32 price = SeanceDialogs::NightPrice(*record);
    const qint64 computers = qMax<qint64>(SeanceDialogs::SelectedComputers(*m_buttons).size(), 1);
    const qint64 total = price * computers;
    // The total is what the payment dialog takes: six digits.
    if (qAbs(total) > SeanceDialogs::MaxSum) {
        SeanceDialogs::ShowError(this, QStringLiteral("Сумма сеансов превышает 999 999 руб.!"));
        ShowTotal(0);
        return false;
    }
    m_nightPrice = price;
    ShowTotal(static_cast<qint32>(total));
    return true;
}

void frmStartNightSeance::ShowTotal(qint32 Total)
{
    m_total = Total;
    m_ui->Price->setText(QString::number(Total));
}

void frmStartNightSeance::OnApply()
{
    if (!FocusValidator::ValidateFocusWidget()) {
        return;
    }
    const QDateTime now = Clock::Now();
    const qint32 seen = m_total;
    // Taken after the recalculation: a computer that is no longer allowed neither pays nor makes the
    // others pay its share.
    if (!RecalcNightPrice(now)) {
        return;
    }
    const QList<qint32> computers = SeanceDialogs::SelectedComputers(*m_buttons);
    if (computers.isEmpty()) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран компьютер!"));
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
    if (!SeanceDialogs::SumAsSeen(this, seen, m_total)) {
        return;
    }
    m_applied = SeanceDialogs::PayAndWrite(
        this,
        m_total,
        computers,
        [&](qint32 Num, qint32 Card, QString &ErrString) { return WriteComputer(Num, now, Card, ErrString); },
        m_written);
    if (m_applied) {
        accept();
        return;
    }
    // The total shown is now the rest's.
    RecalcNightPrice(Clock::Now());
}

bool frmStartNightSeance::WriteComputer(qint32 ComputerNum, const QDateTime &Now, qint32 Card, QString &ErrString) const
{
    const qint32 desktop = m_ui->DesktopsList->currentData().toInt();
    const qint32 rate = m_ui->Rates->Value();
    const SeanceDialogs::SeanceSpan span = SeanceDialogs::NightSeanceSpan(Now);
    const auto seance = SeanceDialogs::AddSeanceRecord(ComputerNum, desktop, rate, Now, span, ErrString);
    // The total shown is the night's price times the computers: each pays one night.
    qint32 cardPart = 0;
    return seance && PaySeance(seance->Code(), 0, Now, Card, m_nightPrice, cardPart, ErrString)
           && AddHistory(ComputerNum,
                         SeanceAddedHistoryText(SeanceStartKind::NightSeance,
                                                Now,
                                                span.End,
                                                span.Minutes,
                                                GetDesktopName(desktop),
                                                GetRateName(rate),
                                                m_nightPrice,
                                                cardPart),
                         ErrString);
}
