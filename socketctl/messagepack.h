#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

// What kind of message a pack is.
enum enPacketDirection : qint32
{
    pdRequest = 1, // the receiving control sends it back as the answer
    pdAnswer = 2,  // the answer to a request; carries the request's code
    pdSingle = 3   // expects no answer
};

// One protocol message: a direction, a one-byte message code, a text, and the request number
// that ties an answer to its request. Packs are shared: MessagePackPtr.
class MessagePack final
{
public:
    // Any number that arrived on the wire is kept, so a direction may lie outside the enumeration.
    enPacketDirection PacketDirection() const
    {
        return m_Direction;
    }

    void SetPacketDirection(enPacketDirection Direction)
    {
        m_Direction = Direction;
    }

    quint8 Header() const
    {
        return m_Header;
    }

    void SetHeader(quint8 Header)
    {
        m_Header = Header;
    }

    QString Message() const
    {
        return m_Message;
    }

    void SetMessage(const QString &Message)
    {
        m_Message = Message;
    }

    // The request number; the control's own bookkeeping.
    qint32 GetCode() const
    {
        return m_Code;
    }

    void SetCode(qint32 Code)
    {
        m_Code = Code;
    }

    // When the pack entered an answer store; the control's own bookkeeping.
    QDateTime GetTime() const
    {
        return m_Time;
    }

    void SetTime(const QDateTime &Time)
    {
        m_Time = Time;
    }

    bool operator==(const MessagePack &other) const = default;

private:
    qint32 m_Code = 0;
    enPacketDirection m_Direction = static_cast<enPacketDirection>(0);
    quint8 m_Header = 0;
    QString m_Message;
    QDateTime m_Time;
};

using MessagePackPtr = std::shared_ptr<MessagePack>;
