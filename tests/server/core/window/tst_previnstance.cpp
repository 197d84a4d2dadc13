#include "core/window/previnstance.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

namespace
{
QString UniqueKey(const QString &name)
{
    return QStringLiteral("qm-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(name);
}

// Runs the helper as a second instance and gives its exit code (1 first instance, 0 another runs).
int RunOnce(const QString &key)
{
    QProcess helper;
    QSignalSpy finished(&helper, &QProcess::finished);
    helper.start(QStringLiteral(INSTANCE_HELPER), {key, QStringLiteral("once")});
    // The event loop keeps running so that this process can answer as the first instance.
    if (!finished.wait(20000) || helper.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return helper.exitCode();
}
} // namespace

class TestPrevInstance : public QObject
{
    Q_OBJECT

private slots:

    void secondInstanceBringsFirstToFront()
    {
        const QString key = UniqueKey(QStringLiteral("front"));
        SetInstanceKey(key);
        QVERIFY(ActivatePrevInstance());
        QVERIFY(ActivatePrevInstance());

        QWidget mainWindow;
        QWidget other;
        mainWindow.show();
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        SetInstanceWindow(&mainWindow);

        QCOMPARE(RunOnce(key), 0);
        QTRY_VERIFY(mainWindow.isActiveWindow());
    }

    // Another process holds the instance, then dies without letting go: the next start takes over.
    void instanceOfCrashedProcessIsTakenOver()
    {
        const QString key = UniqueKey(QStringLiteral("crash"));
        QProcess holder;
        holder.start(QStringLiteral(INSTANCE_HELPER), {key, QStringLiteral("hold")});
        QVERIFY(holder.waitForReadyRead(20000));
        QCOMPARE(holder.readAll().trimmed(), QByteArray("held"));
        QCOMPARE(RunOnce(key), 0);
        holder.kill();
        QVERIFY(holder.waitForFinished(20000));
        QCOMPARE(RunOnce(key), 1);
    }
};

QTEST_MAIN(TestPrevInstance)
#include "tst_previnstance.moc"
