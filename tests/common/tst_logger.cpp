#include "clock.h"
#include "datevalue.h"
#include "logger.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace
{
QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QByteArray Stamp = "05/03/2003 14:20:07";
} // namespace

class TestLogger : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        Clock::SetNow(DateValue::Make(2003, 3, 5, 14, 20, 7));
    }

    void cleanup()
    {
        Clock::SetNow(QDateTime());
    }

    // "Запуск" is the first line of a new log, so the line after it is the second.
    void runOnNewFile()
    {
        const QString name = m_dir->filePath(QStringLiteral("qmmain.log"));
        {
            Logger log;
            QVERIFY(log.Init(name));
            QCOMPARE(log.FileName(), name);
            log.Log(QStringLiteral("Ошибка БД"), Logger::KindError);
        }
        QCOMPARE(ReadAll(name), Stamp + " i Запуск\r\n" + Stamp + " ! Ошибка БД\r\n" + Stamp + " i Выход\r\n\r\n");
    }

    void initKeepsExistingLines()
    {
        const QString name = m_dir->filePath(QStringLiteral("qmmain.log"));
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("earlier run\r\n");
        file.close();
        Logger log;
        QVERIFY(log.Init(name));
        QCOMPARE(ReadAll(name), "earlier run\r\n" + Stamp + " i Запуск\r\n");
    }

    void kinds_data()
    {
        QTest::addColumn<qint32>("kind");
        QTest::addColumn<QByteArray>("mark");
        QTest::newRow("error") << 0 << QByteArray("!");
        QTest::newRow("information") << 1 << QByteArray("i");
        QTest::newRow("two") << 2 << QByteArray("i");
        QTest::newRow("four") << 4 << QByteArray("i");
        QTest::newRow("negative") << -1 << QByteArray("i");
    }

    void kinds()
    {
        QFETCH(qint32, kind);
        QFETCH(QByteArray, mark);
        const QString name = m_dir->filePath(QStringLiteral("k.log"));
        Logger log;
        log.SetFileName(name);
        log.Log(QStringLiteral("two\nlines"), kind);
        QCOMPARE(ReadAll(name), Stamp + ' ' + mark + " two\nlines\r\n");
        log.SetFileName(QString());
    }

    void deletedFileComesBackWithoutStartLine()
    {
        const QString name = m_dir->filePath(QStringLiteral("qmmain.log"));
        Logger log;
        QVERIFY(log.Init(name));
        QVERIFY(QFile::remove(name));
        log.Log(QStringLiteral("после"), Logger::KindInformation);
        QCOMPARE(ReadAll(name), Stamp + " i после\r\n");
    }

    void unboundLogWritesNothing()
    {
        Logger log;
        log.Log(QStringLiteral("lost"), Logger::KindInformation);
        QVERIFY(log.FileName().isEmpty());
        QVERIFY(QDir(m_dir->path()).isEmpty());
    }

    void initFailsInMissingFolder()
    {
        Logger log;
        const QString name = m_dir->filePath(QStringLiteral("missing/qmmain.log"));
        QVERIFY(!log.Init(name));
        QVERIFY(log.FileName().isEmpty());
        QCOMPARE(log.LastError(),
                 QStringLiteral("Ошибка создания файла лога '") + name + QStringLiteral("': Путь не найден"));
    }

    // A dropped line leaves its reason; the next line that gets through clears it.
    void droppedLineTellsWhy()
    {
        const QString name = m_dir->filePath(QStringLiteral("qmmain.log"));
        Logger log;
        QVERIFY(log.Init(name));
        QVERIFY(log.LastError().isEmpty());
        QVERIFY(QFile::remove(name));
        QVERIFY(QDir().mkdir(name));
        log.Log(QStringLiteral("lost"), Logger::KindInformation);
        QCOMPARE(log.LastError(),
                 QStringLiteral("Ошибка открытия файла '") + name
                     + QStringLiteral("' на запись: Это папка, а не файл"));
        QVERIFY(QDir().rmdir(name));
        log.Log(QStringLiteral("kept"), Logger::KindInformation);
        QVERIFY(log.LastError().isEmpty());
        QCOMPARE(ReadAll(name), Stamp + " i kept\r\n");
    }

    // The line goes through at once: no pause, and no other event runs inside Log.
    void fileHeldByAnotherProcess()
    {
        const QString name = m_dir->filePath(QStringLiteral("qmmain.log"));
        Logger log;
        QVERIFY(log.Init(name));
        QProcess holder;
        holder.start(QStringLiteral("flock"),
                     {name, QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo locked; read line")});
        QVERIFY(holder.waitForReadyRead(10000));
        bool eventRan = false;
        QTimer::singleShot(0, this, [&] { eventRan = true; });
        log.Log(QStringLiteral("while held"), Logger::KindInformation);
        QVERIFY(!eventRan);
        QVERIFY(ReadAll(name).endsWith(QByteArray(Stamp + " i while held\r\n")));
        holder.closeWriteChannel();
        QVERIFY(holder.waitForFinished(10000));
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestLogger)
#include "tst_logger.moc"
