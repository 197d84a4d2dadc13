#include "warninglog.h"

#include <QDebug>

namespace Rollstrake
{
void LogWarning(const QString &Text)
{
    qWarning().noquote() << QStringLiteral("Rollstrake") << Text;
}
} // namespace Rollstrake
