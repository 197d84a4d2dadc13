#include "core/clientsettingtexts.h"

#include "core/clientmessages.h"
#include "core/clientsinfopieces.h"
#include "core/dbvalues.h"
#include "core/settingsstore.h"

namespace
{
const QString ClientsInfoKey = QStringLiteral("ClientsInfo");
} // namespace

QString GetAutorunListString()
{
    QString err;
    const QString text = GetAutorunListString(err);
    LogDbError(QStringLiteral("GetAutorunListString"), err);
    return text;
}

QString GetAutorunListString(QString &ErrString)
{
    ErrString.clear();
    const auto programs = AllRecords(QStringLiteral("AutorunList"), ErrString);
    if (!programs) {
        return {};
    }
    QStringList names;
    for (const auto &program : *programs) {
        names.append(TextValue(*program, QStringLiteral("ProgramName")));
    }
    return AutorunListText(names);
}

QString GetClientsInfoString()
{
    QString err;
    const QString text = GetClientsInfoString(err);
    LogDbError(QStringLiteral("GetClientsInfoString"), err);
    return text;
}

QString GetClientsInfoString(QString &ErrString)
{
    QString text;
    for (qint32 i = 1;; ++i) {
        const QString piece = GetConfigValue(ClientsInfoKey + QString::number(i), ErrString);
        if (!ErrString.isEmpty()) {
            return {};
        }
        if (piece.isEmpty()) {
            return text;
        }
        text += piece;
    }
}

void SetClientsInfoString(const QString &Text)
{
    const QStringList pieces = SplitClientsInfo(Text);
    for (qsizetype k = 0; k < pieces.size(); ++k) {
        SetConfigValue(ClientsInfoKey + QString::number(k + 1), pieces.at(k));
    }
}
