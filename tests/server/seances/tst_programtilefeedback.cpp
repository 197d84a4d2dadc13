#include "core/backgrounderror.h"
#include "core/mainlog.h"
#include "core/widgets/messagebox.h"
#include "datafolder.h"
#include "mainlogtext.h"
#include "seances/programtilefeedback.h"

#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTest>

class TestProgramTileFeedback : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir folder;

private slots:

    void initTestCase()
    {
        QVERIFY(folder.isValid());
        DataFolder::SetDataFolder(folder.path());
        QVERIFY(InitMainLog());
    }

    void errorsGoToTheMainLog()
    {
        ProgramTileFeedback feedback;
        feedback.LogError(QStringLiteral("сеанс не найден"));
        QVERIFY(MainLogText().contains(QStringLiteral(" ! сеанс не найден")));
    }

    void boxIsShownOnALaterTurn()
    {
        ProgramTileFeedback feedback;
        MessageBox::TakeRecords();
        feedback.ShowError(QStringLiteral("ошибка"));
        QVERIFY(MessageBox::TakeRecords().isEmpty());
        MessageBox::PrepareAnswer(QMessageBox::Ok);
        QTRY_VERIFY(!BackgroundErrorShown());
        QCOMPARE(MessageBox::TakeRecords().size(), 1);
    }

    void minimisedMainWindowIsRestored()
    {
        QMainWindow window;
        window.showMinimized();
        QVERIFY(window.isMinimized());
        ProgramTileFeedback().BringMainWindowForward();
        QVERIFY(!window.isMinimized());
    }
};

QTEST_MAIN(TestProgramTileFeedback)
#include "tst_programtilefeedback.moc"
