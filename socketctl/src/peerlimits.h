#pragma once

#include "connectionlimits.h"
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

// Which incoming connections the control keeps (ConnectionLimits with the control's numbers), and
// which refusals are worth a log line: a flood that goes on being refused is noted once, not once
// per connection.
class PELLOXAN_TESTS_EXPORT PeerLimits final
{
public:
    // A club computer makes a few connections at once: its state reports, shortcut reports and
    // password requests share one, and a few more come while a dialog of the server's is open.
    static constexpr qint32 ClubPerAddress = 16;
    // No other host has a reason to hold more than a handful.
    static constexpr qint32 OtherPerAddress = 4;
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
    // The same from the process's limit as it is now (see ConnectionLimits).
    bool ReadDescriptorLimit(QString &ErrString);
    qint32 Share() const;
    qint32 OthersShare() const;
    qint32 AddressLimit(const QString &Address) const;

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
    ConnectionLimits m_counts{ClubPerAddress, OtherPerAddress};
    // The last refusal by each limit that has not been left since.
    std::array<std::optional<qint64>, static_cast<std::size_t>(Limit::Count)> m_refusedAt{};
    QHash<QString, qint64> m_addressRefusedAt;
};
} // namespace Pelloxan
