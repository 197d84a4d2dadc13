#include "dialogfixture.h"
#include "rendercheck.h"
#include "seances/computersbuttons.h"
#include "seances/frmmoveseance.h"

#include <QLabel>

class TestFrmMoveSeance : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        QString err;
        QVERIFY2(m_fixture.Start(err), qPrintable(err));
        m_seance = m_fixture.AddSeance(3, m_fixture.DayRate, DialogFixture::Now.addSecs(-600), 60, 30);
    }

    void cleanup()
    {
        m_fixture.Stop();
    }

    void movesTheSeance_data()
    {
        QTest::addColumn<qint32>("fromNum");
        QTest::addColumn<qint32>("chosen");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("box");
        QTest::newRow("to the computer chosen") << 3 << 7 << QString() << QString();
        QTest::newRow("nothing chosen") << 3 << 0 << QString() << QStringLiteral("Не выбран компьютер!");
        QTest::newRow("the computer chosen started a seance")
            << 3 << 7 << QStringLiteral("seance") << QStringLiteral("Не выбран компьютер!");
        QTest::newRow("onto the computer it runs from")
            << 4 << 4 << QString() << QStringLiteral("Некорректно указан компьютер для пересадки!");
        QTest::newRow("the seance was removed")
            << 3 << 7 << QStringLiteral("removed") << QStringLiteral("Сеанс не найден!");
    }

    void movesTheSeance()
    {
        QFETCH(qint32, fromNum);
        QFETCH(qint32, chosen);
        QFETCH(QString, meanwhile);
        QFETCH(QString, box);
        frmMoveSeance dialog;
        DialogFixture::WhenShown(&dialog, [&](frmMoveSeance *Dialog) {
            QCOMPARE(DialogFixture::Child<QLabel>(Dialog, QStringLiteral("tCompFrom"))->text(),
                     QString::number(fromNum));
            auto *grid = DialogFixture::Child<ComputersButtons>(Dialog, QStringLiteral("ComputersButtons"));
            QCOMPARE(grid->Buttons()->Count(), DialogFixture::Computers);
            QVERIFY(!grid->ButtonEnable(3));
            QTest::mouseClick(grid->Button(5), Qt::LeftButton);
            if (chosen != 0) {
                QTest::mouseClick(grid->Button(chosen), Qt::LeftButton);
            } else {
                QTest::mouseClick(grid->Button(5), Qt::LeftButton);
            }
            if (meanwhile == QStringLiteral("seance")) {
                m_fixture.AddSeance(chosen, m_fixture.DayRate, DialogFixture::Now, 60, 30);
            } else if (meanwhile == QStringLiteral("removed")) {
                QString err;
                QVERIFY2(m_fixture.Db().Table(QStringLiteral("Seances"))->Remove(m_seance, true, err), qPrintable(err));
            } else if (box.isEmpty()) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmmoveseance")));
            }
            DialogFixture::AnswerBoxes();
            DialogFixture::Click(Dialog, QStringLiteral("Apply"));
        });
        QCOMPARE(dialog.Start(fromNum, m_seance), box.isEmpty() ? chosen : 0);
        QCOMPARE(DialogFixture::Boxes(), box.isEmpty() ? QStringList() : QStringList{box});
        if (meanwhile != QStringLiteral("removed")) {
            QCOMPARE(m_fixture.SeanceValue(m_seance, QStringLiteral("Computer")),
                     DialogFixture::Code(box.isEmpty() ? chosen : 3));
            QCOMPARE(m_fixture.Pays(m_seance), (DialogFixture::PayRows{{0, 30}}));
        }
    }

private:
    DialogFixture m_fixture;
    // Computer 3 runs a seance.
    qint32 m_seance = 0;
};

QTEST_MAIN(TestFrmMoveSeance)
#include "tst_frmmoveseance.moc"
