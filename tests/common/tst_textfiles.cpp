#include "descriptorlimit.h"
#include "textfiles.h"

#include <QDir>
#include <QFileInfo>
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

void WriteRaw(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A second process that holds the exclusive lock of a file until Release (flock(1) takes the same
// kind of lock as the program).
class LockHolder
{
public:
    explicit LockHolder(const QString &path)
    {
        m_process.start(QStringLiteral("flock"),
                        {path, QStringLiteral("sh"), QStringLiteral("-c"), QStringLiteral("echo locked; read line")});
    }

    ~LockHolder()
    {
        Release();
    }

    bool WaitLocked()
    {
        return m_process.waitForReadyRead(10000) && m_process.readAll().startsWith("locked");
    }

    void Release()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(10000);
    }

private:
    QProcess m_process;
};

// Exit code of a second process that asks for the lock without waiting: 0 free, 1 busy.
int ProbeLock(const QString &path)
{
    return QProcess::execute(QStringLiteral("flock"), {QStringLiteral("-n"), path, QStringLiteral("true")});
}
} // namespace

class TestTextFiles : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void appendCreatesMissingFile()
    {
        const QString name = Path(QStringLiteral("новый.log"));
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = false;
        QCOMPARE(OpenFileForWrite(name, file, error, true, backup), 1);
        QVERIFY(file && file->isOpen());
        file->write("one\r\n");
        file.reset();
        QCOMPARE(OpenFileForWrite(name, file, error, true, backup), 1);
        file->write("two\r\n");
        file.reset();
        QCOMPARE(ReadAll(name), QByteArray("one\r\ntwo\r\n"));
    }

    void openFileIsLockedForOthers()
    {
        const QString name = Path(QStringLiteral("held.log"));
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = false;
        QCOMPARE(OpenFileForWrite(name, file, error, true, backup), 1);
        QCOMPARE(ProbeLock(name), 1);
        file.reset();
        QCOMPARE(ProbeLock(name), 0);
    }

    void rewriteReplacesContent()
    {
        const QString name = Path(QStringLiteral("a.txt"));
        WriteRaw(name, "old old old");
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = false;
        QCOMPARE(OpenFileForWrite(name, file, error, false, backup), 1);
        file->write("new");
        file.reset();
        QCOMPARE(ReadAll(name), QByteArray("new"));
    }

    // The holder is still using the file: nothing is waited for and the old content stays.
    void rewriteOfHeldFileKeepsOldContent()
    {
        const QString name = Path(QStringLiteral("a.txt"));
        WriteRaw(name, "old");
        LockHolder holder(name);
        QVERIFY(holder.WaitLocked());
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = false;
        QCOMPARE(OpenFileForWrite(name, file, error, false, backup, true), -3);
        QVERIFY(!file);
        QVERIFY2(error.startsWith(QStringLiteral("Ошибка открытия файла '") + name + QStringLiteral("' на запись: ")),
                 qPrintable(error));
        QCOMPARE(ReadAll(name), QByteArray("old"));
    }

    void appendToHeldFileWithoutRetryIsBusy()
    {
        const QString name = Path(QStringLiteral("qmmain.log"));
        WriteRaw(name, "line\r\n");
        LockHolder holder(name);
        QVERIFY(holder.WaitLocked());
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = false;
        QCOMPARE(OpenFileForWrite(name, file, error, true, backup), 0);
        QCOMPARE(error, QStringLiteral("Файл '") + name + QStringLiteral("' заблокирован!"));
        QCOMPARE(ReadAll(name), QByteArray("line\r\n"));
    }

    // The holder lets go while the first pause runs; events keep flowing during the pause.
    void appendRetriesUntilHolderLetsGo()
    {
        const QString name = Path(QStringLiteral("qmmain.log"));
        LockHolder holder(name);
        QVERIFY(holder.WaitLocked());
        bool timerRan = false;
        QTimer::singleShot(200, this, [&] {
            timerRan = true;
            holder.Release();
        });
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = false;
        QCOMPARE(OpenFileForWrite(name, file, error, true, backup, true), 1);
        QVERIFY(timerRan);
        QVERIFY(file->isOpen());
    }

    void backupOfExistingFile()
    {
        const QString name = Path(QStringLiteral("a.txt"));
        WriteRaw(name, "first");
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = true;
        QCOMPARE(OpenFileForWrite(name, file, error, false, backup), 1);
        QVERIFY(backup);
        file->write("second");
        file.reset();
        QCOMPARE(ReadAll(Path(QStringLiteral("a.bak"))), QByteArray("first"));
        QCOMPARE(ReadAll(name), QByteArray("second"));
    }

    void backupFlagFollowsWhatWasDone()
    {
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = true;
        QCOMPARE(OpenFileForWrite(Path(QStringLiteral("missing.txt")), file, error, false, backup), 1);
        QVERIFY(!backup);

        const QString appended = Path(QStringLiteral("b.log"));
        WriteRaw(appended, "x");
        backup = true;
        QCOMPARE(OpenFileForWrite(appended, file, error, true, backup), 1);
        QVERIFY(!backup);
        QVERIFY(!QFile::exists(Path(QStringLiteral("b.bak"))));
    }

    void failedOpenPutsBackupBack()
    {
        const QString name = Path(QStringLiteral("a.txt"));
        WriteRaw(name, "precious");
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = true;
        {
            // No descriptor is left for the new file once the old one has gone to its backup name.
            DescriptorLimit limit(DescriptorLimit::LowestFree());
            QCOMPARE(OpenFileForWrite(name, file, error, false, backup), -3);
        }
        QVERIFY(error.startsWith(QStringLiteral("Ошибка открытия файла '")));
        QVERIFY(!backup);
        QVERIFY(!QFile::exists(Path(QStringLiteral("a.bak"))));
        QCOMPARE(ReadAll(name), QByteArray("precious"));
    }

    void backupOfBakFileIsRefused()
    {
        const QString name = Path(QStringLiteral("x.bak"));
        WriteRaw(name, "only copy");
        std::unique_ptr<QFile> file;
        QString error;
        bool backup = true;
        QCOMPARE(OpenFileForWrite(name, file, error, false, backup), 0);
        QVERIFY(error.startsWith(QStringLiteral("Ошибка создания BAK-файла: ")));
        QCOMPARE(ReadAll(name), QByteArray("only copy"));
    }

    void backupFileName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("log") << QStringLiteral("/var/qm/qmmain.log") << QStringLiteral("/var/qm/qmmain.bak");
        QTest::newRow("point in folder") << QStringLiteral("dir.old/readme") << QStringLiteral("dir.old/readme.bak");
        QTest::newRow("no point") << QStringLiteral("readme") << QStringLiteral("readme.bak");
        QTest::newRow("last point") << QStringLiteral("a.b.c") << QStringLiteral("a.b.bak");
        QTest::newRow("trailing point") << QStringLiteral("a.") << QStringLiteral("a.bak");
    }

    void backupFileName()
    {
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(GetBackupFileName(name), expected);
    }

    void restoreBackup()
    {
        const QString name = Path(QStringLiteral("a.txt"));
        QString error;
        QVERIFY(!RestoreBackupFile(name, error));
        QCOMPARE(error, QStringLiteral("Файл '") + Path(QStringLiteral("a.bak")) + QStringLiteral("' не найден!"));

        WriteRaw(Path(QStringLiteral("a.bak")), "saved");
        WriteRaw(name, "broken");
        QVERIFY(RestoreBackupFile(name, error));
        QCOMPARE(ReadAll(name), QByteArray("saved"));
        QVERIFY(!QFile::exists(Path(QStringLiteral("a.bak"))));
    }

    void restoreOntoFolderFailsWithoutThrowing()
    {
        const QString name = Path(QStringLiteral("a.txt"));
        QVERIFY(QDir().mkpath(name + QStringLiteral("/inner")));
        WriteRaw(Path(QStringLiteral("a.bak")), "saved");
        QString error;
        QVERIFY(!RestoreBackupFile(name, error));
        QVERIFY2(error.startsWith(QStringLiteral("Ошибка восстановления файла '")), qPrintable(error));
        QCOMPARE(ReadAll(Path(QStringLiteral("a.bak"))), QByteArray("saved"));
    }

    void writeTextFile()
    {
        const QString name = Path(QStringLiteral("sckdump.txt"));
        WriteRaw(name, "a much longer old content");
        QString error = QStringLiteral("stale");
        QVERIFY(WriteTextFile(name, QStringLiteral("1\t0\tOUT"), error));
        QVERIFY(error.isEmpty());
        QCOMPARE(ReadAll(name), QByteArray("1\t0\tOUT\r\n"));
        QVERIFY(WriteTextFile(name, QString(), error));
        QCOMPARE(ReadAll(name), QByteArray("\r\n"));
    }

    // The tail of a file that holds the size its writer expects is replaced in place; a file of
    // another size or none at all is left for the writer to write whole.
    void patchFileTail_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<qint64>("oldSize");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<int>("result");
        QTest::addColumn<QByteArray>("after");
        const auto patched = int(FilePatch::Patched);
        const auto stale = int(FilePatch::Stale);
        QTest::newRow("longer tail") << QByteArray("1\tA\r\n2\tB\r\n") << qint64(10) << qint64(5)
                                     << QByteArray("2\tCC\r\n3\tD\r\n") << patched
                                     << QByteArray("1\tA\r\n2\tCC\r\n3\tD\r\n");
        QTest::newRow("shorter tail") << QByteArray("1\tA\r\n2\tB\r\n") << qint64(10) << qint64(5) << QByteArray("\r\n")
                                      << patched << QByteArray("1\tA\r\n\r\n");
        QTest::newRow("end only") << QByteArray("1\tA\r\n") << qint64(5) << qint64(5) << QByteArray() << patched
                                  << QByteArray("1\tA\r\n");
        QTest::newRow("another size") << QByteArray("changed by hand") << qint64(10) << qint64(5) << QByteArray("x")
                                      << stale << QByteArray("changed by hand");
        QTest::newRow("past the end") << QByteArray("1\tA\r\n") << qint64(5) << qint64(6) << QByteArray("x") << stale
                                      << QByteArray("1\tA\r\n");
    }

    void patchFileTail()
    {
        QFETCH(QByteArray, before);
        QFETCH(qint64, oldSize);
        QFETCH(qint64, offset);
        QFETCH(QByteArray, tail);
        QFETCH(int, result);
        QFETCH(QByteArray, after);
        const QString name = Path(QStringLiteral("sckdump.txt"));
        WriteRaw(name, before);
        QString error;
        QCOMPARE(int(PatchFileTail(name, oldSize, offset, tail, error)), result);
        QCOMPARE(error, QString());
        QCOMPARE(ReadAll(name), after);
    }

    void patchMissingFileIsStale()
    {
        const QString name = Path(QStringLiteral("gone.txt"));
        QString error;
        QCOMPARE(PatchFileTail(name, 0, 0, QByteArray("x"), error), FilePatch::Stale);
        QVERIFY(!QFileInfo::exists(name));
    }

    void writeTextFileIntoMissingFolder()
    {
        QString error;
        QVERIFY(!WriteTextFile(Path(QStringLiteral("none/x.txt")), QStringLiteral("x"), error));
        QCOMPARE(error, QStringLiteral("Путь не найден"));
    }

    void makeDirectoryPath_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("nested") << QStringLiteral("a/b/ProxyLog");
        QTest::newRow("trailing slash") << QStringLiteral("a/wslog/");
        QTest::newRow("double slash") << QStringLiteral("a//c");
        QTest::newRow("cyrillic") << QStringLiteral("папка/журнал");
    }

    void makeDirectoryPath()
    {
        QFETCH(QString, relative);
        const QString path = Path(relative);
        QString error;
        QVERIFY2(MakeDirectoryPath(path, error), qPrintable(error));
        QVERIFY(QFileInfo(path).isDir());
        QVERIFY(MakeDirectoryPath(path, error));
    }

    void makeDirectoryPathOverFile()
    {
        WriteRaw(Path(QStringLiteral("f")), "x");
        QString error;
        QVERIFY(!MakeDirectoryPath(Path(QStringLiteral("f/g")), error));
        QVERIFY(error.startsWith(QStringLiteral("Ошибка создания папки '") + Path(QStringLiteral("f/g"))
                                 + QStringLiteral("': ")));
        QVERIFY(!MakeDirectoryPath(Path(QStringLiteral("f")), error));
        QVERIFY(!MakeDirectoryPath(QString(), error));
    }

private:
    QString Path(const QString &relative) const
    {
        return m_dir->filePath(relative);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestTextFiles)
#include "tst_textfiles.moc"
