#pragma once

#include "seances/dbseancedata.h"
#include "seances/writtencomputers.h"

#include <QDateTime>
#include <QDialog>
#include <QTimer>

#include <memory>

class CompButtons;

namespace Ui
{
class frmAddSeance;
}

// The dialog that starts prepaid day seances on one or more computers at once: a desktop, a day rate
// and one of duration, end or price, from which it computes the other two for one computer. Each
// selected computer gets its seance, its payment and its history line, all or nothing.
class frmAddSeance final : public QDialog
{
    Q_OBJECT

public:
    explicit frmAddSeance(QWidget *Parent = nullptr);
    ~frmAddSeance() override;

    // Shows the dialog over the entries, modally; true when seances were written. False without
    // showing, after a box, when there is no desktop or no day rate. Written: every computer
    // written, in the order written, however the dialog ended (also Cancel after a failure part-way).
    bool Start(const std::shared_ptr<CompButtons> &Buttons, QList<qint32> &Written);

private:
    // Which input the seance is computed from; Remembered takes the last one used.
    enum class RecalcMode
    {
        Remembered = 0,
        Duration = 1,
        End = 2,
        Price = 3,
    };

    // One computer's seance as the last successful recalculation computed it; Apply writes it.
    struct Calculation
    {
        qint32 Minutes = 0;
        QDateTime End;
        qint32 Sum = 0;
    };

    // Marks the computers free at Begin, then computes one computer's seance from the input of the
    // mode and shows it with the total of the computers chosen; false, after a box, when it cannot.
    bool RecalcSeance(const QDateTime &Begin, RecalcMode Mode);
    // The same without the box: false with the reason, the inputs keeping what was typed.
    bool CalcSeanceValues(const QDateTime &Begin, RecalcMode Mode, QString &ErrString);
    void ShowSeanceValues(qint32 Total, const Calculation &Seance);
    // What the inputs show: the total, the minutes and the end to the minute.
    Calculation ShownValues() const;
    // True when what is shown is what the operator saw (Seen); otherwise a box names the change, the
    // new values being shown for the next OK.
    bool ShownAsSeen(const Calculation &Seen);
    // The values follow the clock while the dialog is open, so that OK rarely finds them changed; a
    // price being typed, and a seance being booked, are left alone.
    void OnClockTick();
    void OnRateClick();
    void OnApply();
    // The seance, payment and history line of one computer.
    bool WriteComputer(qint32 ComputerNum, const QDateTime &Now, qint32 Card, QString &ErrString);

    const std::unique_ptr<Ui::frmAddSeance> m_ui;
    std::shared_ptr<CompButtons> m_buttons;
    DbSeanceData m_data;
    RecalcMode m_mode = RecalcMode::Remembered;
    Calculation m_seance;
    QTimer m_clockTimer;
    // The minute of the last calculation's begin.
    QDateTime m_calculatedMinute;
    bool m_applied = false;
    // Off the grid after a failure part-way, so that OK again applies only to the rest.
    WrittenComputers m_written;
};
