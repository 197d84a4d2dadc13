#include "settings/resolvehostname.h"

#include <QHostAddress>
#include <QHostInfo>

QString ResolveHostName::GetIPByName(const QString &HostName) const
{
    const QHostInfo host = QHostInfo::fromName(HostName);
    if (host.error() != QHostInfo::NoError) {
        return {};
    }
    for (const QHostAddress &address : host.addresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol) {
            return address.toString();
        }
    }
    return {};
}
