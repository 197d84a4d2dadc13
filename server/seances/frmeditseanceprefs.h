#pragma once

#include "seances/dbseancedata.h"
#include "seances/writtencomputers.h"

#include <QDateTime>
#include <QDialog>

#include <memory>

class CompButtons;

namespace Rollstrake
{
class DBRecord;
}

namespace Ui
{
class frmEditSeancePrefs;
}

// The dialog that changes the desktop and/or the rate of running seances on one or more computers.
// A new desktop costs nothing; a new rate re-prices the whole seance against all that was paid for
// it, and the difference is paid or refunded. Each computer's change, payment and history line are
// stored all or nothing.
class frmEditSeancePrefs final : public QDialog
{
    Q_OBJECT

public:
    explicit frmEditSeancePrefs(QWidget *Parent = nullptr);
    ~frmEditSeancePrefs() override;

    // Shows the dialog over the entries for night or day seances, modally. True only when applied
    // with the desktop changed: only then must the clients receive their seances again. Written:
    // every computer written with the desktop changed, in the order written, however the dialog
    // ended (also Cancel after a failure part-way).
    bool Start(const std::shared_ptr<CompButtons> &Buttons, bool IsNight, QList<qint32> &Written);

private:
    enum class Outcome
    {
        Cancelled = 0,
        Applied = 1,
        DesktopApplied = 2,
    };

    // Only computers running a seance of the dialog's kind at Moment may be chosen.
    void MarkComputers(const QDateTime &Moment);
    // The seance's full price at the rate chosen: a whole night's price, or its period's for a day seance.
    bool NewSum(const Rollstrake::DBRecord &Seance, qint32 &Sum, QString &ErrString) const;
    void UpdateEnabledInputs();
    // The total difference of the computers chosen; a computer whose difference cannot be made is
    // taken off the choice, after a box.
    void RecalcPriceDifference(const QDateTime &Moment);
    void OnApply();
    bool WriteComputer(qint32 ComputerNum, const QDateTime &Now, qint32 Card, QString &ErrString) const;

    const std::unique_ptr<Ui::frmEditSeancePrefs> m_ui;
    std::shared_ptr<CompButtons> m_buttons;
    DbSeanceData m_data;
    bool m_isNight = false;
    qint64 m_difference = 0;
    Outcome m_outcome = Outcome::Cancelled;
    // Off the grid after a failure part-way, so that OK again applies only to the rest.
    WrittenComputers m_written;
    // Those of them written with the desktop changed.
    QList<qint32> m_desktopWritten;
};
