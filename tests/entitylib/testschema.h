#pragma once

#include <QByteArray>

// A small schema with every field class and type, shared by the database suites.
inline QByteArray TestSchema()
{
    return QByteArrayLiteral(
        "{TABLE}\n{NAME=Desktops}\n{CAPTION=Рабочие столы}\n"
        "{FIELD}\n{NAME=Name}\n{TYPE=VARCHAR}\n{LENGTH=20}\n{REQUIRED}\n{SORTED}\n"
        "{CAPTION=Наименование}\n{/FIELD}\n"
        "{FIELD}\n{NAME=Password}\n{TYPE=VARCHAR}\n{LENGTH=32}\n{UNIQUE}\n{CAPTION=Пароль}\n{/FIELD}\n"
        "{FIELD}\n{NAME=Parent}\n{CLASS=FOREIGNKEY}\n{TABLEFORLOOKUP=Desktops}\n"
        "{FIELDFORLOOKUP=Name}\n{CAPTION=Родитель}\n{/FIELD}\n"
        "{FIELD}\n{NAME=Children}\n{CLASS=LOOKUPTABLE}\n{TABLEFORLOOKUP=Desktops}\n"
        "{FIELDFORLOOKUP=Parent}\n{/FIELD}\n"
        "{FIELD}\n{NAME=SeanceList}\n{CLASS=LOOKUPTABLE}\n{TABLEFORLOOKUP=Seances}\n"
        "{FIELDFORLOOKUP=Desktop}\n{/FIELD}\n"
        "{FIELD}\n{NAME=SeanceSum}\n{CLASS=LOOKUPTABLETOTAL}\n{TABLEFORLOOKUP=SeanceList}\n"
        "{FIELDFORLOOKUP=Price}\n{/FIELD}\n"
        "{/TABLE}\n"
        "{TABLE}\n{NAME=Seances}\n{CAPTION=Сеансы}\n"
        "{FIELD}\n{NAME=Desktop}\n{CLASS=FOREIGNKEY}\n{TABLEFORLOOKUP=desktops}\n"
        "{FIELDFORLOOKUP=Name}\n{REQUIRED}\n{CAPTION=Рабочий стол}\n{/FIELD}\n"
        "{FIELD}\n{NAME=Price}\n{TYPE=DOUBLE}\n{TOTAL=SUM}\n{CAPTION=Цена}\n{/FIELD}\n"
        "{FIELD}\n{NAME=Minutes}\n{TOTAL=SUM}\n{DEFAULT=5}\n{/FIELD}\n"
        "{FIELD}\n{NAME=BeginDate}\n{TYPE=DATETIME}\n{/FIELD}\n"
        "{FIELD}\n{NAME=Day}\n{TYPE=DATE}\n{/FIELD}\n"
        "{FIELD}\n{NAME=Note}\n{TYPE=VARCHAR}\n{LENGTH=50}\n{/FIELD}\n"
        "{/TABLE}\n"
        "{TABLE}\n{NAME=Config}\n{CAPTION=Настройки}\n{CACHED}\n"
        "{FIELD}\n{NAME=FieldName}\n{TYPE=VARCHAR}\n{UNIQUE}\n{REQUIRED}\n{CAPTION=Параметр}\n{/FIELD}\n"
        "{FIELD}\n{NAME=FieldValue}\n{TYPE=VARCHAR}\n{LENGTH=255}\n{/FIELD}\n"
        "{/TABLE}\n"
        "{TABLE}\n{NAME=Pairs}\n{CAPTION=Пары}\n{COMBINEUNIQUE}\n"
        "{FIELD}\n{NAME=A}\n{UNIQUE}\n{CAPTION=Первое}\n{/FIELD}\n"
        "{FIELD}\n{NAME=B}\n{TYPE=VARCHAR}\n{UNIQUE}\n{CAPTION=Второе}\n{/FIELD}\n"
        "{/TABLE}\n"
        "{TABLE}\n{NAME=Locked}\n{CAPTION=Архив}\n{READONLY}\n"
        "{FIELD}\n{NAME=Seance}\n{CLASS=FOREIGNKEY}\n{TABLEFORLOOKUP=Seances}\n"
        "{FIELDFORLOOKUP=Note}\n{/FIELD}\n"
        "{/TABLE}\n");
}
