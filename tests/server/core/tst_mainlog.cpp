#include "clock.h"
#include "core/mainlog.h"
#include "core/widgets/messagebox.h"
#include "datafolder.h"
#include "datevalue.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace
{
QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray Stamp = "01/02/2004 10:00:00";
} // namespace

class TestMainLog : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        DataFolder::SetDataFolder(m_dir->path());
        Clock::SetNow(DateValue::Make(2004, 2, 1, 10));
        SetLoggingEnabled(true);
    }

    void cleanup()
    {
        ReleaseConnectionLogs();
        ReleaseMainLog();
        MessageBox::TakeRecords();
    }

    void mainLogInDataFolder()
    {
        QVERIFY(InitMainLog());
        MainLog().Log(QStringLiteral("Программа уже запущенна!"), Logger::KindInformation);
        ReleaseMainLog();
        QCOMPARE(ReadAll(m_dir->filePath(QStringLiteral("qmmain.log"))),
                 Stamp + " i Запуск\r\n" + Stamp + " i Программа уже запущенна!\r\n" + Stamp + " i Выход\r\n\r\n");
        QVERIFY(MainLog().FileName().isEmpty());
    }

    void mainLogThatCannotBeCreated()
    {
        DataFolder::SetDataFolder(m_dir->filePath(QStringLiteral("missing")));
        MessageBox::PrepareAnswer(QMessageBox::Ok);
        QVERIFY(!InitMainLog());
        const QList<MessageBox::Record> boxes = MessageBox::TakeRecords();
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes.first().Icon, QMessageBox::Critical);
        QCOMPARE(boxes.first().Title, QStringLiteral("Ошибка!"));
        QCOMPARE(boxes.first().Text, QStringLiteral("Невозможно создать файл лога 'qmmain.log'!"));
    }

    void reusedConnectionNumberSharesOneFile()
    {
        LogProxyEvent(QStringLiteral("GET http://a/"), 4, 3);
        LogProxyEvent(QStringLiteral("refused"), 1, 3);
        QCOMPARE(ProxyLogs().size(), size_t(1));
        QVERIFY(ProxyLogs().count(QStringLiteral("C3")));
        ReleaseConnectionLogs();
        QCOMPARE(ReadAll(m_dir->filePath(QStringLiteral("ProxyLog/Proxy3.log"))),
                 Stamp + " i Запуск\r\n" + Stamp + " i GET http://a/\r\n" + Stamp + " ! refused\r\n" + Stamp
                     + " i Выход\r\n\r\n");
    }

    void socketConnectionLog()
    {
        LogConnectionEvent(QStringLiteral("connected"), 4, 12);
        QVERIFY(ReadAll(m_dir->filePath(QStringLiteral("wslog/qmwscon12.log"))).endsWith(" i connected\r\n"));
        QVERIFY(ProxyLogs().empty());
    }

    void eventsIgnoredWithoutSwitch()
    {
        SetLoggingEnabled(false);
        LogProxyEvent(QStringLiteral("x"), 4, 1);
        LogConnectionEvent(QStringLiteral("x"), 4, 1);
        QVERIFY(ProxyLogs().empty() && ConnectionLogs().empty());
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("ProxyLog"))));
    }

    void unmakeableFolderDropsTheLine()
    {
        const QString blocker = m_dir->filePath(QStringLiteral("ProxyLog"));
        QFile file(blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        LogProxyEvent(QStringLiteral("lost"), 4, 1);
        QVERIFY(ProxyLogs().empty());
        QVERIFY(QFile::remove(blocker));
        LogProxyEvent(QStringLiteral("kept"), 4, 1);
        QCOMPARE(ProxyLogs().size(), size_t(1));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_MAIN(TestMainLog)
#include "tst_mainlog.moc"
