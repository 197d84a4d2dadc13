#pragma once

#include <QString>
#include <QStringList>

// The texts of the messages that the server sends to the client computers. Every field ends with
// "|"; texts from the database lose every "|" so that a stray one cannot shift the fields.

// Header codes and answers of the client protocol.
enum ClientHeader : quint8
{
    netStartAlterSeance = 1,
    netRebootShutdown = 2,
    netClientSettings = 3,
    netQueryUserState = 4,
    netUserState = 30,
    netShortcutStarted = 31,
    netDesktopPassword = 32
};

constexpr qint32 netAnswerDone = -2;
constexpr qint32 netAnswerNeedSettings = -1;
constexpr qint32 netStateOffline = -3;

// The text without any "|" (the field separator of the client messages).
QString RemoveSeparators(const QString &Text);

// A number as the protocol writes counts and seconds: a blank before 0 or more, a minus sign and no
// blank before a negative number (" 57", "-90").
QString NumberForm(qint64 Value);

// An answer's text read as its leading number (no number reads as 0).
qint32 AnswerValue(const QString &Message);

// The start of a seance body: the code and the seconds left, each ending with "|".
QString SeanceBody(qint32 SeanceCode, qint64 SecondsLeft);

// "1" to shut the computer down, "0" to reboot it.
QString ShutdownBody(bool Shutdown);

// The autorun list: the number of programs, "|", then every name followed by "|".
QString AutorunListText(const QStringList &ProgramNames);

// The client settings: administrator password digest, administrator tool, notice text and the
// autorun list text (already in its own form).
QString ClientSettingsBody(const QString &AdminPassword,
                           const QString &ExecutibleFile,
                           const QString &ClientsInfo,
                           const QString &AutorunList);

// One shortcut of a desktop description.
struct ShortcutFields
{
    qint32 Code = 0;
    QString Caption;
    QString Path;
    QString IconPath;
    QString ToolTipText;
    qint32 Left = 0;
    qint32 Top = 0;
};

// The seven fields of one shortcut, each followed by "|".
QString ShortcutText(const ShortcutFields &Shortcut);
