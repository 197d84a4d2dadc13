#include "peerlimits.h"

#include "socketstates.h"

#include <algorithm>

namespace Pelloxan
{
namespace
{
// Half the slot numbers at most, so that the server's own dialogs always find one.
constexpr qint64 MaxShare = SocketStates::MaxCode / 2;

std::size_t Index(PeerLimits::Limit Which)
{
    return static_cast<std::size_t>(Which);
}
} // namespace

PeerLimits::PeerLimits(qint64 Descriptors)
{
    SetDescriptorLimit(Descriptors);
}

void PeerLimits::SetClubAddresses(const QSet<QString> &Addresses)
{
    m_club = Addresses;
    // What is open from each address stays; only which of it counts as the others' changes.
    m_others = 0;
    for (auto it = m_open.cbegin(); it != m_open.cend(); ++it) {
        if (!IsClub(it.key())) {
            m_others += it.value();
        }
    }
}

void PeerLimits::SetDescriptorLimit(qint64 Descriptors)
{
    m_share = static_cast<qsizetype>(std::clamp<qint64>(Descriptors / ShareDivisor, 1, MaxShare));
    m_othersShare = std::max<qsizetype>(1, m_share / OthersDivisor);
}

qsizetype PeerLimits::Share() const
{
    return m_share;
}

qsizetype PeerLimits::OthersShare() const
{
    return m_othersShare;
}

qsizetype PeerLimits::AddressLimit(const QString &Address) const
{
    return IsClub(Address) ? ClubPerAddress : OtherPerAddress;
}

PeerLimits::Limit PeerLimits::Take(const QString &Address)
{
    const bool club = IsClub(Address);
    if (m_open.value(Address) >= AddressLimit(Address)) {
        return Limit::Address;
    }
    if (!club && m_others >= m_othersShare) {
        return Limit::Others;
    }
    if (m_total >= m_share) {
        return Limit::Share;
    }
    ++m_open[Address];
    ++m_total;
    m_others += club ? 0 : 1;
    return Limit::None;
}

void PeerLimits::Release(const QString &Address)
{
    const auto found = m_open.find(Address);
    if (found == m_open.end()) {
        return;
    }
    if (--found.value() == 0) {
        m_open.erase(found);
    }
    --m_total;
    m_others -= IsClub(Address) ? 0 : 1;
}

bool PeerLimits::NoteRefusal(Limit Which, const QString &Address, qint64 NowMs)
{
    if (Which == Limit::Address) {
        const bool first = !m_addressRefusedAt.contains(Address);
        m_addressRefusedAt.insert(Address, NowMs);
        return first;
    }
    std::optional<qint64> &refusedAt = m_refusedAt.at(Index(Which));
    const bool first = !refusedAt.has_value();
    refusedAt = NowMs;
    return first;
}

QList<PeerLimits::Limit> PeerLimits::LeftLimits(qint64 NowMs)
{
    m_addressRefusedAt.removeIf(
        [&](const QHash<QString, qint64>::iterator &it) { return NowMs - it.value() >= QuietMs; });
    const std::array<std::pair<Limit, bool>, 3> below{
        {{Limit::Others, m_others < m_othersShare}, {Limit::Share, m_total < m_share}, {Limit::Descriptors, true}}};
    QList<Limit> left;
    for (const auto &[which, isBelow] : below) {
        std::optional<qint64> &refusedAt = m_refusedAt.at(Index(which));
        if (refusedAt && isBelow && NowMs - *refusedAt >= QuietMs) {
            refusedAt.reset();
            left.append(which);
        }
    }
    return left;
}

bool PeerLimits::IsClub(const QString &Address) const
{
    return m_club.contains(Address);
}
} // namespace Pelloxan
