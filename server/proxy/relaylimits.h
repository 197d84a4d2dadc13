#pragma once

#include <QHash>
#include <QSet>
#include <QString>

// Which connections the relay keeps of those it accepts. It holds at most a quarter of the
// process's descriptor limit in pairs (each pair holds two descriptors): the rest is the room of the
// client port, the database, the logs and the server's own connections to the club computers, and
// no flood at the relay takes it. Within that share, addresses that are no club computer together
// hold at most a quarter, so that the club computers always find room; and each address holds at
// most its own number of connections at a time.
class RelayLimits final
{
public:
    // Connections at a time from one club computer: a browser opens 6-8 to one proxy, and a club
    // computer runs several browsers, tabs and programs at once.
    static constexpr qint32 ClubAddressLimit = 64;
    // From any other address: the host refuses its requests at their first chunk anyway.
    static constexpr qint32 OtherAddressLimit = 4;
    // The relay's share is the descriptor limit over this, in pairs.
    static constexpr qint64 ShareDivisor = 4;
    // The part of the share that other addresses hold together is the share over this.
    static constexpr qint32 OtherShareDivisor = 4;

    enum class Verdict
    {
        Admitted,
        // The address has its own number of connections.
        AddressFull,
        // Other addresses together hold their part of the share.
        OthersFull,
        // The relay holds its whole share.
        RelayFull,
    };

    // Starts anew with no connection and no address refused; the share is taken from the process's
    // DescriptorLimit, at most MaxPairs.
    void Reset(qint64 DescriptorLimit, qint32 MaxPairs);
    void SetClubAddresses(const QSet<QString> &Addresses);
    QSet<QString> ClubAddresses() const;
    // Whether one more connection from Address fits; nothing is counted.
    Verdict Check(const QString &Address) const;
    // Counts a connection from Address that Check let in, and forgets one that has ended.
    void Add(const QString &Address);
    void Release(const QString &Address);
    // True only the first time since Reset that Address is refused for its own number.
    bool FirstAddressRefusal(const QString &Address);
    qint32 AddressLimit(const QString &Address) const;
    qint32 Share() const;
    qint32 OtherShare() const;

private:
    bool IsOther(const QString &Address) const;

    QSet<QString> m_club;
    // Connections by address, and of them those from other addresses in all.
    QHash<QString, qint32> m_connections;
    qint32 m_pairs = 0;
    qint32 m_otherPairs = 0;
    qint32 m_share = 0;
    qint32 m_otherShare = 0;
    QSet<QString> m_refused;
};
