#pragma once

#include "pelloxan_export.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include <array>
#include <optional>

namespace Pelloxan
{
// What refused a connection, if anything.
enum class PeerLimit
{
    None,
    Address,
    Others,
    Share,
    Descriptors,
    Count
};

// Which incoming connections the control keeps, and which refusals are worth a log line. The
// control holds at most its share of the process's descriptors; addresses that are no club
// computer together hold at most a part of that share; every address holds a few connections at
// most. A flood that goes on being refused is noted once, not once per connection.
class PELLOXAN_TESTS_EXPORT PeerLimits final
{
public:
    // A club computer makes a few connections at once: its state reports, shortcut reports and
    // password requests share one, and a few more come while a dialog of the server's is open.
    static constexpr qsizetype ClubPerAddress = 16;
    // No other host has a reason to hold more than a handful.
    static constexpr qsizetype OtherPerAddress = 4;
    // The control's share is a quarter of the descriptor limit: the relay has its own, and the rest
    // is for the database, the log, files, Qt and the server's own connections to club computers.
    static constexpr qint64 ShareDivisor = 4;
    // Addresses that are no club computer together get a quarter of the share.
    static constexpr qint64 OthersDivisor = 4;
    // An accepted connection that has not brought a whole message within the time a dialog waits
    // for an answer, or has held a part of one that long, has no dialog behind it and is closed.
    // One that has brought a whole message is kept: the club computer's control reuses it.
    static constexpr qint64 IdleMs = 20000;
    // A limit counts as left once it has refused nothing for this long (and, where connections are
    // counted, fewer are open than it allows); an address is noted again only after such a pause.
    static constexpr qint64 QuietMs = 10000;

    using Limit = PeerLimit;

    explicit PeerLimits(qint64 Descriptors);

    // Dotted IPv4 addresses of the club's computers; every other address is limited as a stranger.
    void SetClubAddresses(const QSet<QString> &Addresses);
    // The share follows from the process's descriptor limit.
    void SetDescriptorLimit(qint64 Descriptors);
    qsizetype Share() const;
    qsizetype OthersShare() const;
    qsizetype AddressLimit(const QString &Address) const;

    // Counts a new connection from Address, or counts nothing and names the limit it would pass.
    Limit Take(const QString &Address);
    // A connection counted by Take has gone.
    void Release(const QString &Address);

    // Notes a refusal by Which (from Address, for the per-address limit) at NowMs; true when it is
    // the first since that limit was last left, which deserves a log line.
    bool NoteRefusal(Limit Which, const QString &Address, qint64 NowMs);
    // The limits left since the last call; forgets the addresses that have been quiet long enough.
    QList<Limit> LeftLimits(qint64 NowMs);

private:
    bool IsClub(const QString &Address) const;

    QSet<QString> m_club;
    QHash<QString, qsizetype> m_open;
    qsizetype m_total = 0;
    qsizetype m_others = 0;
    qsizetype m_share = 0;
    qsizetype m_othersShare = 0;
    // The last refusal by each limit that has not been left since.
    std::array<std::optional<qint64>, static_cast<std::size_t>(Limit::Count)> m_refusedAt{};
    QHash<QString, qint64> m_addressRefusedAt;
};
} // namespace Pelloxan
