#pragma once

#include "seances/seancedata.h"

// The tiles' data in the program's open database, through the settings store and the computer,
// seance and night lookups. Failed reads that the interface cannot return go to the main log.
class DbSeanceData final : public SeanceData
{
public:
    QList<qint32> ComputerNums() override;
    // Rebuilds the program's cache of computer numbers.
    void ComputersChanged() override;
    bool ComputerExists(qint32 Num) override;
    QString ComputerIP(qint32 Num) override;
    QString ComputerName(qint32 Num) override;
    std::optional<Seance> SeanceAt(qint32 Num, const QDateTime &Moment, QString &ErrString) override;
    std::optional<Seance> FindSeance(qint32 Code, QString &ErrString) override;
    std::optional<bool> DesktopAllowsInternet(qint32 Desktop) override;
    bool SaveSeanceTraffic(qint32 Code, Currency Downloaded, Currency Uploaded, QString &ErrString) override;
    NightInfo NightState(qint32 Num, const QDateTime &Moment) override;
    NightInfo NightStateWith(qint32 Num, const QDateTime &Moment, const std::optional<Seance> &Running) override;
    bool IsNightTime(const QDateTime &Moment) override;
    QString ConfigValue(const QString &Name) override;
    std::optional<QString> ShortcutCaption(qint32 Code) override;
};
