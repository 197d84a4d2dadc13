#pragma once

#include <QString>

// The digest form in which passwords are stored, compared and sent by client computers.
namespace HashModule
{
// MD5 (RFC 1321) of the text's Windows-1251 bytes as 32 lowercase hexadecimal digits.
QString Md5Hex(const QString &Text);
} // namespace HashModule
