#include "seances/frmmoveseance.h"

#include "ui_frmmoveseance.h"

#include "clock.h"
#include "core/compbuttons.h"
#include "core/computerlookups.h"
#include "core/dbvalues.h"
#include "seances/dialogsupport.h"
#include "seances/selectcomputers.h"

frmMoveSeance::frmMoveSeance(QWidget *Parent)
    : QDialog(Parent)
    , m_ui(new Ui::frmMoveSeance)
{
    m_ui->setupUi(this);
    // The grid's own name; its member cannot carry the class's name.
    m_ui->ComputersGrid->setObjectName(QStringLiteral("ComputersButtons"));
    m_ui->ComputersGrid->SetSingleSelect(true);
    connect(m_ui->Apply, &QPushButton::clicked, this, &frmMoveSeance::OnApply);
    connect(m_ui->Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

frmMoveSeance::~frmMoveSeance() = default;

qint32 frmMoveSeance::Start(qint32 FromNum, qint32 SeanceCode)
{
    m_fromNum = FromNum;
    m_seanceCode = SeanceCode;
    m_ui->tCompFrom->setText(QString::number(FromNum));
    m_buttons = GetComputers();
    m_ui->ComputersGrid->SetButtons(m_buttons);
    MarkComputers(Clock::Now());
    exec();
    return m_movedTo;
}

void frmMoveSeance::MarkComputers(const QDateTime &Moment)
{
    MarkComputersWithoutSeance(*m_buttons, m_data, Moment);
    m_ui->ComputersGrid->Refresh();
}

void frmMoveSeance::OnApply()
{
    // A computer that started a seance meanwhile is no longer a choice.
    MarkComputers(Clock::Now());
    const qint32 target = m_ui->ComputersGrid->Value();
    if (target == 0) {
        SeanceDialogs::ShowError(this, QStringLiteral("Не выбран компьютер!"));
        return;
    }
    if (target == m_fromNum) {
        SeanceDialogs::ShowError(this, QStringLiteral("Некорректно указан компьютер для пересадки!"));
        return;
    }
    QString err;
    const auto seance = RecordByCode(QStringLiteral("Seances"), m_seanceCode, err);
    if (!seance) {
        SeanceDialogs::ShowError(this, err.isEmpty() ? QStringLiteral("Сеанс не найден!") : err);
        return;
    }
    const auto computer = GetComputerRecord(target, err);
    if (!computer) {
        SeanceDialogs::ShowError(this,
                                 err.isEmpty() ? QStringLiteral("Компьютер №") + QString::number(target)
                                                     + QStringLiteral(" не найден!")
                                               : err);
        return;
    }
    SetFieldValue(*seance, QStringLiteral("Computer"), computer->Code());
    if (!seance->Update(err)) {
        SeanceDialogs::ShowError(this, err);
        return;
    }
    m_movedTo = target;
    accept();
}
