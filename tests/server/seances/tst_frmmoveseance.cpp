#include "dialogfixture.h"
#include "rendercheck.h"
#include "seances/computersbuttons.h"
#include "seances/frmmoveseance.h"

class TestFrmMoveSeance : public DialogFixture
{
    Q_OBJECT

private slots:

    void init()
    {
        DialogFixture::init();
        m_seance = AddSeance(3, DayRate, Now.addSecs(-600), 60, 30);
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
        WhenShown(&dialog, [&](frmMoveSeance *Dialog) {
            QCOMPARE(Label(Dialog, QStringLiteral("tCompFrom")), QString::number(fromNum));
            auto *grid = Child<ComputersButtons>(Dialog, QStringLiteral("ComputersButtons"));
            QCOMPARE(grid->Buttons()->Count(), Computers);
            QVERIFY(!grid->ButtonEnable(3));
            QTest::mouseClick(grid->Button(5), Qt::LeftButton);
            if (chosen != 0) {
                QTest::mouseClick(grid->Button(chosen), Qt::LeftButton);
            } else {
                QTest::mouseClick(grid->Button(5), Qt::LeftButton);
            }
            if (meanwhile == QStringLiteral("seance")) {
                AddSeance(chosen, DayRate, Now, 60, 30);
            } else if (meanwhile == QStringLiteral("removed")) {
                QString err;
                QVERIFY2(Db().Table(QStringLiteral("Seances"))->Remove(m_seance, true, err), qPrintable(err));
            } else if (box.isEmpty()) {
                QVERIFY(RenderControl(Dialog, QStringLiteral("frmmoveseance")));
            }
            AnswerBoxes();
            Click(Dialog, QStringLiteral("Apply"));
        });
        QCOMPARE(dialog.Start(fromNum, m_seance), box.isEmpty() ? chosen : 0);
        QCOMPARE(Boxes(), box.isEmpty() ? QStringList() : QStringList{box});
        if (meanwhile != QStringLiteral("removed")) {
            QCOMPARE(SeanceValue(m_seance, QStringLiteral("Computer")), Code(box.isEmpty() ? chosen : 3));
            QCOMPARE(Pays(m_seance), (PayRows{{0, 30}}));
        }
    }

private:
    // Computer 3 runs a seance.
    qint32 m_seance = 0;
};

QTEST_MAIN(TestFrmMoveSeance)
#include "tst_frmmoveseance.moc"
