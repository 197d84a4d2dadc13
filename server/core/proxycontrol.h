#pragma once

#include <QSet>
#include <QString>

// What the main window uses of the internet proxy: its outer proxy, start on a port, shut down, and
// the club computers' addresses.
class ProxyControl
{
public:
    virtual ~ProxyControl() = default;

    virtual void SetLog(bool Log) = 0;
    // The port on which the proxy was last started.
    virtual qint32 Port() const = 0;
    virtual void SetConnectTimeout(qint32 Seconds) = 0;
    virtual void SetOuterProxyIP(const QString &IP) = 0;
    virtual void SetOuterProxyPort(qint32 Port) = 0;
    // Shuts a running listener down and listens on Port; false with the reason in ErrString.
    virtual bool Start(qint32 Port, QString &ErrString) = 0;
    // Closes the listener and every open connection pair.
    virtual void Shutdown() = 0;
    virtual bool IsActive() const = 0;
    // The club computers' dotted addresses: they may hold more connections than any other address.
    virtual void SetClubAddresses(const QSet<QString> &Addresses) = 0;
};
