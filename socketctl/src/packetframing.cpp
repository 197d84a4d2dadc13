#include "packetframing.h"

#include "codepage.h"
#include "leadingnumber.h"
#include "textdates.h"

#include <array>
#include <cmath>
#include <limits>

namespace Pelloxan::PacketFraming
{
namespace
{
QByteArray NumberForm(qint64 number)
{
    return number >= 0 ? " " + QByteArray::number(number) : QByteArray::number(number);
}

// The number a field begins with, rounded half to even; false when it lies outside [Min, Max].
bool ReadNumber(const QString &Field, double Min, double Max, qint32 &Value)
{
    const double rounded = std::nearbyint(LeadingNumber(Field));
    if (!(rounded >= Min && rounded <= Max)) {
        return false;
    }
    Value = static_cast<qint32>(rounded);
    return true;
}

constexpr double MinInt32 = std::numeric_limits<qint32>::min();
constexpr double MaxInt32 = std::numeric_limits<qint32>::max();
constexpr double MaxHeader = std::numeric_limits<quint8>::max();
// Direction, code, header and the length of the text.
constexpr qsizetype FieldCount = 4;
} // namespace

QByteArray ToPacketString(const MessagePack &Pack)
{
    const QByteArray text = CodePage::ToWindows1251(Pack.Message());
    return NumberForm(Pack.PacketDirection()) + '|' + NumberForm(Pack.GetCode()) + '|' + NumberForm(Pack.Header()) + '|'
           + NumberForm(text.size()) + '|' + text;
}

ParseResult FromPacketString(const QByteArray &Text, qsizetype From, MessagePack &Pack, qsizetype &Next)
{
    // The fields of at most MaxFieldBytes each, with their separators, fit in this window; a field
    // that would run past it is too long anyway. Latin-1 keeps one character per byte, so positions
    // stay byte offsets.
    const qsizetype windowSize = qMin(Text.size() - From, FieldCount * (MaxFieldBytes + 1));
    const QString window = QString::fromLatin1(Text.constData() + From, windowSize);
    std::array<QString, FieldCount> fields;
    qint32 position = 1;
    for (QString &field : fields) {
        if (!GetNextToken(window, position, field, QStringLiteral("|"))) {
            return ParseResult::Incomplete;
        }
        if (field.size() > MaxFieldBytes) {
            return ParseResult::Malformed;
        }
    }
    // The length field counts only once its "|" has arrived: a stream cut right after its blank
    // would otherwise read as an empty text and lose the message that follows.
    if (position > window.size() + 1) {
        return ParseResult::Incomplete;
    }
    const auto &[directionField, codeField, headerField, lengthField] = fields;

    qint32 length = 0;
    if (!ReadNumber(lengthField, 0, MaxMessageBytes, length)) {
        return ParseResult::Malformed;
    }
    const qsizetype start = From + position - 1;
    if (Text.size() - start < length) {
        return ParseResult::Incomplete;
    }

    qint32 code = 0;
    qint32 direction = 0;
    qint32 header = 0;
    if (!ReadNumber(codeField, MinInt32, MaxInt32, code) || !ReadNumber(directionField, MinInt32, MaxInt32, direction)
        || !ReadNumber(headerField, 0, MaxHeader, header)) {
        return ParseResult::Malformed;
    }
    Pack.SetCode(code);
    Pack.SetPacketDirection(static_cast<enPacketDirection>(direction));
    Pack.SetHeader(static_cast<quint8>(header));
    Pack.SetMessage(CodePage::FromWindows1251(Text.mid(start, length)));
    Next = start + length;
    return ParseResult::Complete;
}
} // namespace Pelloxan::PacketFraming
