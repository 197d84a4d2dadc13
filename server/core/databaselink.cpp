#include "core/databaselink.h"

#include "core/errorbox.h"
#include "core/mainlog.h"
#include "entitylib.h"

DatabaseLink &DatabaseLink::Instance()
{
    static auto *link = new DatabaseLink();
    return *link;
}

void DatabaseLink::Watch()
{
    Rollstrake::Root::SetConnectionStateHandler([](bool Lost, const QString &Text) {
        if (Lost) {
            MainLog().Log(QStringLiteral("Потеряно соединение с базой данных: ") + Text.simplified(),
                          Logger::KindError);
        } else {
            MainLog().Log(QStringLiteral("Соединение с базой данных восстановлено"), Logger::KindInformation);
        }
        emit Instance().Changed(Lost, Text);
    });
}

bool DatabaseLink::AtHand()
{
    QString err;
    return Rollstrake::Root::Reconnect(false, err);
}

bool DatabaseLink::ForOperator()
{
    QString err;
    if (Rollstrake::Root::Reconnect(true, err)) {
        return true;
    }
    // Logged too, on one line: the box may be answered by no one.
    const QString text = AwayText(err);
    MainLog().Log(text.simplified(), Logger::KindError);
    ShowError(text);
    return false;
}

QString DatabaseLink::AwayText(const QString &DriverText)
{
    return QStringLiteral("Нет соединения с базой данных!\r\n") + DriverText;
}
