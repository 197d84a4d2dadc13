#pragma once

#include "seances/seancedata.h"
#include "seances/tilefeedback.h"

#include <QHash>
#include <QMap>
#include <QStringList>

// The club's records as plain values, for the tile's decisions; the database-backed data has its
// own suite.
class MemorySeanceData : public SeanceData
{
public:
    struct Computer
    {
        qint32 Num = 0;
        QString IP;
        QString Name;
    };

    QList<Computer> Computers;
    // Seance code → seance, and which computer runs it.
    QMap<qint32, Seance> Seances;
    QHash<qint32, qint32> SeanceComputer;
    QHash<qint32, bool> DesktopInternet;
    QHash<qint32, NightInfo> Nights;
    QHash<QString, QString> Config;
    QHash<qint32, QString> Shortcuts;
    bool NightTime = false;
    QString SaveError;
    // While set, every seance lookup fails with it, as a database that cannot be read.
    QString ReadError;
    int Saves = 0;
    int SeanceReads = 0;
    int NightReads = 0;

    void AddComputer(qint32 num)
    {
        Computers.append({num, QStringLiteral("127.0.0.%1").arg(num), QString()});
    }

    void AddSeance(qint32 code, qint32 num, const QDateTime &begin, const QDateTime &end, qint32 desktop = 1)
    {
        Seance s;
        s.Code = code;
        s.BeginDate = begin;
        s.EndDate = end;
        s.Desktop = desktop;
        Seances.insert(code, s);
        SeanceComputer.insert(code, num);
    }

    QList<qint32> ComputerNums() override
    {
        QList<qint32> nums;
        for (const Computer &c : Computers) {
            nums.append(c.Num);
        }
        return nums;
    }

    bool ComputerExists(qint32 Num) override
    {
        return Find(Num) != nullptr;
    }

    QString ComputerIP(qint32 Num) override
    {
        const Computer *c = Find(Num);
        return c ? c->IP : QString();
    }

    QString ComputerName(qint32 Num) override
    {
        const Computer *c = Find(Num);
        if (!c) {
            return QString();
        }
        return c->Name.isEmpty() ? QString::number(Num) : QString::number(Num) + QStringLiteral(": ") + c->Name;
    }

    std::optional<Seance> SeanceAt(qint32 Num, const QDateTime &Moment, QString &ErrString) override
    {
        ++SeanceReads;
        if (!ReadError.isEmpty()) {
            ErrString = ReadError;
            return std::nullopt;
        }
        for (const Seance &s : std::as_const(Seances)) {
            if (SeanceComputer.value(s.Code) == Num && s.BeginDate <= Moment && Moment <= s.EndDate) {
                return s;
            }
        }
        return std::nullopt;
    }

    std::optional<Seance> FindSeance(qint32 Code, QString &ErrString) override
    {
        if (!ReadError.isEmpty()) {
            ErrString = ReadError;
            return std::nullopt;
        }
        const auto it = Seances.constFind(Code);
        return it == Seances.cend() ? std::nullopt : std::optional<Seance>(*it);
    }

    std::optional<bool> DesktopAllowsInternet(qint32 Desktop) override
    {
        const auto it = DesktopInternet.constFind(Desktop);
        return it == DesktopInternet.cend() ? std::nullopt : std::optional<bool>(*it);
    }

    bool SaveSeanceTraffic(qint32 Code, Currency Downloaded, Currency Uploaded, QString &ErrString) override
    {
        ++Saves;
        if (!SaveError.isEmpty()) {
            ErrString = SaveError;
            return false;
        }
        Seances[Code].Downloaded = Downloaded;
        Seances[Code].Uploaded = Uploaded;
        return true;
    }

    NightInfo NightState(qint32 Num, const QDateTime &) override
    {
        ++NightReads;
        return Nights.value(Num);
    }

    bool IsNightTime(const QDateTime &) override
    {
        return NightTime;
    }

    QString ConfigValue(const QString &Name) override
    {
        return Config.value(Name);
    }

    std::optional<QString> ShortcutCaption(qint32 Code) override
    {
        const auto it = Shortcuts.constFind(Code);
        return it == Shortcuts.cend() ? std::nullopt : std::optional<QString>(*it);
    }

private:
    const Computer *Find(qint32 Num) const
    {
        for (const Computer &c : Computers) {
            if (c.Num == Num) {
                return &c;
            }
        }
        return nullptr;
    }
};

// Records what the tiles ask of the world outside.
class RecordingFeedback : public TileFeedback
{
public:
    int Beeps = 0;
    int Forwards = 0;
    QStringList Logged;
    QStringList Shown;

    void Beep(int Times) override
    {
        Beeps += Times;
    }

    void BringMainWindowForward() override
    {
        ++Forwards;
    }

    void LogError(const QString &Text) override
    {
        Logged.append(Text);
    }

    void ShowError(const QString &Text) override
    {
        Shown.append(Text);
    }
};
