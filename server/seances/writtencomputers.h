#pragma once

#include <QList>

class CompButtons;

// The computers a seance dialog has already written. After a failure part-way through its computers
// they stay off its grid's choice, so that OK pressed again applies only to the rest and never
// charges a written computer twice; and however the dialog ends, it hands them to its caller, whose
// tiles tell their clients.
class WrittenComputers final
{
public:
    void Add(qint32 ComputerNum);
    bool Contains(qint32 ComputerNum) const;

    // In the order written, each once.
    QList<qint32> Computers() const
    {
        return m_computers;
    }

    // Deselects and disables the entries of the written computers; run after every marking.
    void TakeOff(CompButtons &Buttons) const;

private:
    QList<qint32> m_computers;
};
