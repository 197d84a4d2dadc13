#pragma once

#include "seances/dbseancedata.h"

#include <QDateTime>
#include <QDialog>

#include <memory>

class CompButtons;

namespace Ui
{
class frmMoveSeance;
}

// The dialog that moves one running seance to an idle computer: the customer changes seats and keeps
// the time and the money paid. Only the seance's computer changes; the caller writes the history line.
class frmMoveSeance final : public QDialog
{
    Q_OBJECT

public:
    explicit frmMoveSeance(QWidget *Parent = nullptr);
    ~frmMoveSeance() override;

    // Shows the computers without a running seance, modally; the number of the computer the seance
    // now runs on, or 0 when nothing was moved.
    qint32 Start(qint32 FromNum, qint32 SeanceCode);

private:
    void MarkComputers(const QDateTime &Moment);
    void OnApply();

    const std::unique_ptr<Ui::frmMoveSeance> m_ui;
    std::shared_ptr<CompButtons> m_buttons;
    DbSeanceData m_data;
    qint32 m_fromNum = 0;
    qint32 m_seanceCode = 0;
    qint32 m_movedTo = 0;
};
