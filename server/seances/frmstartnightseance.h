#pragma once

#include "seances/dbseancedata.h"
#include "seances/writtencomputers.h"

#include <QDateTime>
#include <QDialog>

#include <memory>

class CompButtons;

namespace Ui
{
class frmStartNightSeance;
}

// The dialog that sells night seances without a reserve on one or more computers at once: from now
// to the end of the night, on a desktop and a night rate whose price is that of one whole night on
// one computer. Each computer chosen gets its seance, its payment and its history line, all or
// nothing.
class frmStartNightSeance final : public QDialog
{
    Q_OBJECT

public:
    explicit frmStartNightSeance(QWidget *Parent = nullptr);
    ~frmStartNightSeance() override;

    // Shows the dialog over the entries, modally; true when night seances were written. Written:
    // every computer written, in the order written, however the dialog ended (also Cancel after a
    // failure part-way).
    bool Start(const std::shared_ptr<CompButtons> &Buttons, QList<qint32> &Written);

    // Shows the night date of the moment (null: now), leaves only the computers that may take a night
    // seance then and shows the total of those chosen (of one computer when none is); false, after a
    // box, when the rate chosen cannot be read or the total is beyond six digits.
    bool RecalcNightPrice(const QDateTime &Moment);

private:
    void ShowTotal(qint32 Total);
    void OnApply();
    // The seance, payment and history line of one computer.
    bool WriteComputer(qint32 ComputerNum, const QDateTime &Now, qint32 Card, QString &ErrString) const;

    const std::unique_ptr<Ui::frmStartNightSeance> m_ui;
    std::shared_ptr<CompButtons> m_buttons;
    DbSeanceData m_data;
    // The price of the night for one computer, as the last recalculation read it.
    qint32 m_nightPrice = 0;
    qint32 m_total = 0;
    bool m_applied = false;
    // Off the grid after a failure part-way, so that OK again applies only to the rest.
    WrittenComputers m_written;
};
