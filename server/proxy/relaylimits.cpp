#include "proxy/relaylimits.h"

#include <algorithm>

void RelayLimits::Reset(qint64 DescriptorLimit, qint32 MaxPairs)
{
    m_connections.clear();
    m_refused.clear();
    m_pairs = 0;
    m_otherPairs = 0;
    m_share = static_cast<qint32>(std::clamp<qint64>(DescriptorLimit / ShareDivisor, 0, MaxPairs));
    m_otherShare = m_share / OtherShareDivisor;
}

void RelayLimits::SetClubAddresses(const QSet<QString> &Addresses)
{
    m_club = Addresses;
    // The connections open now are counted as what their address is from now on.
    m_otherPairs = 0;
    for (auto entry = m_connections.cbegin(); entry != m_connections.cend(); ++entry) {
        if (IsOther(entry.key())) {
            m_otherPairs += entry.value();
        }
    }
}

QSet<QString> RelayLimits::ClubAddresses() const
{
    return m_club;
}

RelayLimits::Verdict RelayLimits::Check(const QString &Address) const
{
    if (m_connections.value(Address) >= AddressLimit(Address)) {
        return Verdict::AddressFull;
    }
    if (IsOther(Address) && m_otherPairs >= m_otherShare) {
        return Verdict::OthersFull;
    }
    return m_pairs >= m_share ? Verdict::RelayFull : Verdict::Admitted;
}

void RelayLimits::Add(const QString &Address)
{
    ++m_connections[Address];
    ++m_pairs;
    if (IsOther(Address)) {
        ++m_otherPairs;
    }
}

void RelayLimits::Release(const QString &Address)
{
    const auto entry = m_connections.find(Address);
    // A connection from before the last Reset is not counted.
    if (entry == m_connections.end()) {
        return;
    }
    if (--entry.value() == 0) {
        m_connections.erase(entry);
    }
    --m_pairs;
    if (IsOther(Address)) {
        --m_otherPairs;
    }
}

bool RelayLimits::FirstAddressRefusal(const QString &Address)
{
    if (m_refused.contains(Address)) {
        return false;
    }
    m_refused.insert(Address);
    return true;
}

qint32 RelayLimits::AddressLimit(const QString &Address) const
{
    return IsOther(Address) ? OtherAddressLimit : ClubAddressLimit;
}

qint32 RelayLimits::Share() const
{
    return m_share;
}

qint32 RelayLimits::OtherShare() const
{
    return m_otherShare;
}

bool RelayLimits::IsOther(const QString &Address) const
{
    return !m_club.contains(Address);
}
