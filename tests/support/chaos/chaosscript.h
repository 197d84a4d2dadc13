#pragma once

#include "chaosplan.h"

#include <QString>
#include <QStringList>

#include <random>

namespace Pelloxan
{
class MessagePack;
}

// The chaos driver's random choices, all drawn from one generator seeded once, so that a seed
// replays the same plans in the same order (the program's timing still varies from run to run).
class ChaosScript final
{
public:
    // The club as the driver plays it: the club's computers first, then unknown addresses.
    struct Club
    {
        QStringList Addresses;
        int Computers = 0;
        // The computer whose seance has the internet, and that seance.
        int InternetComputer = 0;
        qint32 InternetSeance = 0;
        quint16 OriginPort = 0;
    };

    ChaosScript(quint64 Seed, const Club &Club);

    const Club &Addresses() const;
    ChaosPlan NextControl();
    ChaosPlan NextRelay();
    DialogAction NextDialogAction();
    // What a club computer answers to a request of the program: the truth, or (not Truthful) any
    // value a confused client might give.
    QByteArray Answer(const Pelloxan::MessagePack &Request, int Address, bool Truthful);
    // A cut position inside Size bytes that sweeps every position in turn.
    qsizetype Sweep(qsizetype Size);
    QByteArray Garbage();
    int Between(int Low, int High);
    bool Chance(int Percent);

    // A state report of a club computer as it reports its seance.
    QByteArray StateReport(int Address, qint32 Code) const;

private:
    QByteArray ValidMessage(int Address, int &Answers);
    QByteArray StateText(int Address);
    QByteArray LastMessage(ChaosPlan &Plan);
    static QByteArray Frame(qint32 Direction, qint32 Code, int Header, const QString &Text);
    QByteArray RelayRequest();
    void ChooseEnding(ChaosPlan &Plan);

    std::mt19937_64 m_random;
    Club m_club;
    qsizetype m_sweep = 0;
    qint32 m_code = 0;
};
