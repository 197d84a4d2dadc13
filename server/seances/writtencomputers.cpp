#include "seances/writtencomputers.h"

#include "core/compbuttons.h"

void WrittenComputers::Add(qint32 ComputerNum)
{
    if (!Contains(ComputerNum)) {
        m_computers.append(ComputerNum);
    }
}

bool WrittenComputers::Contains(qint32 ComputerNum) const
{
    return m_computers.contains(ComputerNum);
}

void WrittenComputers::TakeOff(CompButtons &Buttons) const
{
    for (const auto &button : Buttons) {
        if (Contains(button->ComputerNum())) {
            button->SetSelected(false);
            button->SetEnabled(false);
        }
    }
}
