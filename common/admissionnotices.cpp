#include "admissionnotices.h"

bool AdmissionNotices::Refused(Limit Which, qint64 NowMs)
{
    State &state = Of(Which);
    state.LastRefusalMs = NowMs;
    return !state.Told;
}

bool AdmissionNotices::RefusedAddress(const QString &Address, qint64 NowMs)
{
    State &state = m_addresses[Address];
    state.LastRefusalMs = NowMs;
    return !state.Told;
}

void AdmissionNotices::Told(Limit Which, bool Written)
{
    Of(Which).Told = Written;
}

void AdmissionNotices::ToldAddress(const QString &Address, bool Written)
{
    m_addresses[Address].Told = Written;
}

bool AdmissionNotices::Quiet(Limit Which, qint64 NowMs) const
{
    const State &state = Of(Which);
    return state.Told && NowMs - state.LastRefusalMs >= QuietMs;
}

void AdmissionNotices::Left(Limit Which)
{
    Of(Which).Told = false;
}

void AdmissionNotices::ForgetQuietAddresses(qint64 NowMs)
{
    m_addresses.removeIf(
        [NowMs](const QHash<QString, State>::iterator &it) { return NowMs - it.value().LastRefusalMs >= QuietMs; });
}

void AdmissionNotices::Clear()
{
    m_limits.fill({});
    m_addresses.clear();
}

AdmissionNotices::State &AdmissionNotices::Of(Limit Which)
{
    return m_limits.at(static_cast<std::size_t>(Which));
}

const AdmissionNotices::State &AdmissionNotices::Of(Limit Which) const
{
    return m_limits.at(static_cast<std::size_t>(Which));
}
