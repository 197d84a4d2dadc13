#include "desktops/desktoprecords.h"

#include "clock.h"
#include "core/dbvalues.h"
#include "entitylib.h"

namespace
{
struct Desktop
{
    qint32 Code = 0;
    QString Name;
};

// The desktop and every desktop below it, each child before its parent.
bool CollectSubtree(qint32 Code, QList<Desktop> &Subtree, QString &ErrString)
{
    // A chain of parents that loops back is walked once.
    for (const Desktop &known : std::as_const(Subtree)) {
        if (known.Code == Code) {
            return true;
        }
    }
    const auto record = RecordByCode(QStringLiteral("Desktops"), Code, ErrString);
    if (!record) {
        ErrString = ErrString.isEmpty() ? QStringLiteral("Рабочий стол не найден!") : ErrString;
        return false;
    }
    const auto childrenField = record->DBFields()->Item(QStringLiteral("ChildrenDesktops"));
    const auto children = childrenField ? childrenField->LookupTable(ErrString) : nullptr;
    if (!children) {
        ErrString = ErrString.isEmpty() ? QStringLiteral("Нет списка дочерних рабочих столов!") : ErrString;
        return false;
    }
    const qsizetype place = Subtree.size();
    Subtree.append({Code, TextValue(*record, QStringLiteral("Name"))});
    for (const auto &child : *children) {
        if (!CollectSubtree(child->Code(), Subtree, ErrString)) {
            return false;
        }
    }
    // The desktop goes after its descendants.
    Subtree.move(place, Subtree.size() - 1);
    return true;
}

bool CheckNotInUse(const QList<Desktop> &Subtree, QString &ErrString)
{
    for (const Desktop &desktop : Subtree) {
        const auto record = RecordByCode(QStringLiteral("Desktops"), desktop.Code, ErrString);
        if (!record) {
            ErrString = ErrString.isEmpty() ? QStringLiteral("Рабочий стол не найден!") : ErrString;
            return false;
        }
        if (record->IsInUse(QStringLiteral("Seances"))) {
            ErrString = QStringLiteral("По рабочему столу '") + desktop.Name
                        + QStringLiteral("' есть сеансы! Удаление невозможно!");
            return false;
        }
        if (record->IsInUse(QStringLiteral("NightReserves"))) {
            ErrString = QStringLiteral("По рабочему столу '") + desktop.Name
                        + QStringLiteral("' есть ночные резервы! Удаление невозможно!");
            return false;
        }
    }
    return true;
}

// A removal whose failure the library reported elsewhere still gets a text of its own here.
bool Remove(Rollstrake::Table &Table, qint32 Code, const QString &What, QString &ErrString)
{
    if (Table.Remove(Code, false, ErrString)) {
        return true;
    }
    if (ErrString.isEmpty()) {
        ErrString = QStringLiteral("Ошибка удаления ") + What + QStringLiteral("!");
    }
    return false;
}

bool RemoveDesktop(const Desktop &Desktop,
                   Rollstrake::Table &Desktops,
                   Rollstrake::Table &Shortcuts,
                   QString &ErrString)
{
    const auto shortcuts = Shortcuts.GetRecordsByFieldValue(QStringLiteral("Desktop"), Desktop.Code, ErrString);
    if (!shortcuts) {
        return false;
    }
    for (const auto &shortcut : *shortcuts) {
        if (!Remove(Shortcuts,
                    shortcut->Code(),
                    QStringLiteral("ярлыка '") + TextValue(*shortcut, QStringLiteral("Caption")) + QLatin1Char('\''),
                    ErrString)) {
            return false;
        }
    }
    return Remove(Desktops,
                  Desktop.Code,
                  QStringLiteral("рабочего стола '") + Desktop.Name + QLatin1Char('\''),
                  ErrString);
}
} // namespace

qint32 ColumnLength(const Rollstrake::DBRecord &Record, const QString &FieldName)
{
    const auto table = Record.Table();
    const auto field = table ? table->Fields()->Item(FieldName) : nullptr;
    return field ? qMax(field->Length(), 0) : 0;
}

std::shared_ptr<Rollstrake::DBRecord> NewDesktop(qint32 ParentCode, QString &ErrString)
{
    const auto table = DBTable(QStringLiteral("Desktops"), ErrString);
    if (!table) {
        return nullptr;
    }
    auto record = table->GetNewRecord();
    SetFieldValue(*record, QStringLiteral("Parent"), ParentCode);
    return record;
}

bool StoreDesktop(Rollstrake::DBRecord &Record, QString &ErrString)
{
    if (Record.Code() != 0) {
        SetFieldValue(Record, QStringLiteral("LastChangeDate"), Clock::Now());
    }
    Rollstrake::Transaction transaction;
    return transaction.Begin(ErrString) && Record.Update(ErrString) && transaction.Commit(ErrString);
}

bool StampDesktopChange(qint32 DesktopCode, QString &ErrString)
{
    const auto record = RecordByCode(QStringLiteral("Desktops"), DesktopCode, ErrString);
    if (!record) {
        ErrString = ErrString.isEmpty() ? QStringLiteral("Рабочий стол не найден!") : ErrString;
        return false;
    }
    SetFieldValue(*record, QStringLiteral("LastChangeDate"), Clock::Now());
    return record->Update(ErrString);
}

bool DeleteDesktopTree(qint32 DesktopCode, QList<qint32> &Removed, QString &ErrString)
{
    Removed.clear();
    QList<Desktop> subtree;
    const auto desktops = DBTable(QStringLiteral("Desktops"), ErrString);
    const auto shortcuts = DBTable(QStringLiteral("Shortcuts"), ErrString);
    if (!desktops || !shortcuts || !CollectSubtree(DesktopCode, subtree, ErrString)
        || !CheckNotInUse(subtree, ErrString)) {
        return false;
    }
    Rollstrake::Transaction transaction;
    if (!transaction.Begin(ErrString)) {
        return false;
    }
    for (const Desktop &desktop : std::as_const(subtree)) {
        if (!RemoveDesktop(desktop, *desktops, *shortcuts, ErrString)) {
            return false;
        }
    }
    if (!transaction.Commit(ErrString)) {
        return false;
    }
    for (const Desktop &desktop : std::as_const(subtree)) {
        Removed.append(desktop.Code);
    }
    return true;
}
