#pragma once

#include <QString>

// The IPv4 address of a client computer's network name, so that the operator can enter a computer
// by its name. The lookup blocks until the name service answers.
class ResolveHostName
{
public:
    // The first IPv4 address of the name as dotted decimals without leading zeros ("127.0.0.1");
    // the empty text when the name cannot be resolved or has no IPv4 address.
    QString GetIPByName(const QString &HostName) const;
};
