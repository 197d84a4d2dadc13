#include "core/clientsettingtexts.h"

#include "core/clientsinfopieces.h"
#include "core/dbvalues.h"
#include "core/errorbox.h"
#include "core/settingsstore.h"

namespace
{
const QString Separator = QStringLiteral("|");
const QString ClientsInfoKey = QStringLiteral("ClientsInfo");

std::shared_ptr<Rollstrake::DBRecords> AllRecords(const QString &TableName)
{
    QString err;
    const auto table = DBTable(TableName, err);
    return table ? table->GetDBRecords(nullptr, err) : nullptr;
}
} // namespace

QString RemoveSeparators(const QString &Text)
{
    QString text = Text;
    return text.remove(Separator);
}

QString GetAutorunListString()
{
    const auto programs = AllRecords(QStringLiteral("AutorunList"));
    const qint32 count = programs ? programs->Count() : 0;
    QString text = QStringLiteral(" ") + QString::number(count) + Separator;
    if (programs) {
        for (const auto &program : *programs) {
            text += TextValue(*program, QStringLiteral("ProgramName")) + Separator;
        }
    }
    return text;
}

QString GetClientsInfoString()
{
    QString text;
    for (qint32 i = 1;; ++i) {
        const QString piece = GetConfigValue(ClientsInfoKey + QString::number(i));
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
