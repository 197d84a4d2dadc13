#pragma once

#include <QObject>
#include <QString>

// The connection to the database server as the program meets it. A lost connection is logged once,
// with the driver's text, and again when it is back. Meanwhile background work (the tiles' refresh)
// tries to open it again no oftener than the library's back-off, and every operator action tries at
// once and, while the database stays away, says so in one box instead of going on. An embedded
// database file is never away.
class DatabaseLink final : public QObject
{
    Q_OBJECT

public:
    static DatabaseLink &Instance();

    // Receives the library's word of the loss and of the return: the main log's lines and Changed.
    static void Watch();
    // Background work: true when the database can be used, after a try when the back-off allows one.
    static bool AtHand();
    // An operator's action: true when the database can be used, after a try at once; otherwise the
    // box (and its log line) says that the database is away, with the driver's text.
    static bool ForOperator();
    // The text of that box.
    static QString AwayText(const QString &DriverText);

signals:
    // Away with the driver's text when the connection is lost; not away once it is back.
    void Changed(bool Away, const QString &DriverText);

private:
    DatabaseLink() = default;
};
