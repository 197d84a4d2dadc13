#pragma once

#include "quillmarsh_common_export.h"

#include <QHash>
#include <QString>

#include <array>

// When a port's admission tells the main log about its limits, so that a flood held at a limit
// gives a line when it is reached and one when it is left, not a line a connection. A limit is
// told reached at its first refusal; once it has refused nothing for QuietMs (and is below its
// figure again) it is told left, and its next refusal is told again. An address that reaches its
// own number is told again once it has been quiet that long. A line the log could not write
// counts as not told and is tried again at the next refusal, or the next look for a leaving.
class QUILLMARSH_COMMON_EXPORT AdmissionNotices final
{
public:
    static constexpr qint64 QuietMs = 10 * 1000;

    enum class Limit
    {
        Others,
        Share,
        Descriptors,
        // Connections whose peer's address the accept did not give.
        NoPeerAddress,
        Count,
    };

    // A refusal at NowMs; true when it is to be told now.
    bool Refused(Limit Which, qint64 NowMs);
    bool RefusedAddress(const QString &Address, qint64 NowMs);
    // Whether the line of a refusal was written.
    void Told(Limit Which, bool Written);
    void ToldAddress(const QString &Address, bool Written);
    // Whether Which, told reached, has refused nothing for QuietMs at NowMs.
    bool Quiet(Limit Which, qint64 NowMs) const;
    // Its leaving is told: its next refusal is told again.
    void Left(Limit Which);
    // Forgets the addresses that have been quiet for QuietMs.
    void ForgetQuietAddresses(qint64 NowMs);
    void Clear();

private:
    struct State
    {
        bool Told = false;
        qint64 LastRefusalMs = 0;
    };

    State &Of(Limit Which);
    const State &Of(Limit Which) const;

    std::array<State, static_cast<std::size_t>(Limit::Count)> m_limits{};
    QHash<QString, State> m_addresses;
};
