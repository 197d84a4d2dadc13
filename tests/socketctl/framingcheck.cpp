#include "framingcheck.h"

#include "packetframing.h"

using namespace Pelloxan;

namespace
{
// The network may cut the stream anywhere: every cut inside a message must read as incomplete,
// never as some other message. Cuts after the first bytes of a long text are alike, so only
// those near its start are tried.
bool CheckCuts(const QByteArray &Input, qsizetype From, qsizetype Next, QString &Failure)
{
    constexpr qsizetype MaxCuts = 300;
    for (qsizetype end = From + 1; end < qMin(Next, From + MaxCuts); ++end) {
        MessagePack partial;
        qsizetype partialNext = 0;
        const QByteArray prefix = QByteArray::fromRawData(Input.constData(), end);
        if (PacketFraming::FromPacketString(prefix, From, partial, partialNext)
            != PacketFraming::ParseResult::Incomplete) {
            Failure = QStringLiteral("the message at %1 cut at %2 does not read as incomplete").arg(From).arg(end);
            return false;
        }
    }
    return true;
}

bool CheckRewrite(const MessagePack &Pack, QString &Failure)
{
    const QByteArray written = PacketFraming::ToPacketString(Pack);
    MessagePack reread;
    qsizetype next = 0;
    if (PacketFraming::FromPacketString(written, 0, reread, next) != PacketFraming::ParseResult::Complete
        || next != written.size()) {
        Failure = QStringLiteral("a written message does not read back whole");
        return false;
    }
    if (reread.GetCode() != Pack.GetCode() || reread.PacketDirection() != Pack.PacketDirection()
        || reread.Header() != Pack.Header() || reread.Message().size() != Pack.Message().size()) {
        Failure = QStringLiteral("a written message reads back different");
        return false;
    }
    if (PacketFraming::ToPacketString(reread) != written) {
        Failure = QStringLiteral("a message read back writes different bytes");
        return false;
    }
    return true;
}
} // namespace

bool CheckFraming(const QByteArray &Input, QString &Failure)
{
    qsizetype from = 0;
    for (;;) {
        MessagePack pack;
        qsizetype next = -1;
        switch (PacketFraming::FromPacketString(Input, from, pack, next)) {
        case PacketFraming::ParseResult::Incomplete:
        case PacketFraming::ParseResult::Malformed:
            return true;
        case PacketFraming::ParseResult::Complete:
            break;
        }
        if (next <= from || next > Input.size()) {
            Failure = QStringLiteral("a cut at %1 ends at %2 of %3").arg(from).arg(next).arg(Input.size());
            return false;
        }
        if (!CheckCuts(Input, from, next, Failure) || !CheckRewrite(pack, Failure)) {
            return false;
        }
        from = next;
    }
}
