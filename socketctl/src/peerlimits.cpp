#include "peerlimits.h"

#include "socketstates.h"

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
    m_counts.SetClubAddresses(Addresses);
}

void PeerLimits::SetDescriptorLimit(qint64 Descriptors)
{
    m_counts.SetDescriptorLimit(Descriptors, MaxShare);
}

bool PeerLimits::ReadDescriptorLimit(QString &ErrString)
{
    return m_counts.ReadDescriptorLimit(MaxShare, ErrString);
}

qint32 PeerLimits::Share() const
{
    return m_counts.Share();
}

qint32 PeerLimits::OthersShare() const
{
    return m_counts.OthersShare();
}

qint32 PeerLimits::AddressLimit(const QString &Address) const
{
    return m_counts.AddressLimit(Address);
}

PeerLimits::Limit PeerLimits::Take(const QString &Address)
{
    switch (m_counts.Check(Address)) {
    case ConnectionLimits::Verdict::AddressFull:
        return Limit::Address;
    case ConnectionLimits::Verdict::OthersFull:
        return Limit::Others;
    case ConnectionLimits::Verdict::ShareFull:
        return Limit::Share;
    case ConnectionLimits::Verdict::Admitted:
        break;
    }
    m_counts.Add(Address);
    return Limit::None;
}

void PeerLimits::Release(const QString &Address)
{
    m_counts.Release(Address);
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
    const std::array<std::pair<Limit, bool>, 3> below{{{Limit::Others, m_counts.OthersBelowShare()},
                                                       {Limit::Share, m_counts.BelowShare()},
                                                       {Limit::Descriptors, true}}};
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
} // namespace Pelloxan
