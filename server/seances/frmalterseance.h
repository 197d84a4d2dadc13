#pragma once

#include "seances/dbseancedata.h"
#include "seances/writtencomputers.h"

#include <QDateTime>
#include <QDialog>

#include <memory>
#include <optional>

class CompButtons;

namespace Rollstrake
{
class DBRecord;
}

namespace Ui
{
class frmAlterSeance;
}

// The dialog that extends, shortens or re-ends running day seances on one or more computers: by a
// number of minutes added to each, by one new end for all, or by the money the operator types, which
// it turns into minutes. The difference against what each seance has paid is paid or refunded, and
// each computer's change, payment and history line are stored all or nothing.
class frmAlterSeance final : public QDialog
{
    Q_OBJECT

public:
    explicit frmAlterSeance(QWidget *Parent = nullptr);
    ~frmAlterSeance() override;

    // Shows the dialog over the entries, modally; true when seances were changed. Written: every
    // computer written, in the order written, however the dialog ended (also Cancel after a failure
    // part-way).
    bool Start(const std::shared_ptr<CompButtons> &Buttons, QList<qint32> &Written);

private:
    // One computer's running seance and what the inputs make of it.
    struct SeanceChange
    {
        std::shared_ptr<Rollstrake::DBRecord> Seance;
        QDateTime Begin;
        QDateTime OldEnd;
        QDateTime NewEnd;
        qint32 Duration = 0;
        qint32 NewDuration = 0;
        qint32 Paid = 0;
        qint32 NewSum = 0;
    };

    // Only computers running a day seance at Moment may be chosen.
    void MarkComputers(const QDateTime &Moment);
    // The change of the seance running on the computer at Moment; none when it runs none. False with
    // the reason when it cannot be read or made.
    bool MakeChange(qint32 ComputerNum,
                    const QDateTime &Moment,
                    std::optional<SeanceChange> &Change,
                    QString &ErrString) const;
    // From the minutes or the end (FromTime), or from the money typed: shows the total difference;
    // false, after a box, when it cannot.
    bool RecalcSeance(const QDateTime &Moment, bool FromTime);
    // The minutes that the money typed buys each computer's seance, the largest change winning.
    bool RecalcFromPrice(const QDateTime &Moment);
    void UpdateModeInputs();
    void OnModeClick();
    void OnActiveSumClick();
    void OnApply();
    bool WriteComputer(qint32 ComputerNum, const QDateTime &Now, qint32 Card, QString &ErrString) const;

    const std::unique_ptr<Ui::frmAlterSeance> m_ui;
    std::shared_ptr<CompButtons> m_buttons;
    DbSeanceData m_data;
    // The rate of the first chosen computer's seance at the start: money typed buys minutes at it.
    qint32 m_rate = 0;
    bool m_applied = false;
    // Off the grid after a failure part-way, so that OK again applies only to the rest.
    WrittenComputers m_written;
};
