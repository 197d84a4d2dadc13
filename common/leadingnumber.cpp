#include "leadingnumber.h"

#include <cmath>
#include <limits>

namespace
{
// Only the ASCII digits: other scripts' digits are no part of a number here.
bool IsAsciiDigit(QChar ch)
{
    return ch >= QLatin1Char('0') && ch <= QLatin1Char('9');
}

bool IsBlank(QChar ch)
{
    return ch == QLatin1Char(' ') || ch == QLatin1Char('\t') || ch == QLatin1Char('\n') || ch == QLatin1Char('\r');
}

// Collects the characters of the leading number with the blanks between them left out.
class NumberScanner
{
public:
    explicit NumberScanner(const QString &text)
        : m_text(text)
    {
    }

    QString Scan()
    {
        TakeSign();
        const bool wholeDigits = TakeDigits();
        bool fractionDigits = false;
        if (Peek() == QLatin1Char('.')) {
            Take();
            fractionDigits = TakeDigits();
        }
        if (!wholeDigits && !fractionDigits) {
            return {};
        }
        TakeExponent();
        return m_number;
    }

private:
    QChar Peek()
    {
        while (m_pos < m_text.size() && IsBlank(m_text.at(m_pos))) {
            ++m_pos;
        }
        return m_pos < m_text.size() ? m_text.at(m_pos) : QChar();
    }

    void Take()
    {
        m_number += m_text.at(m_pos++);
    }

    void TakeSign()
    {
        const QChar ch = Peek();
        if (ch == QLatin1Char('-') || ch == QLatin1Char('+')) {
            Take();
        }
    }

    bool TakeDigits()
    {
        bool any = false;
        while (IsAsciiDigit(Peek())) {
            Take();
            any = true;
        }
        return any;
    }

    void TakeExponent()
    {
        const QChar ch = Peek();
        if (ch != QLatin1Char('e') && ch != QLatin1Char('E') && ch != QLatin1Char('d') && ch != QLatin1Char('D')) {
            return;
        }
        const qsizetype markPos = m_pos;
        const QString markNumber = m_number;
        ++m_pos;
        m_number += QLatin1Char('e');
        TakeSign();
        if (!TakeDigits()) {
            m_pos = markPos;
            m_number = markNumber;
        }
    }

    const QString &m_text;
    qsizetype m_pos = 0;
    QString m_number;
};
} // namespace

double LeadingNumber(const QString &text)
{
    const QString number = NumberScanner(text).Scan();
    if (number.isEmpty()) {
        return 0;
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0;
}

qint32 LeadingInteger(const QString &text)
{
    const double rounded = std::nearbyint(LeadingNumber(text));
    if (rounded >= std::numeric_limits<qint32>::max()) {
        return std::numeric_limits<qint32>::max();
    }
    if (rounded <= std::numeric_limits<qint32>::min()) {
        return std::numeric_limits<qint32>::min();
    }
    return static_cast<qint32>(rounded);
}
