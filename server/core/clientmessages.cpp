#include "core/clientmessages.h"

#include "leadingnumber.h"

QString RemoveSeparators(const QString &Text)
{
    QString text = Text;
    return text.remove(QLatin1Char('|'));
}

QString NumberForm(qint64 Value)
{
    const QString digits = QString::number(Value);
    return Value < 0 ? digits : QLatin1Char(' ') + digits;
}

qint32 AnswerValue(const QString &Message)
{
    return LeadingInteger(Message);
}

QString SeanceBody(qint32 SeanceCode, qint64 SecondsLeft)
{
    return NumberForm(SeanceCode) + QLatin1Char('|') + NumberForm(SecondsLeft) + QLatin1Char('|');
}

QString ShutdownBody(bool Shutdown)
{
    return Shutdown ? QStringLiteral("1") : QStringLiteral("0");
}

QString AutorunListText(const QStringList &ProgramNames)
{
    QString text = NumberForm(ProgramNames.size()) + QLatin1Char('|');
    for (const QString &name : ProgramNames) {
        text += RemoveSeparators(name) + QLatin1Char('|');
    }
    return text;
}

QString ClientSettingsBody(const QString &AdminPassword,
                           const QString &ExecutibleFile,
                           const QString &ClientsInfo,
                           const QString &AutorunList)
{
    return RemoveSeparators(AdminPassword) + QLatin1Char('|') + RemoveSeparators(ExecutibleFile) + QLatin1Char('|')
           + RemoveSeparators(ClientsInfo) + QLatin1Char('|') + AutorunList;
}

QString ShortcutText(const ShortcutFields &Shortcut)
{
    const QStringList fields = {QString::number(Shortcut.Code),
                                RemoveSeparators(Shortcut.Caption),
                                RemoveSeparators(Shortcut.Path),
                                RemoveSeparators(Shortcut.IconPath),
                                RemoveSeparators(Shortcut.ToolTipText),
                                QString::number(Shortcut.Left),
                                QString::number(Shortcut.Top)};
    return fields.join(QLatin1Char('|')) + QLatin1Char('|');
}
