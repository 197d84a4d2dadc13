#include "connectionlimits.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/resource.h>

namespace
{
// The usual soft limit, taken when the process's own cannot be read: the listener goes on serving
// within a share of it rather than refuse everything.
constexpr qint64 UsualDescriptorLimit = 1024;
} // namespace

ConnectionLimits::ConnectionLimits(qint32 ClubPerAddress, qint32 OtherPerAddress)
    : m_clubPerAddress(ClubPerAddress)
    , m_otherPerAddress(OtherPerAddress)
{
}

void ConnectionLimits::SetDescriptorLimit(qint64 DescriptorLimit, qint64 MaxShare)
{
    m_share = static_cast<qint32>(std::clamp<qint64>(DescriptorLimit / ShareDivisor, 1, std::max<qint64>(1, MaxShare)));
    m_othersShare = std::max<qint32>(1, static_cast<qint32>(m_share / OthersDivisor));
}

bool ConnectionLimits::ReadDescriptorLimit(qint64 MaxShare, QString &ErrString)
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        ErrString = QString::fromLocal8Bit(strerror(errno));
        SetDescriptorLimit(UsualDescriptorLimit, MaxShare);
        return false;
    }
    const bool unlimited =
        limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > rlim_t(std::numeric_limits<qint64>::max());
    SetDescriptorLimit(unlimited ? std::numeric_limits<qint64>::max() : qint64(limit.rlim_cur), MaxShare);
    return true;
}

void ConnectionLimits::SetClubAddresses(const QSet<QString> &Addresses)
{
    m_club = Addresses;
    m_others = 0;
    for (auto it = m_open.cbegin(); it != m_open.cend(); ++it) {
        if (!IsClub(it.key())) {
            m_others += it.value();
        }
    }
}

QSet<QString> ConnectionLimits::ClubAddresses() const
{
    return m_club;
}

void ConnectionLimits::SetClub(const QString &Address, bool Club)
{
    if (IsClub(Address) == Club) {
        return;
    }
    const qint32 open = m_open.value(Address);
    if (Club) {
        m_club.insert(Address);
        m_others -= open;
    } else {
        m_club.remove(Address);
        m_others += open;
    }
}

QList<QString> ConnectionLimits::OpenAddresses() const
{
    return m_open.keys();
}

ConnectionLimits::Verdict ConnectionLimits::Check(const QString &Address) const
{
    if (m_open.value(Address) >= AddressLimit(Address)) {
        return Verdict::AddressFull;
    }
    if (!IsClub(Address) && !OthersBelowShare()) {
        return Verdict::OthersFull;
    }
    return BelowShare() ? Verdict::Admitted : Verdict::ShareFull;
}

void ConnectionLimits::Add(const QString &Address)
{
    ++m_open[Address];
    ++m_total;
    m_others += IsClub(Address) ? 0 : 1;
}

void ConnectionLimits::Release(const QString &Address)
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

std::optional<QString> ConnectionLimits::RoomFrom(const QString &Address) const
{
    if (!IsClub(Address)) {
        return std::nullopt;
    }
    std::optional<QString> stranger;
    qint32 strangerMost = 0;
    std::optional<QString> club;
    qint32 clubMost = m_open.value(Address) + 1;
    for (auto it = m_open.cbegin(); it != m_open.cend(); ++it) {
        if (!IsClub(it.key())) {
            if (it.value() > strangerMost) {
                stranger = it.key();
                strangerMost = it.value();
            }
        } else if (it.value() > clubMost) {
            club = it.key();
            clubMost = it.value();
        }
    }
    return stranger ? stranger : club;
}

qint32 ConnectionLimits::AddressLimit(const QString &Address) const
{
    return IsClub(Address) ? m_clubPerAddress : m_otherPerAddress;
}

qint32 ConnectionLimits::Share() const
{
    return m_share;
}

qint32 ConnectionLimits::OthersShare() const
{
    return m_othersShare;
}

bool ConnectionLimits::OthersBelowShare() const
{
    return m_others < m_othersShare;
}

bool ConnectionLimits::BelowShare() const
{
    return m_total < m_share;
}

bool ConnectionLimits::IsClub(const QString &Address) const
{
    return m_club.contains(Address);
}
