#include "core/widgets/desktopscombo.h"

#include "core/dbvalues.h"
#include "core/mainlog.h"
#include "core/widgets/guihelpers.h"

#include <QComboBox>

void FillDesktopsCombo(QComboBox *Combo, bool WithAll)
{
    const int selected = Combo->currentIndex();
    const qint32 remembered = selected >= 0 ? Combo->itemData(selected).toInt() : 0;
    Combo->clear();
    if (WithAll) {
        AddListItem(Combo, QStringLiteral("Все"), 0);
    }
    QString err;
    const auto desktops = AllRecords(QStringLiteral("Desktops"), err);
    if (!desktops) {
        MainLog().Log(QStringLiteral("Список рабочих столов не прочитан: ") + err, Logger::KindError);
    } else {
        for (const auto &desktop : *desktops) {
            AddListItem(Combo, TextValue(*desktop, QStringLiteral("Name")), desktop->Code());
        }
    }
    if (Combo->count() > 0) {
        Combo->setCurrentIndex(FindListIndexByData(Combo, remembered));
    }
}
