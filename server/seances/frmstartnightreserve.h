#pragma once

#include "seances/dbseancedata.h"

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
class frmStartNightReserve;
}

// The dialog that turns tonight's reserve of one computer into a night seance: from now to the end
// of the night, on the reserve's desktop and rate, with what the reserve has not paid of the night's
// price. The seance, its payment, the reserve's link to it and the history line are stored all or
// nothing, so a reserve is activated and charged once.
class frmStartNightReserve final : public QDialog
{
    Q_OBJECT

public:
    explicit frmStartNightReserve(QWidget *Parent = nullptr);
    ~frmStartNightReserve() override;

    // Shows the dialog over the entries, modally; true when a reserve was activated. The dialog
    // works with the present moment: Moment is not read.
    bool Start(const std::shared_ptr<CompButtons> &Buttons, const QDateTime &Moment);

    // Shows the night date of the moment (null: now), leaves only the computers whose reserve may
    // be activated then and shows the reserve of the one chosen with what is left to pay; false,
    // after a box, when the reserve's rate or payments cannot be read.
    bool RefreshReserve(const QDateTime &Moment);

private:
    void ShowReserve(const std::shared_ptr<Rollstrake::DBRecord> &Reserve, qint32 Price);
    void OnApply();
    // The seance, its payment, the reserve's link and the history line of the computer.
    bool WriteComputer(qint32 ComputerNum,
                       qint32 ReserveCode,
                       const QDateTime &Now,
                       qint32 Price,
                       qint32 Card,
                       QString &ErrString) const;

    const std::unique_ptr<Ui::frmStartNightReserve> m_ui;
    std::shared_ptr<CompButtons> m_buttons;
    DbSeanceData m_data;
    // The reserve shown, none when no usable reserve is chosen.
    std::shared_ptr<Rollstrake::DBRecord> m_reserve;
    qint32 m_price = 0;
    bool m_applied = false;
};
