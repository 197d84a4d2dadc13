#pragma once

#include "clock.h"
#include "core/dbvalues.h"
#include "core/widgets/messagebox.h"
#include "coredatabase.h"
#include "datevalue.h"

#include <QPoint>

// The system's database at a set moment for the desktop suites, and the desktops and shortcuts
// they start from. The suite starts it from init and stops it from cleanup, after its widgets.
class DesktopsFixture
{
protected:
    bool Start(QString &ErrString)
    {
        Clock::SetNow(DateValue::Make(2026, 3, 5, 14, 0, 0));
        m_db = std::make_unique<CoreDatabase>();
        return m_db->StartAsProgram(ErrString);
    }

    void Stop()
    {
        MessageBox::TakeRecords();
        m_db.reset();
        Clock::SetNow(QDateTime());
    }

    qint32 AddDesktop(const QString &Name, qint32 Parent = 0) const
    {
        return m_db->Add(QStringLiteral("Desktops"),
                         {{QStringLiteral("Name"), Name}, {QStringLiteral("Parent"), Parent}});
    }

    // A shortcut to C:\Games\<Caption>.exe whose icon centre is at Centre, in twips.
    qint32 AddShortcut(qint32 Desktop,
                       const QString &Caption,
                       QPoint Centre = QPoint(),
                       const QString &IconPath = QString(),
                       const QString &ToolTip = QString()) const
    {
        return m_db->Add(
            QStringLiteral("Shortcuts"),
            {{QStringLiteral("Desktop"), Desktop},
             {QStringLiteral("Caption"), Caption},
             {QStringLiteral("Path"), QString(QStringLiteral("C:\\Games\\") + Caption + QStringLiteral(".exe"))},
             {QStringLiteral("IconPath"), IconPath},
             {QStringLiteral("ToolTipText"), ToolTip},
             {QStringLiteral("ShortcutLeft"), Centre.x()},
             {QStringLiteral("ShortcutTop"), Centre.y()}});
    }

    // The records of the table; -1 when they cannot be read.
    qsizetype Count(const QString &Table) const
    {
        const auto records = m_db->All(Table);
        return records ? records->Count() : -1;
    }

    // The desktop's change stamp; null when it has none.
    QDateTime Stamp(qint32 Desktop) const
    {
        const auto record = m_db->Record(QStringLiteral("Desktops"), Desktop);
        return record && !record->DBFields()->Item(QStringLiteral("LastChangeDate"))->IsEmpty()
                   ? DateValueOf(*record, QStringLiteral("LastChangeDate"))
                   : QDateTime();
    }

    std::unique_ptr<CoreDatabase> m_db;
};
