#pragma once

#include "seances/dbseancedata.h"

#include <QDateTime>
#include <QDialog>

#include <memory>

class CompButtons;

namespace Ui
{
class frmReserveNight;
}

// The dialog that reserves one computer for one night in a customer's name, on a desktop and a
// night rate, paid in full or with the rate's reserve prepayment. The reserve, its payment and its
// history line are stored all or nothing.
class frmReserveNight final : public QDialog
{
    Q_OBJECT

public:
    explicit frmReserveNight(QWidget *Parent = nullptr);
    ~frmReserveNight() override;

    // Shows the dialog over the entries (enabled and pre-selected by the caller for tonight),
    // modally; true when a reserve was written.
    bool Start(const std::shared_ptr<CompButtons> &Buttons);

private:
    // The last moment of the day chosen: the night that begins that evening.
    QDateTime NightMoment() const;
    // The full price of the night, or the rate's reserve prepayment; 0 without a rate.
    void UpdatePrice();
    void OnNightDateChanged();
    void OnApply();
    // The reserve, its payment and its history line; refused when the night is taken meanwhile.
    bool WriteReserve(qint32 ComputerNum,
                      const QDateTime &NightDate,
                      const QDateTime &Now,
                      qint32 Price,
                      qint32 Card,
                      QString &ErrString) const;

    const std::unique_ptr<Ui::frmReserveNight> m_ui;
    std::shared_ptr<CompButtons> m_buttons;
    DbSeanceData m_data;
    qint32 m_price = 0;
    bool m_applied = false;
};
