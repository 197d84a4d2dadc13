#pragma once

#include "quillmarsh_common_export.h"

#include <QHash>
#include <QSet>
#include <QString>

#include <optional>

// Which incoming connections a listener keeps. It holds at most its share of the process's
// descriptor limit: the rest is the other listener's, the database's, the logs' and the server's
// own connections to the club computers, and no flood at one port takes it. Within that share,
// addresses that are no club computer together hold at most a part, so that the club computers
// always find room; and each address holds at most its own number of connections at a time. When
// the share is full, room for a club computer is made at the cost of those holding most (RoomFrom).
class QUILLMARSH_COMMON_EXPORT ConnectionLimits final
{
public:
    // A listener's share is the descriptor limit over this.
    static constexpr qint64 ShareDivisor = 4;
    // The part of the share that other addresses hold together is the share over this.
    static constexpr qint64 OthersDivisor = 4;

    enum class Verdict
    {
        Admitted,
        // The address has its own number of connections.
        AddressFull,
        // Other addresses together hold their part of the share.
        OthersFull,
        // The listener holds its whole share.
        ShareFull,
    };

    // The numbers one club computer and one other address may hold; the share starts at 1.
    ConnectionLimits(qint32 ClubPerAddress, qint32 OtherPerAddress);

    // The share follows from the process's DescriptorLimit, at most MaxShare; what is counted stays.
    void SetDescriptorLimit(qint64 DescriptorLimit, qint64 MaxShare);
    // The same from the process's soft limit as it is now; when that cannot be read, from the usual
    // limit of 1024, and false with the reason.
    bool ReadDescriptorLimit(qint64 MaxShare, QString &ErrString);
    // Dotted IPv4 addresses of the club's computers; the connections open now count as what their
    // address is from now on.
    void SetClubAddresses(const QSet<QString> &Addresses);
    QSet<QString> ClubAddresses() const;
    // Counts Address as a club computer or not from now on, its open connections with it.
    void SetClub(const QString &Address, bool Club);
    // The addresses holding connections now.
    QList<QString> OpenAddresses() const;
    // Whether one more connection from Address fits; nothing is counted.
    Verdict Check(const QString &Address) const;
    // Counts a connection from Address that Check let in, and forgets one that has ended.
    void Add(const QString &Address);
    void Release(const QString &Address);
    // Whose connection gives way when the share is full and Address asks for one more: for a club
    // computer, the other address holding most of those that are no club computer, else the club
    // computer holding most, if it holds at least two more than Address (one more, and the two would
    // trade the room back and forth). None for an address that is no club computer.
    std::optional<QString> RoomFrom(const QString &Address) const;
    qint32 AddressLimit(const QString &Address) const;
    qint32 Share() const;
    qint32 OthersShare() const;
    // Whether other addresses, and all addresses, hold less than their shares now.
    bool OthersBelowShare() const;
    bool BelowShare() const;

private:
    bool IsClub(const QString &Address) const;

    const qint32 m_clubPerAddress;
    const qint32 m_otherPerAddress;
    QSet<QString> m_club;
    QHash<QString, qint32> m_open;
    qint32 m_total = 0;
    qint32 m_others = 0;
    qint32 m_share = 1;
    qint32 m_othersShare = 1;
};
