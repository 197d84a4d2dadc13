#include "core/desktopdescription.h"

#include "core/clientmessages.h"
#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "entitylib.h"

#include <QSet>

namespace
{
std::shared_ptr<Rollstrake::DBRecord> DesktopRecord(qint32 Code, QString &ErrString)
{
    return RecordByCode(QStringLiteral("Desktops"), Code, ErrString);
}

// The records of a lookup-list field of the record; none with ErrString when it cannot be read.
std::shared_ptr<Rollstrake::DBRecords>
LookupList(const Rollstrake::DBRecord &Record, const QString &Name, QString &ErrString)
{
    const auto field = Record.DBFields()->Item(Name);
    if (!field) {
        ErrString = QStringLiteral("Нет списка '") + Name + QStringLiteral("' в таблице рабочих столов!");
        return nullptr;
    }
    const auto records = field->LookupTable(ErrString);
    if (!ErrString.isEmpty()) {
        ErrString = QStringLiteral("Список '") + Name + QStringLiteral("': ") + ErrString;
    }
    return records;
}

ShortcutFields ReadShortcut(const Rollstrake::DBRecord &Record)
{
    ShortcutFields shortcut;
    shortcut.Code = Record.Code();
    shortcut.Caption = TextValue(Record, QStringLiteral("Caption"));
    shortcut.Path = TextValue(Record, QStringLiteral("Path"));
    shortcut.IconPath = TextValue(Record, QStringLiteral("IconPath"));
    shortcut.ToolTipText = TextValue(Record, QStringLiteral("ToolTipText"));
    shortcut.Left = IntValue(Record, QStringLiteral("ShortcutLeft"));
    shortcut.Top = IntValue(Record, QStringLiteral("ShortcutTop"));
    return shortcut;
}

bool IsDescendant(qint32 AncestorCode, qint32 DesktopCode, QSet<qint32> &Visited, QString &ErrString)
{
    if (Visited.contains(AncestorCode)) {
        return false;
    }
    Visited.insert(AncestorCode);
    const auto ancestor = DesktopRecord(AncestorCode, ErrString);
    const auto children = ancestor ? LookupList(*ancestor, QStringLiteral("ChildrenDesktops"), ErrString) : nullptr;
    if (!children) {
        return false;
    }
    for (const auto &child : *children) {
        if (child->Code() == DesktopCode || IsDescendant(child->Code(), DesktopCode, Visited, ErrString)) {
            return true;
        }
        if (!ErrString.isEmpty()) {
            return false;
        }
    }
    return false;
}
} // namespace

bool GetDesktopDescription(qint32 DesktopCode, QString &Description, QString &ErrString)
{
    ErrString.clear();
    auto desktop = DesktopRecord(DesktopCode, ErrString);
    if (!desktop) {
        return ErrString.isEmpty();
    }
    const qsizetype bar = Description.indexOf(QLatin1Char('|'));
    qint64 count = bar < 0 ? 0 : AnswerValue(Description.left(bar));
    QString shortcuts = bar < 0 ? QString() : Description.mid(bar + 1);
    QSet<qint32> visited;
    while (desktop && !visited.contains(desktop->Code())) {
        visited.insert(desktop->Code());
        const auto list = LookupList(*desktop, QStringLiteral("Shortcuts"), ErrString);
        if (!list) {
            return false;
        }
        for (const auto &shortcut : *list) {
            shortcuts += ShortcutText(ReadShortcut(*shortcut));
            ++count;
        }
        desktop = DesktopRecord(IntValue(*desktop, QStringLiteral("Parent")), ErrString);
        if (!ErrString.isEmpty()) {
            return false;
        }
    }
    Description = NumberForm(count) + QLatin1Char('|') + shortcuts;
    return true;
}

bool IsDesktopDescendant(qint32 AncestorCode, qint32 DesktopCode)
{
    QSet<qint32> visited;
    QString err;
    const bool descendant = IsDescendant(AncestorCode, DesktopCode, visited, err);
    LogDbError(QStringLiteral("IsDesktopDescendant"), err);
    return descendant;
}

QString GetDesktopByPassword(const QString &Password)
{
    if (Password.trimmed().isEmpty()) {
        return QString();
    }
    QString err;
    const auto table = DBTable(QStringLiteral("Desktops"), err);
    const auto desktop = table ? table->GetRecordByFieldValue(QStringLiteral("Password"), Password, err) : nullptr;
    if (!err.isEmpty()) {
        MainLog().Log(QStringLiteral("GetDesktopByPassword: ") + err, Logger::KindError);
    }
    QString description;
    if (desktop && !GetDesktopDescription(desktop->Code(), description, err)) {
        MainLog().Log(QStringLiteral("GetDesktopByPassword: ") + err, Logger::KindError);
        return QString();
    }
    return description;
}
