#include "core/programinfo.h"

#include <QUrlQuery>

QString VersionText()
{
    return QStringLiteral("Версия ") + QStringLiteral(QUILLMARSH_VERSION);
}

QString ApplicationTitle()
{
    return QStringLiteral("Quillmarsh");
}

QString ProgramDescription()
{
    return QStringLiteral("Сервер автоматизированной системы учета машинного времени и контроля");
}

QUrl SupportMailUrl()
{
    QUrl url(QStringLiteral("mailto:support@quillmarsh.example"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("subject"), ApplicationTitle());
    url.setQuery(query);
    return url;
}
