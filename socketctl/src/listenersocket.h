#pragma once

#include <QTcpServer>

#include <functional>

namespace Pelloxan
{
// The control's listener: hands every accepted connection's descriptor to the control, which
// puts it into a new slot (or closes it).
class ListenerSocket final : public QTcpServer
{
public:
    explicit ListenerSocket(std::function<void(qintptr)> OnConnection)
        : m_onConnection(std::move(OnConnection))
    {
    }

protected:
    void incomingConnection(qintptr Descriptor) override
    {
        m_onConnection(Descriptor);
    }

private:
    std::function<void(qintptr)> m_onConnection;
};
} // namespace Pelloxan
