#include "framingcheck.h"

#include "codepage.h"
#include "leadingnumber.h"
#include "packetframing.h"
#include "textdates.h"

#include <array>
#include <cmath>
#include <limits>

using namespace Pelloxan;

namespace
{
// The message read field by field with the program's text helpers, the way the protocol is
// described: the framing's own reading, which works on the bytes, must agree with it on any input.
PacketFraming::ParseResult ReferenceRead(const QByteArray &Text, qsizetype From, MessagePack &Pack, qsizetype &Next)
{
    constexpr qsizetype FieldCount = 4;
    const qsizetype windowSize = qMin(Text.size() - From, FieldCount * (PacketFraming::MaxFieldBytes + 1));
    const QString window = QString::fromLatin1(Text.constData() + From, windowSize);
    std::array<QString, FieldCount> fields;
    qint32 position = 1;
    for (QString &field : fields) {
        if (!GetNextToken(window, position, field, QStringLiteral("|"))) {
            return PacketFraming::ParseResult::Incomplete;
        }
        if (field.size() > PacketFraming::MaxFieldBytes) {
            return PacketFraming::ParseResult::Malformed;
        }
    }
    if (position > window.size() + 1) {
        return PacketFraming::ParseResult::Incomplete;
    }
    const auto number = [](const QString &field, double min, double max, qint32 &value) {
        const double rounded = std::nearbyint(LeadingNumber(field));
        if (!(rounded >= min && rounded <= max)) {
            return false;
        }
        value = static_cast<qint32>(rounded);
        return true;
    };
    qint32 length = 0;
    if (!number(fields[3], 0, PacketFraming::MaxMessageBytes, length)) {
        return PacketFraming::ParseResult::Malformed;
    }
    const qsizetype start = From + position - 1;
    if (Text.size() - start < length) {
        return PacketFraming::ParseResult::Incomplete;
    }
    constexpr double MinInt32 = std::numeric_limits<qint32>::min();
    constexpr double MaxInt32 = std::numeric_limits<qint32>::max();
    qint32 code = 0;
    qint32 direction = 0;
    qint32 header = 0;
    if (!number(fields[1], MinInt32, MaxInt32, code) || !number(fields[0], MinInt32, MaxInt32, direction)
        || !number(fields[2], 0, std::numeric_limits<quint8>::max(), header)) {
        return PacketFraming::ParseResult::Malformed;
    }
    Pack.SetCode(code);
    Pack.SetPacketDirection(static_cast<enPacketDirection>(direction));
    Pack.SetHeader(static_cast<quint8>(header));
    Pack.SetMessage(CodePage::FromWindows1251(Text.mid(start, length)));
    Next = start + length;
    return PacketFraming::ParseResult::Complete;
}

bool AgreesWithReference(const QByteArray &Input,
                         qsizetype From,
                         PacketFraming::ParseResult Result,
                         const MessagePack &Pack,
                         qsizetype Next,
                         QString &Failure)
{
    MessagePack reference;
    qsizetype referenceNext = -1;
    const PacketFraming::ParseResult expected = ReferenceRead(Input, From, reference, referenceNext);
    const bool same = expected == Result
                      && (Result != PacketFraming::ParseResult::Complete
                          || (referenceNext == Next && reference.GetCode() == Pack.GetCode()
                              && reference.PacketDirection() == Pack.PacketDirection()
                              && reference.Header() == Pack.Header() && reference.Message() == Pack.Message()));
    if (!same) {
        Failure = QStringLiteral("the message at %1 reads otherwise than field by field").arg(From);
    }
    return same;
}

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
        const PacketFraming::ParseResult result = PacketFraming::FromPacketString(Input, from, pack, next);
        if (!AgreesWithReference(Input, from, result, pack, next, Failure)) {
            return false;
        }
        switch (result) {
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
