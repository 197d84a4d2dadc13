#include "packetframing.h"

#include "codepage.h"
#include "leadingnumber.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace Pelloxan::PacketFraming
{
namespace
{
constexpr double MinInt32 = std::numeric_limits<qint32>::min();
constexpr double MaxInt32 = std::numeric_limits<qint32>::max();
constexpr double MaxHeader = std::numeric_limits<quint8>::max();
// Direction, code, header and the length of the text.
constexpr qsizetype FieldCount = 4;
// The digits of a field that is read without converting it to text: enough for every code and
// length a peer writes, and few enough that the number cannot overflow.
constexpr qsizetype PlainDigits = 9;
constexpr int DecimalBase = 10;
// Room for the four numbers of a message with their blanks and separators.
constexpr qsizetype HeadBytes = FieldCount * (std::numeric_limits<qint32>::digits10 + 3);

// A field as peers write it (an optional blank, an optional minus, digits) read straight from its
// bytes; false for anything else, which then goes through LeadingNumber.
bool PlainNumber(QByteArrayView Field, double &Number)
{
    qsizetype at = 0;
    if (at < Field.size() && Field[at] == ' ') {
        ++at;
    }
    const bool negative = at < Field.size() && Field[at] == '-';
    if (negative) {
        ++at;
    }
    const qsizetype digits = Field.size() - at;
    if (digits < 1 || digits > PlainDigits) {
        return false;
    }
    qint64 value = 0;
    for (; at < Field.size(); ++at) {
        const char ch = Field[at];
        if (ch < '0' || ch > '9') {
            return false;
        }
        value = value * DecimalBase + (ch - '0');
    }
    Number = double(negative ? -value : value);
    return true;
}

// The number a field begins with, rounded half to even; false when it lies outside [Min, Max].
bool ReadNumber(QByteArrayView Field, double Min, double Max, qint32 &Value)
{
    double number = 0;
    if (!PlainNumber(Field, number)) {
        number = LeadingNumber(QString::fromLatin1(Field));
    }
    const double rounded = std::nearbyint(number);
    if (!(rounded >= Min && rounded <= Max)) {
        return false;
    }
    Value = static_cast<qint32>(rounded);
    return true;
}

// The number with one leading blank, or its minus sign, as the fields are written.
void AppendNumber(char *Head, qsizetype &Size, qint64 Number)
{
    if (Number >= 0) {
        Head[Size++] = ' ';
    }
    const auto written = std::to_chars(Head + Size, Head + HeadBytes, Number);
    Size = written.ptr - Head;
    Head[Size++] = '|';
}
} // namespace

QByteArray ToPacketString(const MessagePack &Pack)
{
    const QByteArray text = CodePage::ToWindows1251(Pack.Message());
    std::array<char, HeadBytes> head{};
    qsizetype size = 0;
    AppendNumber(head.data(), size, Pack.PacketDirection());
    AppendNumber(head.data(), size, Pack.GetCode());
    AppendNumber(head.data(), size, Pack.Header());
    AppendNumber(head.data(), size, text.size());
    QByteArray bytes;
    bytes.reserve(size + text.size());
    bytes.append(head.data(), size);
    bytes.append(text);
    return bytes;
}

ParseResult FromPacketString(const QByteArray &Text, qsizetype From, MessagePack &Pack, qsizetype &Next)
{
    // The fields of at most MaxFieldBytes each, with their separators, fit in this window; a field
    // that would run past it is too long anyway. Each field ends at its "|"; without one it is
    // either too long already or still arriving.
    const qsizetype windowSize = qMin(Text.size() - From, FieldCount * (MaxFieldBytes + 1));
    const char *window = Text.constData() + From;
    std::array<QByteArrayView, FieldCount> fields;
    qsizetype position = 0;
    for (QByteArrayView &field : fields) {
        if (position >= windowSize) {
            return ParseResult::Incomplete;
        }
        const auto *bar = static_cast<const char *>(std::memchr(window + position, '|', size_t(windowSize - position)));
        const qsizetype end = bar != nullptr ? bar - window : windowSize;
        field = QByteArrayView(window + position, end - position);
        if (field.size() > MaxFieldBytes) {
            return ParseResult::Malformed;
        }
        if (bar == nullptr) {
            return ParseResult::Incomplete;
        }
        position = end + 1;
    }
    const auto &[directionField, codeField, headerField, lengthField] = fields;

    qint32 length = 0;
    if (!ReadNumber(lengthField, 0, MaxMessageBytes, length)) {
        return ParseResult::Malformed;
    }
    const qsizetype start = From + position;
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
    Pack.SetMessage(CodePage::FromWindows1251(QByteArray::fromRawData(Text.constData() + start, length)));
    Next = start + length;
    return ParseResult::Complete;
}
} // namespace Pelloxan::PacketFraming
