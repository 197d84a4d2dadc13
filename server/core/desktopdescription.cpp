#include "core/desktopdescription.h"

#include "core/clientmessages.h"
#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "entitylib.h"

#include <QSet>

namespace
{
std::shared_ptr<Rollstrake::DBRecord> DesktopRecord(qint32 Code)
{
    QString err;
    const auto table = DBTable(QStringLiteral("Desktops"), err);
    return table && Code > 0 ? table->GetDBRecordByCode(Code, err) : nullptr;
}

// The records of a lookup-list field of the record; none when it cannot be read.
std::shared_ptr<Rollstrake::DBRecords> LookupList(const Rollstrake::DBRecord &Record, const QString &Name)
{
    const auto field = Record.DBFields()->Item(Name);
    if (!field) {
        return nullptr;
    }
    QString err;
    const auto records = field->LookupTable(err);
    if (!err.isEmpty()) {
        MainLog().Log(QStringLiteral("Список '") + Name + QStringLiteral("': ") + err, 0);
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

bool IsDescendant(qint32 AncestorCode, qint32 DesktopCode, QSet<qint32> &Visited)
{
    if (Visited.contains(AncestorCode)) {
        return false;
    }
    Visited.insert(AncestorCode);
    const auto ancestor = DesktopRecord(AncestorCode);
    const auto children = ancestor ? LookupList(*ancestor, QStringLiteral("ChildrenDesktops")) : nullptr;
    if (!children) {
        return false;
    }
    for (const auto &child : *children) {
        if (child->Code() == DesktopCode || IsDescendant(child->Code(), DesktopCode, Visited)) {
            return true;
        }
    }
    return false;
}
} // namespace

void GetDesktopDescription(qint32 DesktopCode, QString &Description)
{
    auto desktop = DesktopRecord(DesktopCode);
    if (!desktop) {
        return;
    }
    const qsizetype bar = Description.indexOf(QLatin1Char('|'));
    qint64 count = bar < 0 ? 0 : AnswerValue(Description.left(bar));
    QString shortcuts = bar < 0 ? QString() : Description.mid(bar + 1);
    QSet<qint32> visited;
    while (desktop && !visited.contains(desktop->Code())) {
        visited.insert(desktop->Code());
        if (const auto list = LookupList(*desktop, QStringLiteral("Shortcuts"))) {
            for (const auto &shortcut : *list) {
                shortcuts += ShortcutText(ReadShortcut(*shortcut));
                ++count;
            }
        }
        desktop = DesktopRecord(IntValue(*desktop, QStringLiteral("Parent")));
    }
    Description = NumberForm(count) + QLatin1Char('|') + shortcuts;
}

bool IsDesktopDescendant(qint32 AncestorCode, qint32 DesktopCode)
{
    QSet<qint32> visited;
    return IsDescendant(AncestorCode, DesktopCode, visited);
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
        MainLog().Log(QStringLiteral("GetDesktopByPassword: ") + err, 0);
    }
    QString description;
    if (desktop) {
        GetDesktopDescription(desktop->Code(), description);
    }
    return description;
}
