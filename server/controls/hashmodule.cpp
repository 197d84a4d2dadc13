#include "controls/hashmodule.h"

#include "codepage.h"

#include <QCryptographicHash>

namespace HashModule
{
QString Md5Hex(const QString &Text)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(CodePage::ToWindows1251(Text), QCryptographicHash::Md5).toHex());
}
} // namespace HashModule
