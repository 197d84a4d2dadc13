#pragma once

#include "chaosscript.h"

#include <QList>
#include <QTemporaryDir>

// The club that the chaos driver plays against: a data folder with the program's embedded
// database, the club's computers on loopback addresses of this process, one seance whose desktop
// has the internet, the relay switched on with an outer proxy, and the settings newer than every
// computer's copy, so that the program sends them on the first state report.
class ChaosClub final
{
public:
    static constexpr int Computers = 8;
    // The club's computers are TestNetwork::ClientIP of this and the hosts after it.
    static constexpr int FirstComputerHost = 10;
    static constexpr int Strangers = 8;

    // Writes the database, with a seance that has the internet on the first InternetComputers
    // computers; false with the reason.
    bool Prepare(quint16 RelayPort, quint16 OuterProxyPort, QString &ErrString, int InternetComputers = 1);

    QString DataFolder() const;
    QString DatabaseFile() const;
    // The addresses as the script plays them (the club's computers first).
    ChaosScript::Club Addresses(quint16 OriginPort) const;
    // The record codes of the club's computers.
    QList<qint32> ComputerCodes() const;

private:
    bool Fill(quint16 RelayPort, quint16 OuterProxyPort, int InternetComputers, QString &ErrString);
    qint32 Add(const QString &Table, const QList<QPair<QString, QVariant>> &Values, QString &ErrString);

    QTemporaryDir m_folder;
    QList<qint32> m_computerCodes;
    qint32 m_seance = 0;
};
