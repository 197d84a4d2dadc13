#include "desktops/shortcutrecords.h"

#include "core/dbvalues.h"
#include "desktops/desktoprecords.h"
#include "entitylib.h"

namespace
{
const QString ShortcutsTable = QStringLiteral("Shortcuts");

void SetCentre(Rollstrake::DBRecord &Record, QPoint Centre)
{
    SetFieldValue(Record, QStringLiteral("ShortcutLeft"), Centre.x());
    SetFieldValue(Record, QStringLiteral("ShortcutTop"), Centre.y());
}

bool StoreCentre(qint32 Code, QPoint Centre, QString &ErrString)
{
    const auto record = RecordByCode(ShortcutsTable, Code, ErrString);
    if (!record) {
        ErrString = ErrString.isEmpty() ? QStringLiteral("Ярлык не найден!") : ErrString;
        return false;
    }
    SetCentre(*record, Centre);
    return record->Update(ErrString);
}
} // namespace

std::shared_ptr<Rollstrake::DBRecord> NewShortcut(qint32 DesktopCode, QPoint Centre, QString &ErrString)
{
    const auto table = DBTable(ShortcutsTable, ErrString);
    if (!table) {
        return nullptr;
    }
    auto record = table->GetNewRecord();
    SetFieldValue(*record, QStringLiteral("Desktop"), DesktopCode);
    SetCentre(*record, Centre);
    return record;
}

std::shared_ptr<Rollstrake::DBRecord> ShortcutToEdit(qint32 Code, QPoint Centre, QString &ErrString)
{
    auto record = RecordByCode(ShortcutsTable, Code, ErrString);
    if (record) {
        SetCentre(*record, Centre);
    }
    return record;
}

bool StoreShortcut(Rollstrake::DBRecord &Record, QString &ErrString)
{
    Rollstrake::Transaction transaction;
    return transaction.Begin(ErrString) && Record.Update(ErrString) && transaction.Commit(ErrString);
}

bool DeleteShortcutRecord(qint32 Code, QString &ErrString)
{
    const auto table = DBTable(ShortcutsTable, ErrString);
    Rollstrake::Transaction transaction;
    if (table && transaction.Begin(ErrString) && table->Remove(Code, false, ErrString)
        && transaction.Commit(ErrString)) {
        return true;
    }
    if (ErrString.isEmpty()) {
        ErrString = QStringLiteral("Ошибка удаления ярлыка!");
    }
    return false;
}

bool StoreShortcutCentres(qint32 DesktopCode, const QMap<qint32, QPoint> &Centres, QString &ErrString)
{
    if (!RecordByCode(QStringLiteral("Desktops"), DesktopCode, ErrString)) {
        return ErrString.isEmpty();
    }
    Rollstrake::Transaction transaction;
    if (!transaction.Begin(ErrString)) {
        return false;
    }
    for (auto it = Centres.cbegin(); it != Centres.cend(); ++it) {
        if (!StoreCentre(it.key(), it.value(), ErrString)) {
            return false;
        }
    }
    return StampDesktopChange(DesktopCode, ErrString) && transaction.Commit(ErrString);
}
